#include "maintenance/maintenancerun.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QUrl>
#include <cerrno>
#include <cstring>

#include "base/filelookup.h"
#include "base/sqlquote.h"
#include "base/statement.h"
#include "maintenance/fileops.h"
#include "maintenance/maintenanceview.h"
#include "maintenance/repdialogservice.h"
#include "maintenance/reptexts.h"

namespace velarep {

namespace {

const QStringList kSystemTables = {"msysaces",          "msysmodules",     "msysmodules2",
                                   "msysobjects",       "msysqueries",     "msysrelationships",
                                   "msysaccessobjects", "msysimexcolumns", "msysimexspecs"};
const QStringList kEmptiedFirst = {"users",     "felhasználóreg", "kdtabla", "bettorzs",
                                   "paraméter", "bevet",          "kivet"};
const QString kNeverFilled = QStringLiteral("betarolaskitarolas");
// Files SQLite keeps beside a database; they travel with it.
const QStringList kCompanions = {"-journal", "-wal", "-shm"};

QString u(const char* text) {
    return QString::fromUtf8(text);
}

QString quoteId(const QString& name) {
    return vela::quoteIdentifier(name);
}

QString sqlError(sqlite3* db) {
    return QString::fromUtf8(sqlite3_errmsg(db));
}

bool exec(sqlite3* db, const QString& sql, QString* error = nullptr) {
    vela::Statement st(db, sql);
    const bool ok = st.exec();
    if (error)
        *error = ok ? QString() : st.error();
    return ok;
}

// The first column of every row.
QStringList column(sqlite3* db, const QString& sql, const QStringList& binds, QString* error) {
    vela::Statement st(db, sql);
    for (int i = 0; i < binds.size(); ++i) st.bind(i + 1, binds[i]);
    QStringList out;
    while (st.next()) out << st.text(0);
    if (error)
        *error = st.error();
    return out;
}

QString fileUri(const QString& path) {
    return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded) + QStringLiteral("?mode=rw");
}

// Opening a database lets SQLite roll back a journal a crashed program left
// behind, so the file moved into the backup folder is whole on its own.
void settle(const QString& path) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) ==
        SQLITE_OK)
        exec(db, QStringLiteral("SELECT count(*) FROM sqlite_master"));
    sqlite3_close(db);
}

// The source table of the same name (Jet compares names ignoring case).
QString findTable(const QStringList& tables, const QString& name) {
    const QString folded = name.toCaseFolded();
    for (const QString& t : tables) {
        if (t.toCaseFolded() == folded)
            return t;
    }
    return {};
}

}  // namespace

struct MaintenanceRun::Entry {
    QString name;        // as in the list
    QString fileName;    // as spelt in the data folder
    QString backupPath;  // set once this run has moved the user's file
    QString freshPath;   // set once the template copy is in place
    int userLock = -1;
    int freshLock = -1;
    ~Entry() {
        fileops::unlock(userLock);
        fileops::unlock(freshLock);
    }
};

MaintenanceRun::MaintenanceRun(QString templateDir, RepDialogService& dialogs,
                               MaintenanceView* view)
    : templateDir_(std::move(templateDir)),
      dialogs_(dialogs),
      view_(view),
      clock_([] { return QDateTime::currentDateTime(); }) {}

const QStringList& MaintenanceRun::databaseList() {
    static const QStringList list = {"betarol.kdb", "veladata.mdb", "parameter.kdb",
                                     "lfakturo.mdb"};
    return list;
}

QString MaintenanceRun::templateDirFor(const QString& programDir) {
    QString dir = programDir;
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir + QStringLiteral("Data/");
}

void MaintenanceRun::setView(MaintenanceView* view) {
    view_ = view;
}

void MaintenanceRun::show(const std::function<void(MaintenanceView&)>& change) {
    if (view_) {
        change(*view_);
        view_->repaint();
    }
}

