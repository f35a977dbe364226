#include "maintenance/maintenancerun.h"

#include <sys/stat.h>

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QUrl>
#include <cerrno>
#include <cstring>
#include <memory>

#include "base/filekind.h"
#include "base/filelookup.h"
#include "base/sqlite/sqliteconnection.h"
#include "base/sqlquote.h"
#include "base/statement.h"
#include "maintenance/fileops.h"
#include "maintenance/jetsource.h"
#include "maintenance/maintenanceview.h"
#include "maintenance/pagesalvage.h"
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

using vela::Connection;
using vela::sqlite::OpenMode;
using vela::sqlite::SqliteConnection;

// The kind of a failure; Other for success.
vela::ErrorKind kindOf(const vela::Status& status) {
    return status ? vela::ErrorKind::Other : status.error().kind;
}

// A failure carries the engine's code and kind.
vela::Status exec(Connection* db, const QString& sql) {
    return vela::Statement(db, sql).exec();
}

// Runs a statement; the rows it inserted, changed or deleted.
vela::Result<qint64> execCounting(Connection* db, const QString& sql) {
    vela::Statement st(db, sql);
    if (vela::Status s = st.exec(); !s)
        return s.error();
    return st.rowsChanged();
}

// A statement whose failure needs no handling of its own: a setting that
// only speeds the copy up, a savepoint whose loss the closing RELEASE
// reports, a rollback or an index dropped before the step that follows
// finds whatever state it left.
void tryExec(Connection* db, const QString& sql) {
    (void)exec(db, sql);
}

// The first column of every row.
vela::Result<QStringList> column(Connection* db, const QString& sql,
                                 const QStringList& binds = {}) {
    vela::Statement st(db, sql);
    // A value that cannot be bound leaves the statement failed: its status
    // below tells it.
    for (int i = 0; i < binds.size(); ++i) st.bind(i + 1, binds[i]);
    QStringList out;
    while (st.next()) out << st.text(0);
    if (!st.status())
        return st.status().error();
    return out;
}

// The rows of a lookup whose failure needs no message of its own (the
// template's own tables, a schema already read once): none when it failed,
// which the step using them takes as "nothing there".
QStringList rowsOrNone(vela::Result<QStringList> rows) {
    return rows ? std::move(*rows) : QStringList();
}

// A failure to write the fresh file itself (a full disk, an I/O error), as
// opposed to a row the fresh table refuses.
bool isWriteFailure(vela::ErrorKind kind) {
    return kind == vela::ErrorKind::Disk;
}

QString thousands(qint64 n) {
    return QString::number(n);
}

QString fileUri(const QString& path) {
    return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded) + QStringLiteral("?mode=rw");
}

// Opening a database lets SQLite roll back a journal a crashed program left
// behind, so the file moved into the backup folder is whole on its own.
void settle(const QString& path) {
    if (auto db = SqliteConnection::open(path, OpenMode::ReadWrite))
        tryExec(db->get(), QStringLiteral("SELECT count(*) FROM sqlite_master"));
}

// An error text as a sentence of its own, to be followed by what came of it.
QString sentence(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty() || t.endsWith(QLatin1Char('.')) || t.endsWith(QLatin1Char('!')) ||
        t.endsWith(QLatin1Char('?')))
        return t;
    return t + QLatin1Char('.');
}

// An Access file's own tables, which hold no user rows.
bool isJetSystemTable(const QString& name) {
    const QString lower = name.toLower();
    return kSystemTables.contains(lower) || lower.startsWith(QLatin1String("msys")) ||
           lower.startsWith(QLatin1Char('~'));
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
    QString backupPath;  // the user's rows: moved there by this run (or resumed)
    QString tempPath;    // the fresh copy while it is filled
    QString finalPath;   // where the fresh copy goes once it is whole
    bool moved = false;  // this run moved the user's file into its backup folder
    bool resumed = false;
    vela::FileKind kind = vela::FileKind::Missing;
    // The fresh file could not be written: it never takes the user's place.
    QString writeError;
    // The backup's table list is unreadable: the template's stands in for it.
    bool schemaLost = false;
    // The page-by-page reader of a damaged file, opened at its first use.
    bool salvageTried = false;
    std::unique_ptr<PageSalvage> salvage;
    QString salvageError;
    std::unique_ptr<JetSource> jet;
    QStringList jetTables;
    QStringList skipped;
    // "table N sor" for each table whose rows came across.
    QStringList arrived;
    // The backed-up file could not be read: the clean template takes its place.
    QString sourceError;
    // An earlier run's backup copy stands in for a missing file, by the user's choice.
    bool broughtBack = false;
    QString declinedBackup;
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
    salvaged_.clear();
    notes_.clear();
    problems_.clear();
    untouched_.clear();
    arrived_.clear();
    finalReport_.clear();
    madeBackupDir_ = false;
    if (view_) {
        view_->setWaitCursor(true);
        view_->setRunning(true);
    }
    show([](MaintenanceView& v) { v.setDatabaseProgress(0, int(databaseList().size())); });

    const bool completed = runSteps();
    removeEmptyBackup();
    if (completed && finalStep_) {
        if (!problems_.isEmpty())
            problems_ << (finalNotRun_.isEmpty() ? u(texts::kMoveNotRun) : finalNotRun_);
        else if (const vela::Status s = finalStep_(finalReport_); !s)
            problems_ << sentence(s.errorText());
    }

    if (view_) {
        view_->setRunning(false);
        view_->setWaitCursor(false);
    }
    busy_ = false;
    // A stopped run tells too: what was done, and which files it left alone.
    dialogs_.tell(endText(completed), u(texts::kEndTitle),
                  problems_.isEmpty() ? RepDialogService::Icon::Information
                                      : RepDialogService::Icon::Critical);
    return completed;
}

