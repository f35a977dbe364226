#pragma once

#include <QString>

#include "base/result.h"

namespace vela {

class Database;
struct TableDef;

// The program's tables on a database server, made from the same column
// tables as the data folder's template files.
class ServerSchema {
  public:
    // Creates on db's server each table of the data folder file fileName
    // that is missing there, with its indexes, in one transaction. The
    // scratch table is left out: it is each session's own.
    [[nodiscard]] static Status create(Database& db, const QString& fileName);
    // The session's own scratch table, private to this connection.
    [[nodiscard]] static Status createSessionTable(Database& db, const TableDef& table);
    // Whether a table lives in each session rather than on the server.
    static bool sessionOnly(const TableDef& table);
    // Whether the server tells the listening sessions each changed row of
    // table by its key ("table:key"), whoever wrote it: then a list need
    // not be read whole after another workstation's save.
    static Result<bool> tellsRows(Database& db, const TableDef& table);
    // Stops or starts those notes, inside the caller's transaction: a move
    // copies a million rows no session listens to yet.
    [[nodiscard]] static Status setRowNotes(Database& db, const TableDef& table, bool on);
};

}  // namespace vela
