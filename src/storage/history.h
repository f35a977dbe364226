#pragma once

#include <QList>
#include <QString>
#include <QVariant>
#include <vector>

#include "base/result.h"
#include "storage/rowaccess.h"

namespace vela {

class Database;
struct TableDef;

// The change history the database keeps of its recorded tables (the two
// ledgers, the partners, the parameters). Triggers write it, so every writer
// is recorded, and the program only reads it, or inserts rows back through
// the recorded tables themselves. Where each table's history lives and what
// each entry holds: schema::valtozasok() and the tables "…Torolt".
namespace history {

// The tables whose changes are recorded.
const std::vector<const TableDef*>& recordedTables();
// Where the deleted rows of a recorded table are kept (null for another table).
const TableDef* deletedTableOf(const TableDef& recorded);
// Whether a table is one of the history's own.
bool isHistoryTable(const QString& name);

// Makes the history tables and the triggers of the recorded tables the file
// has, where they are missing (a file of an earlier version, a fresh copy of
// VelaRep's). Writes nothing when all are there.
[[nodiscard]] Status install(Database& db);
// Takes the triggers of the recorded tables away, inside the caller's
// transaction: a move copies a history as it stands, so the copy itself must
// not be recorded. install() puts them back after the commit.
[[nodiscard]] Status suspend(Database& db);
// Whether the triggers of table are in place.
Result<bool> installed(Database& db, const TableDef& table);

struct Entry {
    qint64 id = 0;
    QString when;  // 'YYYY-MM-DD HH:MM:SS.SSS', local time
    QString host;
    QString user;
    QString action;  // history_action::k…
    QString column;  // the changed column (a change only)
    QVariant oldValue;
    QVariant newValue;
    QVariant sorszam;
    QVariant recordId;
};
// The history of the row with key, newest first: from its making (or, for
// a row older than the history, from its first recorded change) on, a
// deletion and restore under the same key included.
Result<QList<Entry>> rowHistory(Database& db, const TableDef& table, qint64 key);

struct DeletedRow {
    qint64 id = 0;  // the kept row's own key
    QString when;
    QString host;
    QString user;
    rows::Values values;  // every column as it stood, its old key under the key's name
};
// The deleted rows of table not restored since, newest first.
Result<QList<DeletedRow>> deletedRows(Database& db, const TableDef& table);

// Brings the kept rows ids back into table exactly as they were, under
// their old key where no row has taken it since; one transaction. The
// restore is recorded. A row restored already is left alone. The keys the
// rows got.
Result<QList<qint64>> restore(Database& db, const TableDef& table, const QList<qint64>& ids);

// The history's entries older than before ('YYYY-MM-DD'): changes and kept
// deleted rows alike, of every table the database records.
Result<qint64> olderEntries(Database& db, const QString& before);
// Drops those entries, in one transaction: only VelaRep's maintenance does,
// after the backup and after asking. A deleted row dropped so can no longer
// be brought back. The entries dropped.
Result<qint64> compact(Database& db, const QString& before);

// A row's full history count (all entries of its table and key), for the
// benchmarks and checks.
Result<qint64> entryCount(Database& db, const TableDef& table);

}  // namespace history
}  // namespace vela