QString MaintenanceRun::endText(bool completed) const {
    QString text = !completed            ? u(texts::kStopped)
                   : problems_.isEmpty() ? u(texts::kEndMessage)
                                         : u(texts::kEndWithErrors);
    auto section = [&](const QString& header, const QStringList& lines) {
        if (lines.isEmpty())
            return;
        text += QStringLiteral("\n\n");
        if (!header.isEmpty())
            text += header + QLatin1Char('\n');
        text += lines.join(QLatin1Char('\n'));
    };
    section(u(texts::kErrorsHeader), problems_);
    if (!untouched_.isEmpty())
        section({}, {u(texts::kUntouched).arg(untouched_.join(QStringLiteral(", ")))});
    section(u(texts::kArrivedHeader), arrived_);
    section(finalHeader_, finalReport_);
    section(u(texts::kSkippedRowsHeader), skipped_);
    section(u(texts::kSalvagedHeader), salvaged_);
    section({}, notes_);
    return text;
}

void MaintenanceRun::removeEmptyBackup() {
    // Only a folder this run made, and only when nothing went into it.
    if (madeBackupDir_ &&
        QDir(backupDir_)
            .isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        QDir(dataDir_).rmdir(backupFolder_);
}

void MaintenanceRun::leftAlone(const Entry& e, const QString& error) {
    const QString inPlace = vela::findEntryNoCase(dataDir_, e.name);
    if (inPlace.isEmpty()) {
        problems_ << u(texts::kStillMissing).arg(e.name, sentence(error));
    } else {
        problems_ << QStringLiteral("%1: %2").arg(inPlace, sentence(error));
        untouched_ << inPlace;
    }
}

void MaintenanceRun::noteArrived(Entry& e, const QString& table, qint64 rows) {
    if (rows > 0)
        e.arrived << u(texts::kArrivedTable).arg(table, thousands(rows));
}

bool MaintenanceRun::runSteps() {
    dataDir_ = QDir::currentPath();
    backupFolder_ = QStringLiteral("SAVE") + clock_().toString(QStringLiteral("-yyyyMMdd-HHmmss"));
    backupDir_ = QDir(dataDir_).filePath(backupFolder_);
    QString error;
    if (::mkdir(QFile::encodeName(backupDir_).constData(), 0777) == 0) {
        madeBackupDir_ = true;
    } else {
        error = errno == EEXIST
                    ? QStringLiteral(
                          "A(z) „%1” mentési mappa már létezik (az előző futtatás "
                          "ugyanebben a másodpercben indult).")
                          .arg(backupFolder_)
                    : QStringLiteral("A(z) „%1” mentési mappa nem hozható létre: %2")
                          .arg(backupFolder_, QString::fromLocal8Bit(std::strerror(errno)));
    }
    if (!error.isEmpty())
        problems_ << sentence(error);
    // The databases a stop leaves as they are: from the given one on.
    auto untouchedFrom = [&](qsizetype first) {
        for (qsizetype i = first; i < databaseList().size(); ++i) {
            const QString inPlace = vela::findEntryNoCase(dataDir_, databaseList()[i]);
            if (!inPlace.isEmpty() && !untouched_.contains(inPlace))
                untouched_ << inPlace;
        }
    };
    if (!proceed(u(texts::kFileSource), error)) {
        untouchedFrom(0);
        return false;
    }
    if (backupStep_) {
        if (const vela::Status s = backupStep_(backupDir_, notes_); !s) {
            problems_ << sentence(s.errorText());
            untouchedFrom(0);
            return false;
        }
    }

    int done = 0;
    for (const QString& name : databaseList()) {
        if (!runEntry(name)) {
            untouchedFrom(done + 1);
            return false;
        }
        ++done;
        show([&](MaintenanceView& v) {
            v.setDatabaseProgress(done, int(databaseList().size()));
            v.setStatusText(u(texts::kCopyingDatabase));
        });
        show([](MaintenanceView& v) { v.setStatusText(QString()); });
    }
    return true;
}

QString MaintenanceRun::tempNameFor(const QString& fileName) {
    return QStringLiteral(".%1.velarep-tmp").arg(fileName);
}

bool MaintenanceRun::runEntry(const QString& name) {
    quiet_ = false;
    show([&](MaintenanceView& v) { v.setDatabaseText(u(texts::kDatabasePrefix) + name); });
    Entry e;
    e.name = name;
    // The fresh copy is made under a temporary name before the user's file
    // moves, and takes the user's place only once it is whole: a run ended
    // at any moment leaves each file whole in its place or in the backup
    // folder, and the temporary file tells the next run where it stopped.
    // A step that fails leaves the user's file where it is, whatever the
    // answer: without a fresh copy nothing could take its place.
    const QString source = u(texts::kFileSource);
    if (const vela::Status fresh = copyTemplate(e); !fresh) {
        leftAlone(e, fresh.errorText());
        QString question = fresh.errorText();
        if (!e.fileName.isEmpty())
            question += QLatin1Char('\n') + u(texts::kNotMoved).arg(e.fileName);
        return proceed(source, question);
    }
    offerOlderCopy(e);
    vela::Status placed = moveToBackup(e);
    if (placed)
        placed = checkMoved(e);
    if (!placed) {
        discardFresh(e);
        leftAlone(e, placed.errorText());
        return proceed(source, placed.errorText());
    }
    if (!e.tempPath.isEmpty() && !e.backupPath.isEmpty() && !copyDatabase(e)) {
        // Stopped by the user: the file this run moved goes back as it was;
        // a copy from an earlier run's folder stays there.
        discardFresh(e);
        const QString name = QFileInfo(e.finalPath).fileName();
        const QString why = e.writeError.isEmpty() ? e.sourceError : e.writeError;
        if (!e.moved) {
            problems_ << u(texts::kStillMissing).arg(name, sentence(why));
        } else if (const vela::Status back = putBack(e); back) {
            problems_ << u(texts::kPutBack).arg(name, sentence(why));
            untouched_ << name;
        } else {
            problems_ << u(texts::kRestoreFailed)
                             .arg(name, back.errorText(), QFileInfo(e.backupPath).dir().dirName());
        }
        return false;
    }
    finishFresh(e);
    return true;
}

void MaintenanceRun::offerOlderCopy(Entry& e) {
    if (!e.fileName.isEmpty() || e.resumed)
        return;
    const QString older = olderBackupOf(e.name);
    if (older.isEmpty())
        return;
    const QString folder = QFileInfo(older).dir().dirName();
    if (view_)
        view_->setWaitCursor(false);
    const bool yes = dialogs_.ask(u(texts::kOfferBackup).arg(e.name, folder), u(texts::kEndTitle),
                                  RepDialogService::Icon::Information);
    if (view_)
        view_->setWaitCursor(true);
    if (yes) {
        e.backupPath = older;
        e.broughtBack = true;
    } else {
        e.declinedBackup = folder;
    }
}

vela::Status MaintenanceRun::putBack(Entry& e) {
    const QString userPath = QDir(dataDir_).filePath(e.fileName);
    vela::Status back = fileops::moveNoReplace(e.backupPath, userPath);
    if (back) {
        e.moved = false;
        for (const QString& suffix : kCompanions) {
            if (QFileInfo::exists(e.backupPath + suffix))
                (void)fileops::moveNoReplace(e.backupPath + suffix, userPath + suffix);
        }
    }
    fileops::syncFolder(dataDir_);
    fileops::syncFolder(backupDir_);
    return back;
}

QString MaintenanceRun::olderBackupOf(const QString& name) const {
    QStringList folders = QDir(dataDir_).entryList({QStringLiteral("SAVE-*")},
                                                   QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    std::sort(folders.begin(), folders.end(), std::greater<>());
    for (const QString& folder : folders) {
        if (folder == backupFolder_)
            continue;
        const QString dir = QDir(dataDir_).filePath(folder);
        const QString entry = vela::findEntryNoCase(dir, name);
        if (!entry.isEmpty() && QFileInfo(QDir(dir).filePath(entry)).isFile())
            return QDir(dir).filePath(entry);
    }
    return {};
}

vela::Status MaintenanceRun::copyTemplate(Entry& e) {
    e.fileName = vela::findEntryNoCase(dataDir_, e.name);
    const QString templateName = vela::findEntryNoCase(templateDir_, e.name);
    // The user's spelling when there is a file, the template's otherwise.
    const QString fileName =
        !e.fileName.isEmpty() ? e.fileName : (templateName.isEmpty() ? e.name : templateName);
    const QDir data(dataDir_);
    // A temporary file left behind: an earlier run ended before this
    // database was whole again. If the user's file is gone from its place,
    // its rows wait in that run's backup folder.
    const QString leftover = vela::findEntryNoCase(dataDir_, tempNameFor(e.name));
    if (!leftover.isEmpty()) {
        QFile::remove(data.filePath(leftover));
        if (e.fileName.isEmpty()) {
            e.backupPath = olderBackupOf(e.name);
            e.resumed = !e.backupPath.isEmpty();
        }
    }
    if (templateName.isEmpty())
        return vela::Error{
            QStringLiteral("A(z) „%1” sablon adatbázis nem található a(z) „%2” mappában.")
                .arg(e.name, QDir::toNativeSeparators(templateDir_))};
    const QString tempPath = data.filePath(tempNameFor(fileName));
    if (vela::Status copied =
            fileops::copyDurable(QDir(templateDir_).filePath(templateName), tempPath);
        !copied)
        return copied;
    // The lock only keeps VelaData off the fresh file while it is filled; a
    // file system without locks leaves it unguarded, and the run goes on.
    if (const vela::Result<int> lock = fileops::lockExclusive(tempPath))
        e.freshLock = *lock;
    e.tempPath = tempPath;
    e.finalPath = data.filePath(fileName);
    return {};
}

vela::Status MaintenanceRun::moveToBackup(Entry& e) {
    if (e.fileName.isEmpty())
        return {};
    const QDir data(dataDir_);
    const QString userPath = data.filePath(e.fileName);
    // A FIFO or a device in the database's place would hold the lock's open
    // until something writes to it; it is no database to rebuild either.
    if (const QString special = vela::notRegularFileText(userPath); !special.isEmpty())
        return vela::Error{special};
    const vela::Result<int> lock = fileops::lockExclusive(userPath);
    if (!lock)
        return lock.error();
    e.userLock = *lock;
    settle(userPath);
    const QString target = QDir(backupDir_).filePath(e.fileName);
    vela::Status moved = fileops::moveNoReplace(userPath, target);
    if (!moved) {
        fileops::unlock(e.userLock);
        e.userLock = -1;
        return moved;
    }
    e.backupPath = target;
    e.moved = true;
    e.resumed = false;
    for (const QString& suffix : kCompanions) {
        const QString companion = userPath + suffix;
        if (QFileInfo::exists(companion)) {
            moved = fileops::moveNoReplace(companion, target + suffix);
            if (!moved)
                break;
        }
    }
    fileops::syncFolder(backupDir_);
    fileops::syncFolder(dataDir_);
    if (!moved) {
        // A journal that stayed behind would be taken for the fresh file's:
        // the database goes back whole, as it was.
        if (putBack(e)) {
            e.backupPath.clear();
            fileops::unlock(e.userLock);
            e.userLock = -1;
        }
    }
    return moved;
}

vela::Status MaintenanceRun::checkMoved(Entry& e) {
    if (e.tempPath.isEmpty())
        return {};
    const QString inPlace = vela::findEntryNoCase(dataDir_, e.name);
    if (inPlace.isEmpty())
        return {};
    discardFresh(e);
    return vela::Error{QStringLiteral("A(z) „%1” nem került át a mentési mappába, ezért nem írható "
                                      "felül a sablonnal; a helyén marad.")
                           .arg(inPlace)};
}

void MaintenanceRun::discardFresh(Entry& e) {
    if (e.tempPath.isEmpty())
        return;
    QFile::remove(e.tempPath);
    fileops::unlock(e.freshLock);
    e.freshLock = -1;
    e.tempPath.clear();
}

void MaintenanceRun::finishFresh(Entry& e) {
    if (e.tempPath.isEmpty())
        return;
    const QString name = QFileInfo(e.finalPath).fileName();
    QString failure = e.writeError;
    if (failure.isEmpty()) {
        vela::Status placed = fileops::syncFile(e.tempPath);
        if (placed)
            placed = fileops::moveNoReplace(e.tempPath, e.finalPath);
        if (!placed)
            failure = placed.errorText();
    }
    if (!failure.isEmpty()) {
        // Not whole: the user's file goes back to its place, as it was.
        discardFresh(e);
        // A file an earlier run moved (a resumed run) stays in that backup folder.
        if (e.moved && putBack(e)) {
            problems_ << u(texts::kRestored).arg(name, failure);
            untouched_ << name;
        } else {
            problems_ << u(texts::kRestoreFailed)
                             .arg(name, failure, QFileInfo(e.backupPath).dir().dirName());
        }
        return;
    }
    fileops::syncFolder(dataDir_);
    e.tempPath.clear();
    const QString folder = QFileInfo(e.backupPath).dir().dirName();
    if (!e.sourceError.isEmpty())
        problems_ << u(texts::kTemplateLaid).arg(name, sentence(e.sourceError), folder);
    if (!e.arrived.isEmpty())
        arrived_ << QStringLiteral("%1: %2").arg(name, e.arrived.join(QStringLiteral(", ")));
    skipped_ << e.skipped;
    if (e.resumed)
        notes_ << u(texts::kResumed).arg(name, folder);
    if (e.broughtBack)
        notes_ << u(texts::kBroughtBack).arg(name, folder);
    if (!e.declinedBackup.isEmpty())
        notes_ << u(texts::kBackupDeclined).arg(name, e.declinedBackup);
    if (e.kind == vela::FileKind::Access && e.sourceError.isEmpty())
        notes_ << u(e.arrived.isEmpty() ? texts::kConvertedNothing : texts::kConverted).arg(name);
    if (e.schemaLost)
        notes_ << u(texts::kSchemaLost).arg(name);
}

bool MaintenanceRun::copyDatabase(Entry& e) {
    const QString target = e.tempPath;
    const QString source = u(texts::kDatabaseSource);
    e.kind = vela::fileKind(e.backupPath);
    // The fresh file itself is unusable: the user's file goes back on Yes.
    auto freshFailed = [&](const QString& text) {
        e.writeError = text;
        return proceed(source, text);
    };
    // The backed-up file cannot be read: on Yes the clean template takes its
    // place and the file waits in the backup folder.
    auto sourceFailed = [&](const QString& text) {
        e.sourceError = text;
        return proceed(source, text);
    };
    QString error;
    vela::Result<std::unique_ptr<SqliteConnection>> opened =
        SqliteConnection::open(target, OpenMode::ReadWrite);
    Connection* db = opened ? opened->get() : nullptr;
    if (!opened)
        error = opened.errorText();
    else
        error = exec(db, QStringLiteral("SELECT count(*) FROM main.sqlite_master")).errorText();
    if (!error.isEmpty()) {
        return freshFailed(QStringLiteral("A(z) „%1” nem nyitható meg adatbázisként: %2")
                               .arg(QFileInfo(e.finalPath).fileName(), error));
    }
    tryExec(db, QStringLiteral("PRAGMA cache_size = -16384"));
    // The file under its temporary name is thrown away if the run ends before
    // it is whole, so it needs no journal on disk; it is flushed once, before
    // it takes the user's place.
    tryExec(db, QStringLiteral("PRAGMA journal_mode = MEMORY"));
    tryExec(db, QStringLiteral("PRAGMA synchronous = OFF"));

    QStringList sourceTables;
    if (e.kind == vela::FileKind::Access) {
        e.jet = std::make_unique<JetSource>(e.backupPath);
        vela::Result<QStringList> jetTables = e.jet->tables();
        if (!jetTables)
            return sourceFailed(jetTables.errorText());
        e.jetTables = std::move(*jetTables);
    } else {
        vela::ErrorKind code = vela::ErrorKind::Other;
        {
            vela::Statement attach(db, QStringLiteral("ATTACH DATABASE ?1 AS src"));
            // A failed bind fails the exec below, which tells it.
            attach.bind(1, fileUri(e.backupPath));
            if (!attach.exec()) {
                error = attach.status().errorText();
                code = kindOf(attach.status());
            }
        }
        if (error.isEmpty()) {
            vela::Result<QStringList> names = column(
                db, QStringLiteral("SELECT name FROM src.sqlite_master WHERE type = 'table'"));
            if (names) {
                sourceTables = std::move(*names);
            } else {
                error = names.error().text;
                code = names.error().kind;
            }
        }
        if (!error.isEmpty() && e.kind == vela::FileKind::Sqlite &&
            code == vela::ErrorKind::Damaged) {
            // An SQLite file whose table list is damaged: its tables are
            // read by the template's, which the file was made from.
            e.schemaLost = true;
            error.clear();
        }
        if (!error.isEmpty())
            return sourceFailed(QStringLiteral("A(z) „%1” (mentett példány) nem nyitható meg "
                                               "adatbázisként: %2")
                                    .arg(QDir::toNativeSeparators(e.backupPath), error));
    }

    show([](MaintenanceView& v) { v.setStatusText(QString()); });
    const vela::Result<QStringList> templateTables = column(
        db,
        QStringLiteral("SELECT name FROM main.sqlite_master WHERE type = 'table' ORDER BY rowid"));
    const vela::Result<QStringList> virtualTables =
        column(db, QStringLiteral("SELECT name FROM main.sqlite_master WHERE type = 'table' AND "
                                  "sql LIKE 'CREATE VIRTUAL TABLE%'"));
    for (const vela::Result<QStringList>* read : {&templateTables, &virtualTables}) {
        if (!*read)
            return freshFailed(QStringLiteral("A(z) „%1” táblái nem olvashatók: %2")
                                   .arg(QFileInfo(e.finalPath).fileName(), read->errorText()));
    }
    const QStringList& tables = *templateTables;
    const QStringList& linked = *virtualTables;
    if (e.schemaLost)
        sourceTables = tables;
    tablesDone_ = 0;
    tableCount_ = int(tables.size());
    show([&](MaintenanceView& v) { v.setTableProgress(0, tableCount_); });

    const QString shownName = e.fileName.isEmpty() ? QFileInfo(e.finalPath).fileName() : e.fileName;
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
            if (e.jet) {
                copyJetTable(db, table, e);
            } else {
                const QString sourceTable = findTable(sourceTables, table);
                if (!sourceTable.isEmpty())
                    copyTable(db, table, sourceTable, e);
            }
            show([](MaintenanceView& v) { v.setStatusText(QString()); });
        }
        ++tablesDone_;
        show([&](MaintenanceView& v) { v.setTableProgress(tablesDone_, tableCount_); });
    }
    // Rows of the user's tables that the template has no table for.
    if (e.jet) {
        for (const QString& t : e.jetTables) {
            if (!findTable(tables, t).isEmpty() || isJetSystemTable(t))
                continue;
            const vela::Result<JetSource::Table> rows = e.jet->read(t, {});
            if (!rows)
                e.skipped << u(texts::kUnreadableTable).arg(shownName, t, rows.errorText());
            else if (!rows->rows.empty())
                e.skipped
                    << u(texts::kNoTemplateTable).arg(shownName, t).arg(qint64(rows->rows.size()));
        }
    } else if (!e.schemaLost) {
        for (const QString& t : sourceTables) {
            if (!findTable(tables, t).isEmpty() ||
                t.toLower().startsWith(QLatin1String("sqlite_")) ||
                kSystemTables.contains(t.toLower()))
                continue;
            const QStringList n = rowsOrNone(
                column(db, QStringLiteral("SELECT count(*) FROM src.%1").arg(quoteId(t))));
            if (!n.isEmpty() && n.first().toLongLong() > 0)
                e.skipped << u(texts::kNoTemplateTable).arg(shownName, t, n.first());
        }
    }
    // The fresh file is complete only when its last write reached the disk.
    quiet_ = true;
    return true;
}

