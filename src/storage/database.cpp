#include "storage/database.h"
#include "storage/query.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSqlDriver>
#include <QSqlError>
#include <QUrl>
#include <atomic>

#include "base/filekind.h"
#include "base/filelookup.h"
#include "base/statement.h"

namespace vela {

namespace {

const char* const kVelaRepHint = "Futtassa a VELAREP programot!";

QString missingText(const QString& name, const QString& dir) {
    return QStringLiteral("Nem található a(z) „%1” adatbázis a(z) „%2” mappában! %3")
        .arg(name, QDir::toNativeSeparators(dir), QString::fromUtf8(kVelaRepHint));
}

QString damagedText(const QString& name, const QString& detail) {
    return QStringLiteral(
               "A(z) „%1” nem olvasható VelaData adatbázis (sérült vagy más "
               "formátumú állomány: %2). %3")
        .arg(name, detail, QString::fromUtf8(kVelaRepHint));
}

QString accessText(const QString& name) {
    return QStringLiteral(
               "A(z) „%1” egy régi Access (Jet) adatbázis, nem a VelaData saját formátuma; "
               "a VELAREP program átalakítja. %2")
        .arg(name, QString::fromUtf8(kVelaRepHint));
}

QString lockedText(const QString& name) {
    return QStringLiteral(
               "A(z) „%1” adatbázist most egy másik program használja (zárolva). "
               "Várja meg, amíg befejezi, és próbálja újra! Ha a hiba megmarad, %2")
        .arg(name, QString::fromUtf8(kVelaRepHint).toLower());
}

// The open databases by their connection, for the damage listener.
QHash<sqlite3*, Database*>& openDatabases() {
    static QHash<sqlite3*, Database*> map;
    return map;
}

Database::DamageHandler& damageHandler() {
    static Database::DamageHandler handler;
    return handler;
}

void foldFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const QString s = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(argv[0])),
                                        sqlite3_value_bytes(argv[0]));
    const QByteArray out = foldCase(s).toUtf8();
    sqlite3_result_text(ctx, out.constData(), int(out.size()), SQLITE_TRANSIENT);
}

void prefixFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_int(ctx, 0);
        return;
    }
    const QString v = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(argv[0])),
                                        sqlite3_value_bytes(argv[0]));
    const QString p = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(argv[1])),
                                        sqlite3_value_bytes(argv[1]));
    sqlite3_result_int(ctx, foldCase(v).startsWith(foldCase(p)) ? 1 : 0);
}

}  // namespace

QString foldCase(const QString& text) {
    return text.toCaseFolded();
}

void registerSqlFunctions(sqlite3* db) {
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_function(db, "vela_fold", 1, flags, nullptr, foldFunction, nullptr, nullptr);
    sqlite3_create_function(db, "vela_prefix", 2, flags, nullptr, prefixFunction, nullptr, nullptr);
    registerLikeFunction(db);
}

QString Database::damageMessage(const QString& fileName, const QString& detail) {
    QString text = QStringLiteral(
                       "A(z) „%1” adatbázis sérült, ezért a program nem ír bele többet. "
                       "A VELAREP program újraépíti, és megtart minden sort, amely még "
                       "olvasható: futtassa a VELAREP programot!")
                       .arg(fileName);
    if (!detail.isEmpty())
        text += QStringLiteral("\nRészletek: ") + detail;
    return text;
}

QString Database::damageMessage() const {
    return damageMessage(fileName(), damageDetail_);
}

void Database::setDamageHandler(DamageHandler handler) {
    damageHandler() = std::move(handler);
}

void Database::noteDamage(sqlite3* handle, int, const QString& message) {
    Database* db = openDatabases().value(handle);
    if (!db || db->damaged_)
        return;
    db->damaged_ = true;
    db->damageDetail_ = message;
    Statement::markDamaged(handle);
    if (damageHandler())
        damageHandler()(*db);
}

QString Database::findFile(const QString& dir, const QString& name) {
    return findFileNoCase(dir, name);
}

Database::~Database() {
    if (handle_) {
        openDatabases().remove(handle_);
        Statement::markDamaged(handle_, false);
    }
    handle_ = nullptr;
    if (qt_.isValid()) {
        qt_.close();
        qt_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(connectionName_);
    }
    // Only after SQLite has let go of the file: closing another descriptor of
    // a file drops the process's POSIX locks on it.
    if (lockFd_ >= 0)
        ::close(lockFd_);
}

QString Database::fileName() const {
    return QFileInfo(path_).fileName();
}

Result<std::unique_ptr<Database>> Database::open(const QString& bareName,
                                                 const QStringList& requiredTables) {
    return openPath(findFile(QDir::currentPath(), bareName), requiredTables, false);
}

