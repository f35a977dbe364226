#pragma once

#include <QString>
#include <QStringList>

#include "base/result.h"

namespace vela {

class Database;

// The group roles' names. Roles belong to the whole server, not to one
// database: the same names serve every database of the program there.
struct ServerRoleNames {
    QString writer = QStringLiteral("vela_konyvelo");
    QString reader = QStringLiteral("vela_olvaso");
};

// Who may do what with the program's tables on a database server. Two group
// roles (without a login of their own) stand for the office's people, whose
// logins are made members of them: the book-keepers may read and write the
// data, the readers only read them. The change history may only grow: no
// member may change or delete an entry of it.
class ServerRoles {
  public:
    using Names = ServerRoleNames;

    // Makes each group role that is missing, and grants both their rights on
    // every table of the program the server has. Without the right to make
    // roles (CREATEROLE) the missing ones are left out and the lines say so.
    // The lines (Hungarian) tell what was done, for the report of a move.
    static Result<QStringList> setUp(Database& server, const Names& names = Names());
    // Grants the rights of the group roles that exist on every table of the
    // program the server has: run again, it changes nothing. A table made
    // later (a new history table) gets them when it is made.
    [[nodiscard]] static Status grant(Database& server, const Names& names = Names());
};

// What the login a database was opened with may do with the data.
enum class DataAccess {
    ReadWrite,  // the data folder's files, or a login the server lets write the ledgers
    ReadOnly,   // a login the server lets only read them
};

// Asked of the server (whether the login may change the ledger's rows); the
// data folder's files are always written.
DataAccess dataAccess(Database& db);

}  // namespace vela