namespace {

// The template table's Yes/No columns: never null in the fresh file.
QStringList booleanColumns(Connection* db, const QString& table, const QStringList& columns) {
    const QStringList sql = rowsOrNone(column(
        db, QStringLiteral("SELECT sql FROM main.sqlite_master WHERE type = 'table' AND name = ?1"),
        {table}));
    QStringList out;
    if (sql.isEmpty())
        return out;
    const QString text = sql.first().simplified();
    for (const QString& c : columns) {
        if (text.contains(quoteId(c) + QStringLiteral(" IN (0, 1)")) ||
            text.contains(quoteId(c) + QStringLiteral(" IN (0,1)")))
            out << c;
    }
    return out;
}

// Every table tree of a damaged file (its schema attached as `schema`), so
// that pages cut off from one are not taken for another's. A lookup that
// fails gives nothing; the survey then finds nothing readable there.
std::vector<PageSalvage::Tree> salvageTrees(Connection* db, const QString& schema) {
    std::vector<PageSalvage::Tree> trees;
    const QStringList names = rowsOrNone(column(
        db,
        QStringLiteral("SELECT name FROM %1.sqlite_master WHERE type = 'table' AND rootpage > 0")
            .arg(schema)));
    for (const QString& name : names) {
        PageSalvage::Tree t;
        t.name = name;
        t.root = rowsOrNone(column(db,
                                   QStringLiteral("SELECT rootpage FROM %1.sqlite_master WHERE "
                                                  "type = 'table' AND name = ?1")
                                       .arg(schema),
                                   {name}))
                     .value(0)
                     .toUInt();
        const QStringList pk = rowsOrNone(
            column(db,
                   QStringLiteral("SELECT cid FROM pragma_table_info(?1, '%1') WHERE pk = 1 AND "
                                  "upper(type) = 'INTEGER' AND (SELECT count(*) FROM "
                                  "pragma_table_info(?1, '%1') WHERE pk > 0) = 1")
                       .arg(schema),
                   {name}));
        t.columns = rowsOrNone(column(db,
                                      QStringLiteral("SELECT count(*) FROM pragma_table_info(?1, "
                                                     "'%1')")
                                          .arg(schema),
                                      {name}))
                        .value(0)
                        .toInt();
        t.rowidColumn = pk.isEmpty() ? -1 : pk.first().toInt();
        trees.push_back(t);
    }
    return trees;
}

}  // namespace

