#include "storage/database.h"
#include "storage/columns.h"
#include "storage/history.h"
#include "storage/query.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QUrl>
#include <atomic>

#include "base/filekind.h"
#include "base/filelookup.h"
#include "base/postgres/pgconnection.h"
#include "base/sqlite/sqliteconnection.h"
#include "base/statement.h"
#include "storage/serverschema.h"

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
QHash<Connection*, Database*>& openDatabases() {
    static QHash<Connection*, Database*> map;
    return map;
}

Database::DamageHandler& damageHandler() {
    static Database::DamageHandler handler;
    return handler;
}

}  // namespace

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

const Dialect& Database::engineDialect() {
    return sqlite::dialect();
}

void Database::noteDamage(Connection* handle, const Error& error) {
    Database* db = openDatabases().value(handle);
    if (!db || db->damaged_)
        return;
    db->damaged_ = true;
    db->damageDetail_ = error.text;
    handle->setDamaged(true);
    if (damageHandler())
        damageHandler()(*db);
}

QString Database::findFile(const QString& dir, const QString& name) {
    return findFileNoCase(dir, name);
}

Database::~Database() {
    prepared_.clear();
    if (handle_)
        openDatabases().remove(handle_.get());
    handle_.reset();
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

    QString uri = QUrl::fromLocalFile(db->path_).toString(QUrl::FullyEncoded);
    uri += readOnly ? QStringLiteral("?mode=ro") : QStringLiteral("?mode=rw");
    auto connection = sqlite::SqliteConnection::open(
        uri, readOnly ? sqlite::OpenMode::ReadOnly : sqlite::OpenMode::ReadWrite);
    if (!connection)
        return fail(damagedText(name, connection.error().text), connection.error().code);
    db->handle_ = std::move(*connection);

    {
        Statement st(db->handle(), db->dialect().tableNamesQuery());
        st.next();
        if (const Status& s = st.status(); !s) {
            const Error& e = s.error();
            if (e.damaged())
                return Error{damageMessage(name, e.text), e.code, e.kind};
            if (e.busy())
                return Error{lockedText(name), e.code, e.kind};
            return Error{damagedText(name, e.text), e.code, e.kind};
        }
    }
    // From here on, damage met by any statement on this file is heard.
    static const bool listening = [] {
        Statement::setDamageListener(&Database::noteDamage);
        return true;
    }();
    (void)listening;
    openDatabases().insert(db->handle(), db.get());
    for (const QString& t : requiredTables) {
        if (!db->hasTable(t))
            return fail(QStringLiteral("A(z) „%1” adatbázisból hiányzik a(z) „%2” tábla. %3")
                            .arg(name, t, QString::fromUtf8(kVelaRepHint)));
        // A table of an earlier version has no declared key yet: VelaRep
        // brings it to the new template, keeping every row.
        const QString key = QString::fromUtf8(schema::kKeyColumn);
        if (!Statement(db->handle(), QStringLiteral("SELECT %1 FROM %2 LIMIT 0")
                                         .arg(schema::quoteName(key), schema::quoteName(t)))
                 .status())
            return fail(QStringLiteral("A(z) „%1” adatbázis „%2” táblája a program egy korábbi "
                                       "változatából való (nincs „%3” oszlopa). %4")
                            .arg(name, t, key, QString::fromUtf8(kVelaRepHint)));
    }
    // Every change of a recorded table is kept from the first write on.
    if (!readOnly) {
        if (const Status s = history::install(*db); !s)
            return s.error();
    }
    return db;
}

Result<std::unique_ptr<Database>> Database::openServer(const QString& conninfo,
                                                       const QString& fileName,
                                                       const QStringList& requiredTables) {
    auto connection = postgres::PgConnection::open(conninfo, fileName);
    if (!connection)
        return connection.error();
    const QString server = (*connection)->serverName();
    std::unique_ptr<Database> db(new Database);
    db->path_ = fileName;
    db->onServer_ = true;
    db->handle_ = std::move(*connection);
    static const bool listening = [] {
        Statement::setDamageListener(&Database::noteDamage);
        return true;
    }();
    (void)listening;
    openDatabases().insert(db->handle(), db.get());
    for (const DatabaseDef& d : schema::databases()) {
        if (d.fileName.compare(fileName, Qt::CaseInsensitive) != 0)
            continue;
        for (const TableDef* t : d.tables) {
            if (!ServerSchema::sessionOnly(*t))
                continue;
            if (Status s = ServerSchema::createSessionTable(*db, *t); !s)
                return s.error();
        }
    }
    for (const QString& t : requiredTables) {
        if (!db->hasTable(t))
            return Error{QStringLiteral("A(z) „%1” adatai nincsenek meg a kiszolgálón (%2): "
                                        "hiányzik a(z) „%3” tábla. Az adatmappa adatait a "
                                        "„VelaRep /kiszolgalo” költözteti a kiszolgálóra.")
                             .arg(fileName, server, t)};
    }
    // The server's triggers record every workstation's changes.
    if (const Status s = history::install(*db); !s)
        return s.error();
    return db;
}

Status Database::exec(const QString& sql, const QVariantList& binds) {
    Statement st(handle(), sql);
    if (Status s = st.bind(binds); !s)
        return s;
    return st.exec();
}

Result<QVariant> Database::scalar(const QString& sql, const QVariantList& binds) {
    Statement st(handle(), sql);
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
    Statement st(handle(), sql);
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
    const Result<QVariant> found = scalar(dialect().tableExistsQuery(), {table});
    return found && found->isValid();
}

Statement& Database::prepared(const QString& sql) {
    // A handful of texts is all the callers use; a cache that grows past
    // that is let go rather than kept growing.
    constexpr size_t kMostKept = 64;
    auto it = prepared_.find(sql);
    // A statement that could not be prepared, or a connection found damaged
    // since, is prepared anew: it then tells why it cannot run.
    if (it != prepared_.end() && (!it->second->reset() || handle_->isDamaged())) {
        prepared_.erase(it);
        it = prepared_.end();
    }
    if (it == prepared_.end()) {
        if (prepared_.size() >= kMostKept)
            prepared_.clear();
        it = prepared_.emplace(sql, std::make_unique<Statement>(handle(), sql)).first;
    }
    return *it->second;
}

Status Database::begin() {
    if (damaged_)
        return Error{damageMessage(), 0, ErrorKind::Damaged};
    return handle_->begin();
}

Status Database::commit() {
    Status s = handle_->commit();
    if (!s && s.error().damaged())
        noteDamage(handle(), s.error());
    return s;
}

bool Database::inTransaction() const {
    return handle_ && handle_->inTransaction();
}

void Database::rollback() {
    handle_->rollback();
}

WidePageCache::WidePageCache(Database& db) : db_(db) {
    const QString query = db.dialect().cacheSizeQuery();
    if (query.isEmpty())
        return;
    const Result<QVariant> size = db.scalar(query);
    if (!size || !size->isValid())
        return;
    before_ = *size;
    // 128 MiB, given in KiB as a negative figure.
    (void)db.exec(db.dialect().setCacheSize(-131072));
}

WidePageCache::~WidePageCache() {
    if (before_.isValid())
        (void)db_.exec(db_.dialect().setCacheSize(before_.toLongLong()));
}

}  // namespace vela
