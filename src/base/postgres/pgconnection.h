#pragma once

#include <QByteArray>
#include <QString>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

#include "base/connection.h"

struct pg_conn;

namespace vela::postgres {

// The PostgreSQL engine behind the connection seam: the one place that
// speaks libpq. A connection listens for the commits of other connections
// (its change token), takes a named writer lock when a transaction begins
// (so two workstations writing the same data take turns, as with a file),
// and keeps the dialect's helper functions in its own session.
class PgConnection final : public Connection {
  public:
    ~PgConnection() override;
    PgConnection(const PgConnection&) = delete;
    PgConnection& operator=(const PgConnection&) = delete;

    // Connects with a libpq connection string ("host=... dbname=...",
    // "service=NAME" or a postgresql:// address). role names what the
    // connection stands for (a data folder file's name): the writer lock is
    // taken per role, and messages name it. lockWaitMs: how long a writer
    // waits for another to finish.
    static Result<std::unique_ptr<PgConnection>> open(const QString& conninfo, const QString& role,
                                                      int lockWaitMs = 3000);

    Result<std::unique_ptr<EngineStatement>> prepare(const QString& sql) override;
    [[nodiscard]] Status execScript(const QString& sql) override;
    [[nodiscard]] Status begin() override;
    [[nodiscard]] Status commit() override;
    void rollback() override;
    // Also moves when a dropped connection is made again (what was written
    // meanwhile is unknown), which it does without waiting: each call takes
    // the new connection on as far as the network lets it.
    qint64 changeToken() override;
    // What the other connections' notes said after token since (each note
    // moved the token by one), oldest first: a note is empty for a commit,
    // "table:key" for a row a trigger saw change. None when some of them are
    // no longer kept (too many since, or the connection was made again and
    // missed what came meanwhile).
    std::optional<std::vector<QByteArray>> notesSince(qint64 since) const;
    // Whether the server can be reached: false while the connection is down.
    bool connected() const;
    qint64 totalChanges() const override;
    const Dialect& dialect() const override;
    QString displayName() const override;

    // An expression giving a row's version, read beside the row: the
    // transaction that wrote it last, which moves whenever anyone writes it.
    static QString rowVersion();

    // Whether the server has ICU collations (the Hungarian order needs one).
    bool hasIcu() const { return icu_; }
    // The server's database name and host, never the password.
    QString serverName() const;

    // The classified Error of a failed result (or of the connection itself
    // when res is null); for the statements of this connection.
    Error errorOf(const void* res);
    // Called after each statement that wrote rows: the commit (or the
    // statement itself, outside a transaction) tells other connections.
    Status noteWrite(qint64 rows);
    // Inside a transaction begun here: keeps what the statements so far
    // wrote, or undoes the one statement that just failed.
    Status keepStatement();
    void undoStatement();
    bool inTransaction() const;
    pg_conn* handle() const { return conn_; }
    // The server process serving this connection (what the server's views
    // and pg_terminate_backend name).
    int serverProcess() const;

    // The name of the writer lock that begin() takes for role's data set.
    static QByteArray writerLockName(const QString& role);
    // Takes role's writer lock for the whole session, without waiting:
    // false when another connection holds it. Writers then wait for it in
    // begin() and are refused after lockWaitMs, as behind any other writer.
    // It goes when the connection closes.
    Result<bool> tryLockSession(const QString& role);
    // The other connections holding role's writer lock, a line each for a
    // message (see sessionLines).
    QStringList lockHolders(const QString& role);
    // The other client sessions on this connection's database, a line each
    // for a message: the database user, the client's host ("helyi" on the
    // server's own machine), the program (application_name, which names
    // the workstation) and since when.
    QStringList otherSessions();
    // Runs a "COPY ... FROM stdin" statement with rows in COPY's text form
    // (a line each); the rows written. Inside a transaction a failure
    // undoes this statement only, like any other write.
    Result<qint64> copyIn(const QByteArray& statement, const QByteArray& rows);

  private:
    PgConnection() = default;
    Status setUpSession();
    Status simple(const char* sql);
    // Reconnects a connection the server dropped, outside a transaction.
    void reviveIfLost();
    // One step of making a dropped connection again without blocking.
    void pollRevival();
    // After a new connection: its session, and the token moved.
    void revived();

    pg_conn* conn_ = nullptr;
    QString role_;
    int lockWaitMs_ = 3000;
    bool icu_ = false;
    std::unique_ptr<Dialect> dialect_;
    qint64 token_ = 0;
    // The newest notes, the last one token_'s.
    std::deque<QByteArray> notes_;
    qint64 changes_ = 0;
    bool wroteInTransaction_ = false;
    bool transactionOpen_ = false;  // begun here, not yet committed or rolled back
    bool resetting_ = false;        // a connection being made again step by step
    bool resetWrites_ = false;      // its next step waits to write, not to read
};

// What kind of failure a five-character SQLSTATE is.
ErrorKind classify(const QByteArray& sqlstate);
// Whether the SQLSTATE says the connection to the server is gone.
bool connectionLost(const QByteArray& sqlstate);
// The SQLSTATE packed into the Error's code (six bits a character), and back.
int sqlstateCode(const QByteArray& sqlstate);
QByteArray sqlstateOf(int code);

// The statement with SQLite's parameters (?NNN, and ? numbered after the
// highest so far) written as PostgreSQL's ($NNN); quoted texts, quoted
// names and comments are left alone. paramCount receives the highest number.
QString rewriteParameters(const QString& sql, int* paramCount = nullptr);

// The connection string with any password hidden, for a message.
QString withoutPassword(const QString& conninfo);

// Whether a server address may be kept in the parameters: empty (the data
// folder's files), or a connection string libpq can read that carries no
// password. The Error says why not, in Hungarian, without the password.
Status checkServerAddress(const QString& conninfo);

}  // namespace vela::postgres