void MaintenanceRun::copyTable(Connection* db, const QString& table, const QString& sourceTable,
                               Entry& e) {
    const QString shownName = e.fileName.isEmpty() ? QFileInfo(e.finalPath).fileName() : e.fileName;
    // Column lists that cannot be read leave no column in common: the table's
    // rows are then counted as not copied.
    const QStringList targetColumns = rowsOrNone(
        column(db, QStringLiteral("SELECT name FROM pragma_table_info(?1, 'main')"), {table}));
    const QStringList sourceColumns =
        e.schemaLost
            ? targetColumns
            : rowsOrNone(column(db, QStringLiteral("SELECT name FROM pragma_table_info(?1, 'src')"),
                                {sourceTable}));
    const QStringList booleans = booleanColumns(db, table, targetColumns);
    // Shared columns in the source's order; names compared as Jet does, ignoring case.
    QStringList into, from;
    for (const QString& c : sourceColumns) {
        const QString t = findTable(targetColumns, c);
        if (!t.isEmpty() && !into.contains(quoteId(t))) {
            into << quoteId(t);
            from << (booleans.contains(t) ? QStringLiteral("coalesce(%1, 0)").arg(quoteId(c))
                                          : quoteId(c));
        }
    }
    // A template's declared key that the old table did not have yet takes
    // the old row ids: every row keeps its identity and its order.
    const QStringList key = rowsOrNone(
        column(db,
               QStringLiteral("SELECT name FROM pragma_table_info(?1, 'main') WHERE pk = 1 AND "
                              "upper(type) = 'INTEGER' AND (SELECT count(*) FROM "
                              "pragma_table_info(?1, 'main') WHERE pk > 0) = 1"),
               {table}));
    const bool sourceHasRowid =
        vela::Statement(
            db, QStringLiteral("SELECT rowid FROM src.%1 LIMIT 0").arg(quoteId(sourceTable)))
            .status()
            .ok();
    if (!key.isEmpty() && !into.isEmpty() && !into.contains(quoteId(key.first())) &&
        sourceHasRowid) {
        into << quoteId(key.first());
        from << QStringLiteral("rowid");
    }
    const QString lower = table.toLower();
    const QString target = QStringLiteral("main.") + quoteId(table);
    const QString source = QStringLiteral("src.") + quoteId(sourceTable);

    auto begin = [&] {
        tryExec(db, QStringLiteral("SAVEPOINT velarep_table"));
        if (kEmptiedFirst.contains(lower))
            tryExec(db, QStringLiteral("DELETE FROM ") + target);
    };
    // A damaged page met while reading leaves SQLite's transaction unusable
    // to its end: the table's transaction starts again from nothing.
    auto restart = [&] {
        tryExec(db, QStringLiteral("ROLLBACK"));
        begin();
    };
    // The source's rows counted first, outside the write: a count walks
    // every page of the table, so a damaged one sends the table straight to
    // the salvage instead of through copies that fail half way.
    qint64 total = 0;
    bool sourceDamaged = e.schemaLost;
    if (!e.schemaLost) {
        const vela::Result<QStringList> count =
            column(db, QStringLiteral("SELECT count(*) FROM %1 NOT INDEXED").arg(source));
        // Any other failure of the count shows again in the copy itself.
        total = count ? count->value(0).toLongLong() : 0;
        sourceDamaged = !count && count.error().damaged();
    }
    begin();
    const vela::Result<QStringList> hasRows =
        column(db, QStringLiteral("SELECT EXISTS (SELECT 1 FROM %1)").arg(target));
    // A fresh table that cannot even be looked into is left alone.
    const bool readable = hasRows.ok();
    const bool filled = readable && !hasRows->isEmpty() && hasRows->first() != QLatin1String("0");
    if (!filled && lower != kNeverFilled && readable && sourceDamaged) {
        salvageTable(db, table, sourceTable, sourceColumns, e);
    } else if (!filled && lower != kNeverFilled && readable && into.isEmpty()) {
        if (total > 0)
            e.skipped << u(texts::kNoCommonColumn).arg(shownName, table).arg(total);
    } else if (!filled && lower != kNeverFilled && readable) {
        qint64 inserted = -1;
        bool damaged = false;
        if (sameShape(db, table, sourceTable)) {
            // The same table in both files (the usual case): SQLite copies
            // the stored rows and index entries as they are.
            tryExec(db, QStringLiteral("SAVEPOINT velarep_bulk"));
            const vela::Result<qint64> copied = execCounting(
                db, QStringLiteral("INSERT INTO %1 SELECT * FROM %2").arg(target, source));
            if (copied) {
                inserted = *copied;
                for (const QString& b : booleans)
                    tryExec(db, QStringLiteral("UPDATE %1 SET %2 = 0 WHERE %2 IS NULL")
                                    .arg(target, quoteId(b)));
                tryExec(db, QStringLiteral("RELEASE velarep_bulk"));
            } else if (copied.error().damaged()) {
                // A damaged index, say: the rows are read again without it.
                restart();
            } else {
                tryExec(db, QStringLiteral("ROLLBACK TO velarep_bulk"));
                tryExec(db, QStringLiteral("RELEASE velarep_bulk"));
                if (isWriteFailure(copied.error().kind))
                    e.writeError = copied.errorText();
            }
        }
        QStringList indexes;
        if (inserted < 0 && e.writeError.isEmpty()) {
            // Plain indexes are built again after the rows are in: one sort
            // instead of a million scattered index updates. Unique ones stay,
            // so that a duplicate is refused row by row.
            // Indexes that cannot be listed stay in place: the copy is only slower.
            indexes = rowsOrNone(
                column(db,
                       QStringLiteral("SELECT m.sql FROM pragma_index_list(?1, 'main') AS l "
                                      "JOIN main.sqlite_master AS m ON m.name = l.name "
                                      "WHERE l.\"unique\" = 0 AND m.sql IS NOT NULL"),
                       {table}));
            const QStringList indexNames = rowsOrNone(
                column(db,
                       QStringLiteral("SELECT m.name FROM pragma_index_list(?1, 'main') AS l "
                                      "JOIN main.sqlite_master AS m ON m.name = l.name "
                                      "WHERE l.\"unique\" = 0 AND m.sql IS NOT NULL"),
                       {table}));
            for (const QString& name : indexNames)
                tryExec(db, QStringLiteral("DROP INDEX main.") + quoteId(name));
            const QString head = QStringLiteral("INSERT OR IGNORE INTO %1 (%2) ")
                                     .arg(target, into.join(QLatin1Char(',')));
            const QString select = QStringLiteral("SELECT %1 FROM %2 NOT INDEXED")
                                       .arg(from.join(QLatin1Char(',')), source);
            tryExec(db, QStringLiteral("SAVEPOINT velarep_bulk"));
            const vela::Result<qint64> copied = execCounting(db, head + select);
            if (copied) {
                inserted = *copied;
                tryExec(db, QStringLiteral("RELEASE velarep_bulk"));
            } else {
                // A value the fresh column refuses (a type that no longer
                // fits) fails the whole statement: then the rows go one by
                // one and only the refused ones stay behind. A damaged page
                // of the source ends the reading: then what can be read is
                // salvaged page by page.
                damaged = copied.error().damaged();
                if (!damaged) {
                    tryExec(db, QStringLiteral("ROLLBACK TO velarep_bulk"));
                    if (isWriteFailure(copied.error().kind))
                        e.writeError = copied.errorText();
                }
                if (!damaged && e.writeError.isEmpty()) {
                    const vela::Result<qint64> copiedRows =
                        copyRowByRow(db, head, select, int(into.size()));
                    if (copiedRows) {
                        inserted = *copiedRows;
                    } else {
                        damaged = copiedRows.error().damaged();
                        if (isWriteFailure(copiedRows.error().kind))
                            e.writeError = copiedRows.errorText();
                    }
                }
                if (damaged) {
                    // The template's indexes come back with the rollback.
                    restart();
                    indexes.clear();
                } else {
                    tryExec(db, QStringLiteral("RELEASE velarep_bulk"));
                }
            }
        }
        if (damaged && e.writeError.isEmpty())
            salvageTable(db, table, sourceTable, sourceColumns, e);
        for (const QString& sql : indexes) {
            if (const vela::Status built = exec(db, sql);
                !built && isWriteFailure(built.error().kind))
                e.writeError = built.errorText();
        }
        if (!damaged && total > inserted)
            e.skipped << QStringLiteral("%1 / %2: %3 sor")
                             .arg(shownName, table)
                             .arg(total - qMax<qint64>(inserted, 0));
        if (!damaged)
            noteArrived(e, table, inserted);
    }
    if (const vela::Status released = exec(db, QStringLiteral("RELEASE velarep_table"));
        !released) {
        // The table's rows did not reach the disk: the fresh file is not whole.
        if (e.writeError.isEmpty())
            e.writeError = released.errorText();
        tryExec(db, QStringLiteral("ROLLBACK"));
    }
}