Result<std::unique_ptr<Database>> Database::openPath(const QString& path,
                                                     const QStringList& requiredTables,
                                                     bool readOnly) {
    auto fail = [](const QString& text, int code = 0) { return Error{text, code}; };
    const QFileInfo fi(path);
    const QString name = fi.fileName();
    if (!fi.exists())
        return fail(missingText(name, fi.absolutePath()));
    if (fi.isDir())
        return fail(damagedText(name, QStringLiteral("ez egy mappa, nem állomány")));
    // A FIFO or a device in the file's place would hold the open below until
    // something writes to it.
    if (const QString special = notRegularFileText(path); !special.isEmpty())
        return fail(special +
                    QStringLiteral(" Törölje vagy nevezze át, majd futtassa a VELAREP programot!"));
    if (!fi.isReadable() || (!readOnly && !fi.isWritable()))
        return fail(
            QStringLiteral("A(z) „%1” adatbázis nem nyitható meg %2 (nincs hozzá "
                           "jogosultság). %3")
                .arg(name, readOnly ? "olvasásra" : "írásra", QString::fromUtf8(kVelaRepHint)));
    {
        // The header tells an SQLite database from anything else before any
        // engine sees the file.
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return fail(damagedText(name, f.errorString()));
        const QByteArray head = f.read(32);
        switch (fileKindOfHeader(head)) {
            case FileKind::Sqlite:
                break;
            case FileKind::Access:
                // The old program's file: VelaRep converts it.
                return fail(accessText(name));
            case FileKind::Empty:
                return fail(damagedText(name, QStringLiteral("üres állomány")));
            default:
                return fail(damagedText(name, QStringLiteral("nem adatbázis")));
        }
    }

    std::unique_ptr<Database> db(new Database);
    db->path_ = fi.absoluteFilePath();
    db->lockFd_ = ::open(QFile::encodeName(db->path_).constData(), O_RDONLY | O_CLOEXEC);
    if (db->lockFd_ < 0)
        return fail(damagedText(name, QString::fromLocal8Bit(strerror(errno))));
    if (::flock(db->lockFd_, LOCK_SH | LOCK_NB) != 0)
        return fail(lockedText(name));

    static std::atomic<int> counter{0};
    db->connectionName_ = QStringLiteral("vela-%1").arg(counter++);
    db->qt_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), db->connectionName_);
    if (!db->qt_.isValid())
        return fail(QStringLiteral("Az SQLite adatbázis-kezelő (Qt QSQLITE) nem tölthető be."));
    QString uri = QUrl::fromLocalFile(db->path_).toString(QUrl::FullyEncoded);
    uri += readOnly ? QStringLiteral("?mode=ro") : QStringLiteral("?mode=rw");
    db->qt_.setDatabaseName(uri);
    db->qt_.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=3000"));
    if (!db->qt_.open()) {
        const QSqlError e = db->qt_.lastError();
        return fail(
            damagedText(name, Error::fromEngine(e.nativeErrorCode().toInt(), e.text()).text));
    }
    const QVariant h = db->qt_.driver()->handle();
    if (!h.isValid() || qstrcmp(h.typeName(), "sqlite3*") != 0)
        return fail(damagedText(name, QStringLiteral("nincs adatbázis-kapcsolat")));
    db->handle_ = *static_cast<sqlite3* const*>(h.constData());
    registerSqlFunctions(db->handle_);

    {
        Statement st(db->handle_, QStringLiteral("SELECT count(*) FROM sqlite_master"));
        st.next();
        if (const Status& s = st.status(); !s) {
            const Error& e = s.error();
            if (e.damaged())
                return fail(damageMessage(name, e.text), e.code);
            if (e.busy())
                return fail(lockedText(name), e.code);
            return fail(damagedText(name, e.text), e.code);
        }
    }
    // From here on, damage met by any statement on this file is heard.
    static const bool listening = [] {
        Statement::setDamageListener(&Database::noteDamage);
        return true;
    }();
    (void)listening;
    openDatabases().insert(db->handle_, db.get());
    for (const QString& t : requiredTables) {
        if (!db->hasTable(t))
            return fail(QStringLiteral("A(z) „%1” adatbázisból hiányzik a(z) „%2” tábla. %3")
                            .arg(name, t, QString::fromUtf8(kVelaRepHint)));
    }
    return db;
}

Status Database::exec(const QString& sql, const QVariantList& binds) {
    Statement st(handle_, sql);
    if (Status s = st.bind(binds); !s)
        return s;
    return st.exec();
}

Result<QVariant> Database::scalar(const QString& sql, const QVariantList& binds) {
    Statement st(handle_, sql);
    if (Status s = st.bind(binds); !s)
        return s.error();
    QVariant v;
    if (st.next())
        v = st.value(0);
    if (!st.status())
        return st.status().error();
    return v;
}

Result<std::vector<Database::Row>> Database::rows(const QString& sql, const QVariantList& binds) {
    Statement st(handle_, sql);
    if (Status s = st.bind(binds); !s)
        return s.error();
    std::vector<Row> out;
    const int n = st.columnCount();
    while (st.next()) {
        Row r;
        r.reserve(n);
        for (int i = 0; i < n; ++i) r << st.value(i);
        out.push_back(std::move(r));
    }
    if (!st.status())
        return st.status().error();
    return out;
}

bool Database::hasTable(const QString& table) {
    const Result<QVariant> found =
        scalar(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND "
                              "name = ?1 COLLATE NOCASE"),
               {table});
    return found && found->isValid();
}

Status Database::begin() {
    return exec(QStringLiteral("BEGIN IMMEDIATE"));
}

Status Database::commit() {
    return exec(QStringLiteral("COMMIT"));
}

void Database::rollback() {
    // Fails only when no transaction is open, or when SQLite has already
    // undone it after an error: either way nothing is left to undo.
    (void)exec(QStringLiteral("ROLLBACK"));
}

}  // namespace vela
