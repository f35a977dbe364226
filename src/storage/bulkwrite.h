#pragma once

#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <memory>
#include <vector>

#include "base/result.h"
#include "storage/query.h"

namespace vela {

class Database;
class Statement;
struct ColumnDef;
struct TableDef;

// Appends many rows to one table through one prepared statement, inside one
// transaction that begin() opens and finish() commits. Every value is
// converted to its column's kind and bound, never pasted into the statement.
//
//     BulkInsert insert(db, table, columns);
//     if (Status s = insert.begin(); !s)
//         return s;
//     for (...) insert.append(values);   // a refused row fails alone
//     return insert.finish();
class BulkInsert {
  public:
    // How a value that cannot stand in its column is handled.
    enum class BadValue {
        LeaveEmpty,  // the column stays empty, the row is still written
        RefuseRow,   // the row is not written
    };

    BulkInsert(Database& db, const TableDef& table, const QStringList& columns,
               BadValue badValue = BadValue::RefuseRow);
    ~BulkInsert();
    BulkInsert(const BulkInsert&) = delete;
    BulkInsert& operator=(const BulkInsert&) = delete;

    // Prepares the statement and opens the transaction; inside one already
    // open, the rows join it and finish() leaves the commit to its owner.
    [[nodiscard]] Status begin();
    // Writes one row (values in the order of the columns); the error tells
    // why it could not be written.
    [[nodiscard]] Status append(const QVariantList& values);
    // Commits what was written (the transaction is undone when the commit
    // fails). Without an open transaction there is nothing to commit.
    [[nodiscard]] Status finish();

    int written() const { return written_; }
    // Values left empty because they did not fit their column.
    int badValues() const { return badValues_; }

  private:
    Database& db_;
    const TableDef& table_;
    QStringList names_;
    std::vector<const ColumnDef*> columns_;
    std::vector<int> maxText_;
    BadValue badValue_;
    std::unique_ptr<Statement> insert_;
    bool inTransaction_ = false;
    bool joined_ = false;  // written inside a transaction begin() found open
    int written_ = 0;
    int badValues_ = 0;
};

namespace bulk {

// The highest value of column in table; null when the table is empty.
Result<QVariant> highestValue(Database& db, const TableDef& table, const QString& column);

// The distinct texts of column in table, blanks around them removed
// (the invoice numbers a ledger already holds).
Result<QSet<QString>> distinctTexts(Database& db, const TableDef& table, const QString& column);

// How many rows of query have column's value, as text, in texts.
Result<int> countIn(Database& db, const Query& query, const QString& column,
                    const QSet<QString>& texts);

}  // namespace bulk
}  // namespace vela