void MaintenanceRun::salvageTable(Connection* db, const QString& table, const QString& sourceTable,
                                  const QStringList& sourceColumns, Entry& e) {
    const QString shownName = e.fileName.isEmpty() ? QFileInfo(e.finalPath).fileName() : e.fileName;
    if (!e.salvageTried) {
        e.salvageTried = true;
        vela::Result<std::unique_ptr<PageSalvage>> opened = PageSalvage::open(e.backupPath);
        if (opened) {
            e.salvage = std::move(*opened);
            e.salvage->survey(
                salvageTrees(db, e.schemaLost ? QStringLiteral("main") : QStringLiteral("src")));
        } else {
            e.salvageError = opened.errorText();
        }
    }
    if (!e.salvage) {
        e.skipped << u(texts::kUnreadableTable).arg(shownName, table, e.salvageError);
        return;
    }
    const QStringList targetColumns = rowsOrNone(
        column(db, QStringLiteral("SELECT name FROM pragma_table_info(?1, 'main')"), {table}));
    const QStringList booleans = booleanColumns(db, table, targetColumns);
    QStringList into, marks;
    std::vector<int> positions;
    std::vector<bool> isBool;
    for (int i = 0; i < sourceColumns.size(); ++i) {
        const QString t = findTable(targetColumns, sourceColumns[i]);
        if (!t.isEmpty() && !into.contains(quoteId(t))) {
            into << quoteId(t);
            marks << QStringLiteral("?");
            positions.push_back(i);
            isBool.push_back(booleans.contains(t));
        }
    }
    // Plain indexes are built again once the rows are in, as in the fast copy.
    const QString indexQuery = QStringLiteral(
        "SELECT m.%1 FROM pragma_index_list(?1, 'main') AS l JOIN main.sqlite_master AS m "
        "ON m.name = l.name WHERE l.\"unique\" = 0 AND m.sql IS NOT NULL");
    const QStringList indexes =
        rowsOrNone(column(db, indexQuery.arg(QStringLiteral("sql")), {table}));
    for (const QString& name :
         rowsOrNone(column(db, indexQuery.arg(QStringLiteral("name")), {table})))
        tryExec(db, QStringLiteral("DROP INDEX main.") + quoteId(name));
    qint64 inserted = 0;
    vela::Statement write(
        db, QStringLiteral("INSERT OR IGNORE INTO main.%1 (%2) VALUES (%3)")
                .arg(quoteId(table), into.join(QLatin1Char(',')), marks.join(QLatin1Char(','))));
    const PageSalvage::Salvaged found =
        e.salvage->read(sourceTable, [&](const PageSalvage::Row& row) {
            if (into.isEmpty() || !e.writeError.isEmpty())
                return;
            for (size_t c = 0; c < positions.size(); ++c) {
                QVariant v = row.values.value(positions[c]);
                if (isBool[c] && v.isNull())
                    v = qlonglong(0);
                write.bind(int(c) + 1, v);
            }
            if (write.exec())
                inserted += write.rowsChanged();
            else if (isWriteFailure(kindOf(write.status())))
                e.writeError = write.status().errorText();
            write.reset();
        });
    for (const QString& sql : indexes) {
        if (const vela::Status built = exec(db, sql);
            !built && isWriteFailure(built.error().kind) && e.writeError.isEmpty())
            e.writeError = built.errorText();
    }
    const QString unreadable = found.unreadable < 0
                                   ? u(texts::kUnreadableUnknown)
                                   : u(texts::kUnreadableRows).arg(thousands(found.unreadable));
    noteArrived(e, table, inserted);
    if (found.damagedPages > 0 || !e.schemaLost)
        salvaged_ << u(texts::kSalvagedLine).arg(shownName, table, thousands(inserted), unreadable);
    const qint64 refused = found.rowsRead - inserted;
    if (refused > 0)
        e.skipped << QStringLiteral("%1 / %2: %3 sor").arg(shownName, table).arg(refused);
}