bool MaintenanceRun::proceed(const QString& source, const QString& error) {
    if (error.isEmpty() || quiet_)
        return true;
    if (view_)
        view_->setWaitCursor(false);
    const bool yes = dialogs_.ask(
        source + QLatin1Char('\n') + error + QLatin1Char('\n') + u(texts::kFailureQuestion),
        u(texts::kFailureTitle), RepDialogService::Icon::Critical);
    if (view_)
        view_->setWaitCursor(true);
    return yes;
}

bool MaintenanceRun::run() {
    if (busy_)
        return false;
    busy_ = true;
    quiet_ = false;
    skipped_.clear();
    if (view_) {
        view_->setWaitCursor(true);
        view_->setRunning(true);
    }
    show([](MaintenanceView& v) { v.setDatabaseProgress(0, int(databaseList().size())); });

    const bool completed = runSteps();

    if (view_) {
        view_->setRunning(false);
        view_->setWaitCursor(false);
    }
    busy_ = false;
    if (completed) {
        QString text = u(texts::kEndMessage);
        if (!skipped_.isEmpty())
            text += QStringLiteral("\n\n") + u(texts::kSkippedRowsHeader) + QLatin1Char('\n') +
                    skipped_.join(QLatin1Char('\n'));
        dialogs_.tell(text, u(texts::kEndTitle), RepDialogService::Icon::Information);
    }
    return completed;
}

bool MaintenanceRun::runSteps() {
    dataDir_ = QDir::currentPath();
    backupFolder_ = QStringLiteral("SAVE") + clock_().toString(QStringLiteral("-yyyyMMdd-HHmmss"));
    backupDir_ = QDir(dataDir_).filePath(backupFolder_);
    QString error;
    if (::mkdir(QFile::encodeName(backupDir_).constData(), 0777) != 0) {
        error = errno == EEXIST
                    ? QStringLiteral(
                          "A(z) „%1” mentési mappa már létezik (az előző futtatás "
                          "ugyanebben a másodpercben indult).")
                          .arg(backupFolder_)
                    : QStringLiteral("A(z) „%1” mentési mappa nem hozható létre: %2")
                          .arg(backupFolder_, QString::fromLocal8Bit(std::strerror(errno)));
    }
    if (!proceed(u(texts::kFileSource), error))
        return false;

    int done = 0;
    for (const QString& name : databaseList()) {
        if (!runEntry(name))
            return false;
        ++done;
        show([&](MaintenanceView& v) {
            v.setDatabaseProgress(done, int(databaseList().size()));
            v.setStatusText(u(texts::kCopyingDatabase));
        });
        show([](MaintenanceView& v) { v.setStatusText(QString()); });
    }
    return true;
}

bool MaintenanceRun::runEntry(const QString& name) {
    quiet_ = false;
    show([&](MaintenanceView& v) { v.setDatabaseText(u(texts::kDatabasePrefix) + name); });
    Entry e;
    e.name = name;
    if (!proceed(u(texts::kFileSource), moveToBackup(e)))
        return false;
    if (!proceed(u(texts::kFileSource), copyTemplate(e)))
        return false;
    // Only a file this run moved is copied back: a user's file left in place
    // (its move failed) is never refilled from an older backup, and without a
    // fresh copy there is nothing to fill.
    if (!e.backupPath.isEmpty() && !e.freshPath.isEmpty())
        return copyDatabase(e);
    return true;
}

QString MaintenanceRun::moveToBackup(Entry& e) {
    e.fileName = vela::findEntryNoCase(dataDir_, e.name);
    if (e.fileName.isEmpty())
        return {};
    const QDir data(dataDir_);
    const QString userPath = data.filePath(e.fileName);
    QString error = fileops::lockExclusive(userPath, &e.userLock);
    if (!error.isEmpty())
        return error;
    settle(userPath);
    const QString target = QDir(backupDir_).filePath(e.fileName);
    error = fileops::moveNoReplace(userPath, target);
    if (!error.isEmpty()) {
        fileops::unlock(e.userLock);
        e.userLock = -1;
        return error;
    }
    e.backupPath = target;
    for (const QString& suffix : kCompanions) {
        const QString companion = userPath + suffix;
        if (QFileInfo::exists(companion)) {
            error = fileops::moveNoReplace(companion, target + suffix);
            if (!error.isEmpty())
                break;
        }
    }
    fileops::syncFolder(backupDir_);
    fileops::syncFolder(dataDir_);
    return error;
}

