#pragma once

#include <QSet>
#include <optional>

#include "base/result.h"

namespace vela {

class Database;
struct TableDef;

// Which rows of one table other workstations changed since the last look,
// by key, where the database can tell: a server whose triggers send a note
// per changed row, or a data folder file whose history records every write
// (its entries are numbered in the order they were committed, since a file
// has one writer at a time). A list then reads those rows alone instead of
// the whole table.
class ChangedRows {
  public:
    // Past this many rows, reading the table whole is the cheaper way.
    static constexpr int kMostRows = 500;

    // From now on: what the database holds now counts as seen.
    void start(Database& db, const TableDef& table);
    // The rows changed since the last look (or start), and the look moves
    // on; an empty set when nothing changed. None when they cannot be told
    // row by row (the database cannot, notes were missed, too many rows):
    // the table is then to be read whole.
    std::optional<QSet<qint64>> sinceLastLook();
    // What the last look told could not be used: the next look says none,
    // so that the table is read whole.
    void missed() { missed_ = true; }
    // Whether the looks are at db's table.
    bool follows(const Database* db, const TableDef* table) const {
        return db_ == db && table_ == table;
    }

  private:
    enum class Way { None, Notes, History };

    Database* db_ = nullptr;
    const TableDef* table_ = nullptr;
    Way way_ = Way::None;
    qint64 token_ = -1;
    qint64 entry_ = -1;  // the newest history entry seen (the file's way)
    bool missed_ = false;
};

}  // namespace vela