void MaintenanceRun::copyJetTable(Connection* db, const QString& table, Entry& e) {
    const QString shownName = e.fileName.isEmpty() ? QFileInfo(e.finalPath).fileName() : e.fileName;
    const QString sourceTable = findTable(e.jetTables, table);
    if (sourceTable.isEmpty())
        return;
    // The template's own tables: a lookup that fails leaves no column in common.
    const QStringList targetColumns = rowsOrNone(
        column(db, QStringLiteral("SELECT name FROM pragma_table_info(?1, 'main')"), {table}));
    const QStringList types = rowsOrNone(column(
        db, QStringLiteral("SELECT upper(type) FROM pragma_table_info(?1, 'main')"), {table}));
    const QStringList booleans = booleanColumns(db, table, targetColumns);
    QString sql;
    {
        const QStringList s = rowsOrNone(column(
            db,
            QStringLiteral("SELECT sql FROM main.sqlite_master WHERE type = 'table' AND name = ?1"),
            {table}));
        sql = s.value(0).simplified();
    }
    const vela::Result<QStringList> jetColumns = e.jet->columns(sourceTable);
    if (!jetColumns) {
        e.skipped << u(texts::kUnreadableTable).arg(shownName, table, jetColumns.errorText());
        return;
    }
    const QStringList& sourceColumns = *jetColumns;
    QStringList into, read, marks;
    std::vector<bool> isBool, isDate, isText;
    for (const QString& c : sourceColumns) {
        const QString t = findTable(targetColumns, c);
        if (t.isEmpty() || into.contains(quoteId(t)))
            continue;
        into << quoteId(t);
        read << c;
        marks << QStringLiteral("?");
        isBool.push_back(booleans.contains(t));
        isDate.push_back(sql.contains(QStringLiteral("date(%1,").arg(quoteId(t))));
        isText.push_back(types.value(targetColumns.indexOf(t)) == QLatin1String("TEXT"));
    }
    const QString lower = table.toLower();
    tryExec(db, QStringLiteral("SAVEPOINT velarep_table"));
    if (kEmptiedFirst.contains(lower))
        tryExec(db, QStringLiteral("DELETE FROM main.") + quoteId(table));
    // A table that cannot be looked into counts as empty: the copy into it
    // then tells what went wrong row by row.
    const QStringList hasRows = rowsOrNone(
        column(db, QStringLiteral("SELECT EXISTS (SELECT 1 FROM main.%1)").arg(quoteId(table))));
    const bool filled = !hasRows.isEmpty() && hasRows.first() != QLatin1String("0");
    if (!filled && lower != kNeverFilled) {
        vela::Result<JetSource::Table> jetRows =
            e.jet->read(sourceTable, into.isEmpty() ? QStringList() : read);
        if (!jetRows) {
            e.skipped << u(texts::kUnreadableTable).arg(shownName, table, jetRows.errorText());
        } else if (const JetSource::Table& rows = *jetRows; into.isEmpty()) {
            if (!rows.rows.empty())
                e.skipped << u(texts::kNoCommonColumn)
                                 .arg(shownName, table)
                                 .arg(qint64(rows.rows.size()));
        } else {
            vela::Statement write(db,
                                  QStringLiteral("INSERT OR IGNORE INTO main.%1 (%2) VALUES (%3)")
                                      .arg(quoteId(table), into.join(QLatin1Char(',')),
                                           marks.join(QLatin1Char(','))));
            qint64 inserted = 0;
            for (const QVariantList& row : rows.rows) {
                for (int c = 0; c < into.size(); ++c) {
                    QVariant v = row.value(c);
                    if (v.isNull()) {
                        v = isBool[size_t(c)] ? QVariant(qlonglong(0)) : QVariant();
                    } else if (v.typeId() == QMetaType::QDateTime) {
                        // Jet keeps the wall-clock time; a date column keeps the day.
                        const QDateTime dt = v.toDateTime();
                        v = isDate[size_t(c)] || dt.time() == QTime(0, 0)
                                ? dt.date().toString(Qt::ISODate)
                                : dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
                    } else if (isText[size_t(c)] && v.typeId() != QMetaType::QString &&
                               v.typeId() != QMetaType::QByteArray) {
                        v = v.toString();
                    }
                    write.bind(c + 1, v);
                }
                if (write.exec()) {
                    inserted += write.rowsChanged();
                } else if (isWriteFailure(kindOf(write.status()))) {
                    e.writeError = write.status().errorText();
                    break;
                }
                write.reset();
            }
            noteArrived(e, table, inserted);
            const qint64 total = qint64(rows.rows.size());
            if (total > inserted)
                e.skipped << QStringLiteral("%1 / %2: %3 sor")
                                 .arg(shownName, table)
                                 .arg(total - inserted);
        }
    }
    if (const vela::Status released = exec(db, QStringLiteral("RELEASE velarep_table"));
        !released) {
        if (e.writeError.isEmpty())
            e.writeError = released.errorText();
        tryExec(db, QStringLiteral("ROLLBACK"));
    }
}

