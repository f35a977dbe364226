#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "base/connection.h"
#include "base/result.h"
#include "base/textrules.h"

namespace vela {

class Statement;

// One open database file of the data folder. It is never created here: a
// missing, foreign, damaged or locked file is an error with a Hungarian text
// that names the file. While open, the file carries a shared advisory lock
// that tells VelaRep it is in use.
class Database {
  public:
    using Row = QVariantList;

    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Opens a file of the data folder (the current directory) by its bare
    // name, found case-insensitively. Each of requiredTables must exist. A
    // file SQLite reports damaged fails with SQLite's code in the Error, so
    // error().damaged() tells it from other failures.
    static Result<std::unique_ptr<Database>> open(const QString& bareName,
                                                  const QStringList& requiredTables = {});
    // Opens a file by its path. readOnly: never written (the invoicing database).
    static Result<std::unique_ptr<Database>> openPath(const QString& path,
                                                      const QStringList& requiredTables = {},
                                                      bool readOnly = false);

    // Opens on a database server (a libpq connection string or
    // "service=NAME") the tables of the data folder file fileName, which
    // names the data in messages and takes the writer's place for them. The
    // session's own scratch table is made on the way; each of
    // requiredTables must exist on the server.
    static Result<std::unique_ptr<Database>> openServer(const QString& conninfo,
                                                        const QString& fileName,
                                                        const QStringList& requiredTables = {});
    bool onServer() const { return onServer_; }

    // A file that the engine reports damaged at any moment is marked so: no statement runs on it
    // any more, and the process-wide handler hears of it once, to tell the user and end.
    using DamageHandler = std::function<void(Database&)>;
    static void setDamageHandler(DamageHandler handler);
    bool isDamaged() const { return damaged_; }
    // The one message for the user: the file, that it is damaged, what
    // VelaRep does about it, and SQLite's own text as a detail line.
    QString damageMessage() const;
    static QString damageMessage(const QString& fileName, const QString& detail);

    // The entry of dir whose name equals name case-insensitively; when none
    // exists, dir/name with the spelling given.
    static QString findFile(const QString& dir, const QString& name);

    // The connection to the engine, for storage's statements.
    Connection* handle() const { return handle_.get(); }
    const Dialect& dialect() const { return handle_->dialect(); }
    // The dialect of the engine the data folder's files are opened with.
    static const Dialect& engineDialect();
    QString path() const { return path_; }
    QString fileName() const;

    // Runs a statement with bound values.
    [[nodiscard]] Status exec(const QString& sql, const QVariantList& binds = {});
    // The first column of the first row (null when there is no row).
    Result<QVariant> scalar(const QString& sql, const QVariantList& binds = {});
    // Every row of a query: the unbound results of the windows.
    Result<std::vector<Row>> rows(const QString& sql, const QVariantList& binds = {});
    // Whether the table exists; a file that cannot be asked has none.
    bool hasTable(const QString& table);

    // The statement for sql, prepared on this connection the first time and
    // kept for the next call with the same text: the single-row reads and
    // writes that a booking repeats thousands of times. It comes rewound;
    // the caller binds every value, is done with it before it asks for
    // another, and rewinds it afterwards so no read stays open.
    Statement& prepared(const QString& sql);

    [[nodiscard]] Status begin();
    [[nodiscard]] Status commit();
    // Undoes the open transaction; without one there is nothing to undo.
    void rollback();
    bool inTransaction() const;

  private:
    Database() = default;
    static void noteDamage(Connection* db, const Error& error);

    std::unique_ptr<Connection> handle_;
    // Finalized before the connection closes (see the destructor).
    std::map<QString, std::unique_ptr<Statement>> prepared_;
    QString path_;
    int lockFd_ = -1;
    bool onServer_ = false;
    bool damaged_ = false;
    QString damageDetail_;
};

// While it lives, its connection keeps many more of the file's pages in
// memory: for a pass or a booking that writes rows all over a big file, and
// would otherwise read the same index pages again and spill its changes to
// the file before the commit. It only speeds the work up: an engine without
// a page cache setting, or a setting that cannot be read, changes nothing.
class WidePageCache {
  public:
    explicit WidePageCache(Database& db);
    ~WidePageCache();
    WidePageCache(const WidePageCache&) = delete;
    WidePageCache& operator=(const WidePageCache&) = delete;

  private:
    Database& db_;
    QVariant before_;
};

}  // namespace vela