QString MaintenanceRun::copyTemplate(Entry& e) {
    const QString templateName = vela::findEntryNoCase(templateDir_, e.name);
    if (templateName.isEmpty())
        return QStringLiteral("A(z) „%1” sablon adatbázis nem található a(z) „%2” mappában.")
            .arg(e.name, QDir::toNativeSeparators(templateDir_));
    const QString inPlace = vela::findEntryNoCase(dataDir_, e.name);
    if (!inPlace.isEmpty())
        return QStringLiteral(
                   "A(z) „%1” nem került át a mentési mappába, ezért nem írható "
                   "felül a sablonnal; a helyén marad.")
            .arg(inPlace);
    // The user's spelling when there was a file, the template's otherwise.
    const QString fileName = e.fileName.isEmpty() ? templateName : e.fileName;
    const QDir data(dataDir_);
    const QString finalPath = data.filePath(fileName);
    const QString tempPath = data.filePath(QStringLiteral(".%1.velarep-tmp").arg(fileName));
    QString error = fileops::copyDurable(QDir(templateDir_).filePath(templateName), tempPath);
    if (!error.isEmpty())
        return error;
    // Held until the rows are back, so VelaData does not open a half-filled file.
    fileops::lockExclusive(tempPath, &e.freshLock);
    error = fileops::moveNoReplace(tempPath, finalPath);
    if (!error.isEmpty()) {
        QFile::remove(tempPath);
        return error;
    }
    fileops::syncFolder(dataDir_);
    e.freshPath = finalPath;
    return {};
}

bool MaintenanceRun::copyDatabase(Entry& e) {
    const QString target = e.freshPath;
    const QString source = u(texts::kDatabaseSource);
    sqlite3* db = nullptr;
    QString error;
    if (sqlite3_open_v2(QFile::encodeName(target).constData(), &db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI, nullptr) != SQLITE_OK)
        error = sqlError(db);
    else
        exec(db, QStringLiteral("SELECT count(*) FROM main.sqlite_master"), &error);
    if (!error.isEmpty()) {
        sqlite3_close(db);
        // Nothing more can be done for this database whatever the answer.
        return proceed(source, QStringLiteral("A(z) „%1” nem nyitható meg adatbázisként: %2")
                                   .arg(QFileInfo(target).fileName(), error));
    }
    struct Closer {
        sqlite3* db;
        ~Closer() { sqlite3_close(db); }
    } closer{db};
    exec(db, QStringLiteral("PRAGMA cache_size = -16384"));

    {
        vela::Statement attach(db, QStringLiteral("ATTACH DATABASE ?1 AS src"));
        attach.bind(1, fileUri(e.backupPath));
        if (!attach.exec())
            error = attach.error();
    }
    QStringList sourceTables;
    if (error.isEmpty())
        sourceTables =
            column(db, QStringLiteral("SELECT name FROM src.sqlite_master WHERE type = 'table'"),
                   {}, &error);
    if (!error.isEmpty())
        return proceed(source, QStringLiteral("A(z) „%1” (mentett példány) nem nyitható meg "
                                              "adatbázisként: %2")
                                   .arg(QDir::toNativeSeparators(e.backupPath), error));

    show([](MaintenanceView& v) { v.setStatusText(QString()); });
    const QStringList tables = column(
        db,
        QStringLiteral("SELECT name FROM main.sqlite_master WHERE type = 'table' ORDER BY rowid"),
        {}, &error);
    const QStringList linked =
        column(db,
               QStringLiteral("SELECT name FROM main.sqlite_master WHERE type = 'table' AND "
                              "sql LIKE 'CREATE VIRTUAL TABLE%'"),
               {}, &error);
    if (!error.isEmpty())
        return proceed(source, QStringLiteral("A(z) „%1” táblái nem olvashatók: %2")
                                   .arg(QFileInfo(target).fileName(), error));
    tablesDone_ = 0;
    tableCount_ = int(tables.size());
    show([&](MaintenanceView& v) { v.setTableProgress(0, tableCount_); });

    for (const QString& table : tables) {
        show([&](MaintenanceView& v) { v.setTableText(u(texts::kTablePrefix) + table); });
        const QString lower = table.toLower();
        // The engine's own tables stand where Jet's system tables stood, and a
        // virtual table's rows live elsewhere, as a linked table's did.
        const bool never = kSystemTables.contains(lower) ||
                           lower.startsWith(QLatin1String("sqlite_")) || linked.contains(table);
        if (!never) {
            show([](MaintenanceView& v) { v.setStatusText(u(texts::kCopyingRows)); });
            quiet_ = true;
            const QString sourceTable = findTable(sourceTables, table);
            if (!sourceTable.isEmpty())
                copyTable(db, table, sourceTable, e);
            show([](MaintenanceView& v) { v.setStatusText(QString()); });
        }
        ++tablesDone_;
        show([&](MaintenanceView& v) { v.setTableProgress(tablesDone_, tableCount_); });
    }
    return true;
}

