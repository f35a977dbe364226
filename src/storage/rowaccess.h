#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <functional>

#include "base/result.h"
#include "storage/query.h"

namespace vela {

class Database;
struct TableDef;
// What a pass over rows did. A row that could not be written is counted and
// reported through the failed-row callback; the pass goes on.
struct PassCounts {
    qint64 rows = 0;       // rows the pass looked at
    qint64 written = 0;    // rows it changed
    qint64 failed = 0;     // rows whose write failed
    qint64 noRate = 0;     // rows the change left alone for want of a value (the caller counts)
    QString lastRowError;  // why the last failed row could not be written
};

// Single rows and row-by-row passes of one table by column name, for the
// rules above storage that read a row, change it and write it back. A row
// is named by its key (the record source's bookmark). None of these opens a
// transaction: the caller holds one around what belongs together.
namespace rows {

using Values = QHash<QString, QVariant>;

// Every column of the row with key; an error when there is no such row.
Result<Values> read(Database& db, const TableDef& table, qint64 key);
// Writes the given columns of the row with key (each converted to its
// column's kind first); an error when the row is gone.
[[nodiscard]] Status update(Database& db, const TableDef& table, qint64 key, const Values& values);
// Inserts a row with the given columns (the others take their defaults).
Result<qint64> insert(Database& db, const TableDef& table, const Values& values);
// Whether any row of query matches.
Result<bool> any(Database& db, const Query& query);
// How many rows of the query there are.
Result<qint64> count(Database& db, const Query& query);
// The keys of the rows of query, in key order.
Result<QList<qint64>> keys(Database& db, const Query& query);
// The highest value of column (null when the table is empty).
Result<QVariant> highest(Database& db, const TableDef& table, const QString& column);
// The sum of amount over the rows of where, per value of groupColumn with
// its letter case folded (the keys are the folded texts, vela::foldCase).
Result<QHash<QString, double>> sumsBy(Database& db, const TableDef& table,
                                      const QString& groupColumn, const QString& amount,
                                      const Condition& where);

// Reads the columns read of every row of where, hands their values to
// change, and writes the values it puts into written (in the order of the
// columns write; a null keeps the column's value) where it returns true.
// One transaction around the whole pass, committed at the end.
using RowChange = std::function<bool(const QVariantList& read, QVariantList& written)>;
Result<PassCounts> rewrite(Database& db, const TableDef& table, const Condition& where,
                           const QStringList& read, const QStringList& write,
                           const RowChange& change, const std::function<void()>& onFailedRow = {});

}  // namespace rows
}  // namespace vela
