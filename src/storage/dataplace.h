#pragma once

#include <QString>

#include "base/result.h"

namespace vela {

class Database;
struct DataFolderDatabases;

// Where the data lives. The parameters row (parameter.kdb, which always
// stays in the data folder: it keeps the workstation's own paths) names it
// in its Kiszolgalo column: empty for the data folder's files, otherwise a
// libpq connection string or "service=NAME" of a database server, which
// then holds the ledgers, the partner register and the staging table (the
// scratch table is each session's own there).

// The server address kept in the parameters row, trimmed; empty when none
// is set or the file is from before the column.
QString serverAddress(Database& parameters);
// Keeps address in the parameters row (the first row), after checking that
// libpq can read it and that it carries no password.
[[nodiscard]] Status setServerAddress(Database& parameters, const QString& address);
// Which database the opened databases work on, a sentence for the user
// (never with a password).
QString whereText(const DataFolderDatabases& databases);

}  // namespace vela
