#pragma once

#include <QString>
#include <vector>

#include "base/result.h"

namespace vela {

class Database;

// Moves the rows of one data folder file between its two homes: the file
// and a database server (either way).
class ServerCopy {
  public:
    struct Copied {
        QString table;
        qint64 rows = 0;
    };

    // Copies every row of every table of the file fileName from `from` into
    // the same tables of `to`, every field as stored (the keys too), in one
    // transaction of `to`. Refuses, writing nothing, when a table of `to`
    // already holds rows. The scratch table, each session's own, is left
    // out. The rows copied per table, in the file's table order.
    static Result<std::vector<Copied>> copy(Database& from, Database& to, const QString& fileName);
};

}  // namespace vela
