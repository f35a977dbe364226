#pragma once

#include <QString>
#include <memory>

#include "base/connection.h"

struct sqlite3;

namespace vela::sqlite {

enum class OpenMode {
    ReadOnly,
    ReadWrite,
    Create,  // read-write, made when missing
};

// The SQLite engine behind the connection seam: the one place that speaks
// to SQLite itself. Every connection has VelaData's SQL functions and the
// Hungarian collation registered.
class SqliteConnection final : public Connection {
  public:
    ~SqliteConnection() override;
    SqliteConnection(const SqliteConnection&) = delete;
    SqliteConnection& operator=(const SqliteConnection&) = delete;

    // Opens a file (path, or a file: URI with its options). busyTimeoutMs:
    // how long a statement waits for another connection to let go.
    static Result<std::unique_ptr<SqliteConnection>> open(const QString& path, OpenMode mode,
                                                          int busyTimeoutMs = 3000);

    // A connection over a handle opened elsewhere (tools, tests), left open
    // when the connection goes; VelaData's functions are registered on it.
    static std::unique_ptr<SqliteConnection> adopt(sqlite3* db);
    // The SQLite handle behind a connection of this engine (the benchmarks
    // compare with SQLite alone); null for another engine's.
    static sqlite3* rawHandle(Connection* connection);

    Result<std::unique_ptr<EngineStatement>> prepare(const QString& sql) override;
    [[nodiscard]] Status execScript(const QString& sql) override;
    [[nodiscard]] Status begin() override;
    [[nodiscard]] Status commit() override;
    void rollback() override;
    bool inTransaction() const override;
    qint64 changeToken() override;
    // The rows the connection's statements changed, without the rows the
    // history's triggers added for them.
    qint64 totalChanges() const override;
    const Dialect& dialect() const override;
    QString displayName() const override;

    // The Error of the connection's last failure with result code `code`.
    Error lastError(int code) const;

  private:
    SqliteConnection(sqlite3* db, const QString& name, bool owned);
    static void rowChanged(void* self, int op, const char* database, const char* table,
                           long long rowid);
    sqlite3* db_;
    QString name_;
    bool owned_;
    // Rows the history's triggers wrote: not the connection's own changes.
    qint64 historyRows_ = 0;
};

// The dialect of SQLite.
const Dialect& dialect();

// What kind of failure an SQLite result code (extended or primary) is.
ErrorKind classify(int code);

// SQLite's English text of a failure, with a Hungarian sentence before it
// for the failures a user meets (a full disk, a file that cannot be opened).
QString describe(int code, const QString& engineText);

}  // namespace vela::sqlite
