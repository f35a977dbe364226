#pragma once

#include <QString>

namespace vela {

// File names are matched ignoring case, as on the system the data folders
// come from: "lfakturo.mdb" and "LFakturo.mdb" name one file.

// The entry of `dir` whose name equals `name` ignoring case (an exact match
// wins); empty when there is none.
QString findEntryNoCase(const QString& dir, const QString& name);

// The path of that entry in `dir`; when none exists, dir/name with the
// spelling given (a file still to be made).
QString findFileNoCase(const QString& dir, const QString& name);

}  // namespace vela
