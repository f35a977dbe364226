#pragma once

#include <QString>

namespace vela {

// An SQL identifier in double quotes, inner quotes doubled, so that any table
// or column name (accents, blanks, quotes) is taken as a name.
QString quoteIdentifier(const QString& name);

}  // namespace vela
