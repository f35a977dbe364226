#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "base/result.h"

namespace vela {

// The data folder's databases whose tables live on a database server once
// one is set in the parameters (all but parameter.kdb, which keeps the
// workstation's own paths).
const QStringList& serverDatabases();

// How many rows of one table came across.
struct CopiedTable {
    QString fileName;  // the data folder file the table belongs to
    QString table;
    qint64 rows = 0;
};

// Moves every row of the server databases between the data folder (the
// current directory) and a database server, field for field, keys kept.
class ServerTransfer {
  public:
    // Makes the program's tables on the server where missing; refuses (the
    // Hungarian text names them) when any of them holds a row already.
    [[nodiscard]] static Status prepareServer(const QString& conninfo);
    // Copies every row of the data folder's files into the server's
    // tables, all in one transaction: either every row arrives or none.
    static Result<std::vector<CopiedTable>> toServer(const QString& conninfo);
    // Copies every row of the server's tables into fresh files made from the
    // templates in templateDir, which then take the data folder files' place.
    static Result<std::vector<CopiedTable>> toFiles(const QString& conninfo,
                                                    const QString& templateDir);
};

}  // namespace vela
