#pragma once

#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <memory>
#include <vector>

#include "storage/query.h"

namespace vela {

class Database;
class Statement;
struct ColumnDef;
struct TableDef;

// Appends many rows to one table through one prepared statement, inside one
// transaction that finish() commits. Every value is converted to its
// column's kind and bound, never pasted into the statement.
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

    // False when the statement or the transaction could not be started.
    bool ok() const { return ok_; }
    // Writes one row (values in the order of the columns). False when it
    // could not be written; error() tells why.
    bool append(const QVariantList& values);
    // Commits what was written. False (with error()) when the commit failed.
    bool finish();

    int written() const { return written_; }
    // Values left empty because they did not fit their column.
    int badValues() const { return badValues_; }
    QString error() const { return error_; }

  private:
    Database& db_;
    std::vector<const ColumnDef*> columns_;
    std::vector<int> maxText_;
    BadValue badValue_;
    std::unique_ptr<Statement> insert_;
    bool ok_ = false;
    bool inTransaction_ = false;
    int written_ = 0;
    int badValues_ = 0;
    QString error_;
};

namespace bulk {

// The report of appending grouped invoices to the staging table.
struct StagingReport {
    int written = 0;     // rows saved
    int badValues = 0;   // values left empty because they did not fit
    int failedRows = 0;  // rows that could not be saved
    QString firstError;  // why the first row failed
};

// Appends grouped invoices (14 values each) to the staging table by
// position: values 0..12 into its columns 0..12, value 13 into column 21.
// One transaction; a row that cannot be written is counted and the rest go on.
bool appendStagedInvoices(Database& db, const TableDef& staging,
                          const std::vector<QVariantList>& invoices, StagingReport* report);

// The highest value of column in table; null when the table is empty.
QVariant highestValue(Database& db, const TableDef& table, const QString& column,
                      QString* error = nullptr);

// The distinct texts of column in table, blanks around them removed
// (the invoice numbers a ledger already holds).
QSet<QString> distinctTexts(Database& db, const TableDef& table, const QString& column,
                            QString* error = nullptr);

// How many rows of query have column's value, as text, in texts.
int countIn(Database& db, const Query& query, const QString& column, const QSet<QString>& texts,
            QString* error = nullptr);

}  // namespace bulk
}  // namespace vela
