#pragma once

#include <QString>

namespace vela {

// The Hungarian-aware case folding used for the finders and filters: every
// letter's case folded, Hungarian accented ones included, accents kept.
QString foldCase(const QString& text);

// Whether value matches a like() pattern: "*" any run, "?" one character,
// "[c]" the character c itself; letter case folded.
bool likeMatches(const QString& value, const QString& pattern);

// Hungarian alphabetical order (the hu_HU collation): negative, zero or
// positive as a sorts before, with or after b.
int compareHungarian(const QString& a, const QString& b);

}  // namespace vela
