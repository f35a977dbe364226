#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <memory>

#include "base/result.h"

namespace vela {

// A table whose every change the database records by itself (triggers), so
// that no writer can bypass it. The names are storage's; the engine's
// dialect writes the triggers from them.
struct HistoryTarget {
    QString table;        // the recorded table
    QStringList columns;  // its columns but the key, in table order
    QString key;          // its declared key
    QString sorszam;      // the column noted as the row's sequence number (may be empty)
    QString recordId;     // the column noted as the row's identifier (may be empty)
    // The table of changes and its columns: time, workstation, user, table,
    // row key, sequence number, identifier, action, column, old value, new value.
    QString changes;
    QStringList changeColumns;
    // Where a deleted row is kept whole: its columns as in `columns`, then
    // its key, the time, the workstation and the user.
    QString deleted;
    QStringList deletedExtra;
};

// What each change of a HistoryTarget leaves in its table of changes.
namespace history_action {
inline constexpr const char* kChanged = "M";   // one row per changed column
inline constexpr const char* kInserted = "U";  // a new row
inline constexpr const char* kDeleted = "T";   // old value: the key of the kept row
inline constexpr const char* kRestored = "V";  // old value: the connection's note
}  // namespace history_action

// The SQL that differs between database engines, asked for by the code
// that builds statements, so that no engine's own words are written there.
// Parameters are numbered (?1, ?2 …); an engine that writes them otherwise
// ($1) rewrites them when it prepares.
class Dialect {
  public:
    virtual ~Dialect() = default;

    // expr, or fallback where expr is null.
    virtual QString ifNull(const QString& expr, const QString& fallback) const = 0;
    // Placed after a table name: read the table in the order of its key,
    // never through one of its indexes.
    virtual QString noIndexesOn() const = 0;
    // The expression with its column hidden from the planner's indexes (in
    // an order or a condition), when an index would only slow the read.
    virtual QString withoutIndex(const QString& expr) const = 0;
    // Placed after a table definition's closing parenthesis.
    virtual QString tableOptions() const = 0;
    // The declared integer key's column type (the row's own key).
    virtual QString keyColumnType() const = 0;
    // The column types of whole numbers, reals (double precision) and texts.
    virtual QString integerType() const = 0;
    virtual QString realType() const = 0;
    virtual QString textType() const = 0;
    // A check that keeps column `name` (quoted) to null or a real calendar
    // date written 'YYYY-MM-DD'.
    virtual QString dateCheck(const QString& name) const = 0;
    // Placed after an INSERT: what makes the statement give back the new
    // row's key (column `key`, quoted), for an engine without a row id.
    virtual QString returningKey(const QString& key) const = 0;
    // One row (name) per table of the database.
    virtual QString tableNamesQuery() const = 0;
    // A row when a table named ?1 exists, its name compared ignoring case.
    virtual QString tableExistsQuery() const = 0;

    // The like() pattern match ("*", "?", "[c]"; letter case folded).
    virtual QString like(const QString& expr, const QString& pattern) const = 0;
    // Whether expr starts with prefix, letter case folded.
    virtual QString startsWith(const QString& expr, const QString& prefix) const = 0;
    // Text folded for letter case, accents kept.
    virtual QString foldCase(const QString& expr) const = 0;
    // Text equality blind to letter case, accents still counting; its
    // values are appended to binds.
    virtual QString textEquals(const QString& expr, const QString& value,
                               QVariantList& binds) const = 0;
    // Placed after a text in an ORDER BY: the Hungarian alphabetical order.
    virtual QString hungarianOrder() const = 0;

    // Reading and setting the connection's page cache (in pages, or KiB when
    // negative) for a pass over a big table; empty where the engine keeps its
    // own cache.
    virtual QString cacheSizeQuery() const { return {}; }
    virtual QString setCacheSize(qint64 size) const {
        Q_UNUSED(size);
        return {};
    }

    // The recording of a table's changes (HistoryTarget): the statements that
    // (re)make its triggers, run in one transaction; the workstation and user
    // they note are the engine's to know (the server's role on a server).
    virtual QStringList historyTriggers(const HistoryTarget& target) const = 0;
    // The names of the triggers historyTriggers makes for a table.
    virtual QStringList historyTriggerNames(const QString& table) const = 0;
    // One row (name) per trigger of the database.
    virtual QString triggerNamesQuery() const = 0;
    // A statement that sets the connection's note (?1, a text or null), which
    // the triggers write as the old value of a row inserted while it is set
    // (the action is then a restore).
    virtual QString setHistoryNote() const = 0;
    // Drops a trigger of table made by historyTriggers, when it is there.
    virtual QString dropTrigger(const QString& name, const QString& table) const = 0;
};

// One prepared statement of an engine, stepped through its rows. Values
// arrive already as stored: integers, reals, texts, blobs or null.
class EngineStatement {
  public:
    virtual ~EngineStatement() = default;

    virtual Status bind(int index, const QVariant& value) = 0;  // 1-based
    // Binds column `column` of the current row of another statement of the
    // same engine, exactly as stored.
    virtual Status bindColumn(int index, const EngineStatement& from, int column) = 0;
    // True while a row is there; false at the end; an Error on failure.
    virtual Result<bool> step() = 0;
    virtual void reset() = 0;

    virtual int columnCount() const = 0;
    virtual QString columnName(int i) const = 0;
    virtual QVariant value(int i) const = 0;
    virtual QString text(int i) const = 0;
    // The text as UTF-8, unconverted.
    virtual QByteArray utf8(int i) const = 0;
    virtual qint64 int64(int i) const = 0;
    virtual double real(int i) const { return value(i).toDouble(); }
    virtual bool isNull(int i) const = 0;

    // The key of the row the statement inserted last (an engine without a
    // row id reads it from the statement's RETURNING column).
    virtual qint64 insertedKey() const = 0;
    // The rows the statement's last run inserted, changed or deleted.
    virtual qint64 rowsChanged() const = 0;
};

// What storage needs of a database engine: one open connection to one
// database. The engine classifies its own failures (ErrorKind) and puts a
// Hungarian sentence before any English text of its own.
class Connection {
  public:
    virtual ~Connection() = default;

    virtual Result<std::unique_ptr<EngineStatement>> prepare(const QString& sql) = 0;
    // Runs statements separated by ";" with no values bound.
    [[nodiscard]] virtual Status execScript(const QString& sql) = 0;

    // Opens a write transaction, taking the writer's place at once so that
    // two workstations never both believe they may write.
    [[nodiscard]] virtual Status begin() = 0;
    [[nodiscard]] virtual Status commit() = 0;
    virtual void rollback() = 0;
    // Whether a transaction is open on the connection (one the engine has
    // undone by itself after an error is not).
    virtual bool inTransaction() const = 0;

    // Moves whenever another connection commits to the database.
    virtual qint64 changeToken() = 0;
    // Counts every row this connection has inserted, changed or deleted.
    virtual qint64 totalChanges() const = 0;

    virtual const Dialect& dialect() const = 0;
    // The database's file (or server database) name, for messages.
    virtual QString displayName() const = 0;

    // A connection found damaged runs no statement any more, so nothing more
    // is written into that database.
    bool isDamaged() const { return damaged_; }
    void setDamaged(bool damaged) { damaged_ = damaged; }

  private:
    bool damaged_ = false;
};

}  // namespace vela