void MaintenanceRun::copyTable(sqlite3* db, const QString& table, const QString& sourceTable,
                               Entry& e) {
    QString error;
    const QStringList targetColumns = column(
        db, QStringLiteral("SELECT name FROM pragma_table_info(?1, 'main')"), {table}, &error);
    const QStringList sourceColumns = column(
        db, QStringLiteral("SELECT name FROM pragma_table_info(?1, 'src')"), {sourceTable}, &error);
    // Shared columns in the source's order; names compared as Jet does, ignoring case.
    QStringList into, from;
    for (const QString& c : sourceColumns) {
        const QString t = findTable(targetColumns, c);
        if (!t.isEmpty() && !into.contains(quoteId(t))) {
            into << quoteId(t);
            from << quoteId(c);
        }
    }
    const QString lower = table.toLower();
    const QString target = QStringLiteral("main.") + quoteId(table);
    const QString source = QStringLiteral("src.") + quoteId(sourceTable);

    exec(db, QStringLiteral("SAVEPOINT velarep_table"));
    if (kEmptiedFirst.contains(lower))
        exec(db, QStringLiteral("DELETE FROM ") + target);
    const QStringList hasRows =
        column(db, QStringLiteral("SELECT EXISTS (SELECT 1 FROM %1)").arg(target), {}, &error);
    const bool filled = !hasRows.isEmpty() && hasRows.first() != QLatin1String("0");
    bool failed = false;
    if (!filled && lower != kNeverFilled && !into.isEmpty() && error.isEmpty()) {
        qint64 inserted = -1;
        if (sameShape(db, table, sourceTable)) {
            // The same table in both files (the usual case): SQLite copies
            // the stored rows and index entries as they are.
            exec(db, QStringLiteral("SAVEPOINT velarep_bulk"));
            if (exec(db, QStringLiteral("INSERT INTO %1 SELECT * FROM %2").arg(target, source))) {
                inserted = sqlite3_changes64(db);
                exec(db, QStringLiteral("RELEASE velarep_bulk"));
            } else {
                exec(db, QStringLiteral("ROLLBACK TO velarep_bulk"));
                exec(db, QStringLiteral("RELEASE velarep_bulk"));
            }
        }
        if (inserted < 0) {
            // Plain indexes are built again after the rows are in: one sort
            // instead of a million scattered index updates. Unique ones stay,
            // so that a duplicate is refused row by row.
            const QStringList indexes =
                column(db,
                       QStringLiteral("SELECT m.sql FROM pragma_index_list(?1, 'main') AS l "
                                      "JOIN main.sqlite_master AS m ON m.name = l.name "
                                      "WHERE l.\"unique\" = 0 AND m.sql IS NOT NULL"),
                       {table}, &error);
            const QStringList indexNames =
                column(db,
                       QStringLiteral("SELECT m.name FROM pragma_index_list(?1, 'main') AS l "
                                      "JOIN main.sqlite_master AS m ON m.name = l.name "
                                      "WHERE l.\"unique\" = 0 AND m.sql IS NOT NULL"),
                       {table}, &error);
            for (const QString& name : indexNames)
                exec(db, QStringLiteral("DROP INDEX main.") + quoteId(name));
            const QString head = QStringLiteral("INSERT OR IGNORE INTO %1 (%2) ")
                                     .arg(target, into.join(QLatin1Char(',')));
            const QString select =
                QStringLiteral("SELECT %1 FROM %2").arg(from.join(QLatin1Char(',')), source);
            exec(db, QStringLiteral("SAVEPOINT velarep_bulk"));
            if (exec(db, head + select)) {
                inserted = sqlite3_changes64(db);
                exec(db, QStringLiteral("RELEASE velarep_bulk"));
            } else {
                // A value the fresh column refuses (a type that no longer
                // fits) fails the whole statement: then the rows go one by
                // one and only the refused ones stay behind.
                exec(db, QStringLiteral("ROLLBACK TO velarep_bulk"));
                exec(db, QStringLiteral("RELEASE velarep_bulk"));
                inserted = copyRowByRow(db, head, select, int(into.size()));
            }
            for (const QString& sql : indexes) failed = !exec(db, sql) || failed;
        }
        const QStringList count =
            column(db, QStringLiteral("SELECT count(*) FROM %1").arg(source), {}, &error);
        const qint64 total = count.isEmpty() ? 0 : count.first().toLongLong();
        if (failed)
            inserted = 0;
        if (total > inserted)
            skipped_
                << QStringLiteral("%1 / %2: %3 sor").arg(e.fileName, table).arg(total - inserted);
    }
    if (failed)
        exec(db, QStringLiteral("ROLLBACK TO velarep_table"));
    if (!exec(db, QStringLiteral("RELEASE velarep_table")))
        exec(db, QStringLiteral("ROLLBACK"));
}