bool MaintenanceRun::sameShape(Connection* db, const QString& table, const QString& sourceTable) {
    // Same columns, types, checks and indexes: compared by their definitions.
    const QString query = QStringLiteral(
        "SELECT group_concat(x, char(10)) FROM (SELECT coalesce(sql, '') AS x FROM "
        "%1.sqlite_master "
        "WHERE tbl_name = ?1 AND type IN ('index', 'table') ORDER BY type DESC, x)");
    const vela::Result<QStringList> mine = column(db, query.arg(QStringLiteral("main")), {table});
    const vela::Result<QStringList> theirs =
        column(db, query.arg(QStringLiteral("src")), {sourceTable});
    return mine && theirs && table == sourceTable && *mine == *theirs && !mine->isEmpty();
}

vela::Result<qint64> MaintenanceRun::copyRowByRow(Connection* db, const QString& insertHead,
                                                  const QString& select, int columns) {
    QStringList marks;
    for (int i = 0; i < columns; ++i) marks << QStringLiteral("?");
    vela::Statement read(db, select);
    vela::Statement write(
        db, insertHead + QStringLiteral("VALUES (%1)").arg(marks.join(QLatin1Char(','))));
    if (!read.status().ok() || !write.status().ok())
        return 0;
    qint64 inserted = 0;
    while (read.next()) {
        // A failed bind fails the exec, which tells it.
        for (int i = 0; i < columns; ++i) write.bindColumn(i + 1, read, i);
        if (write.exec()) {
            inserted += write.rowsChanged();
        } else if (isWriteFailure(kindOf(write.status()))) {
            return write.status().error();
        }
        write.reset();
    }
    if (kindOf(read.status()) == vela::ErrorKind::Damaged || isWriteFailure(kindOf(read.status())))
        return read.status().error();
    return inserted;
}

}  // namespace velarep
