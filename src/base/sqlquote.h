#pragma once

#include <QString>
#include <QStringList>

namespace vela {

// An SQL identifier in double quotes, inner quotes doubled, so that any table
// or column name (accents, blanks, quotes) is taken as a name.
QString quoteIdentifier(const QString& name);
// Each name quoted so, after prefix (as "OLD."), joined with ", ".
QString quoteIdentifiers(const QStringList& names, const QString& prefix = {});
// An SQL text literal in single quotes, inner quotes doubled: for the
// statements an engine's dialect writes out whole (triggers), where no
// value can be bound.
QString quoteText(const QString& text);

}  // namespace vela