bool MaintenanceRun::sameShape(sqlite3* db, const QString& table, const QString& sourceTable) {
    // Same columns, types, checks and indexes: compared by their definitions.
    const QString query = QStringLiteral(
        "SELECT group_concat(x, char(10)) FROM (SELECT coalesce(sql, '') AS x FROM "
        "%1.sqlite_master "
        "WHERE tbl_name = ?1 AND type IN ('index', 'table') ORDER BY type DESC, x)");
    QString error;
    const QStringList mine = column(db, query.arg(QStringLiteral("main")), {table}, &error);
    const QStringList theirs = column(db, query.arg(QStringLiteral("src")), {sourceTable}, &error);
    return error.isEmpty() && table == sourceTable && mine == theirs && !mine.isEmpty();
}

qint64 MaintenanceRun::copyRowByRow(sqlite3* db, const QString& insertHead, const QString& select,
                                    int columns) {
    QStringList marks;
    for (int i = 0; i < columns; ++i) marks << QStringLiteral("?");
    vela::Statement read(db, select);
    vela::Statement write(
        db, insertHead + QStringLiteral("VALUES (%1)").arg(marks.join(QLatin1Char(','))));
    if (!read.ok() || !write.ok())
        return 0;
    qint64 inserted = 0;
    while (read.next()) {
        for (int i = 0; i < columns; ++i) write.bindValue(i + 1, read.rawValue(i));
        if (write.exec())
            inserted += sqlite3_changes64(db);
        write.reset();
    }
    return inserted;
}

}  // namespace velarep
