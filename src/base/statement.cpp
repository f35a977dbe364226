#include "base/statement.h"

#include <sqlite3.h>

#include <QDate>
#include <QFileInfo>
#include <atomic>
#include <mutex>
#include <set>

namespace vela {

namespace {

std::atomic<Statement::DamageListener> g_listener{nullptr};
std::mutex g_damagedMutex;
std::set<sqlite3*> g_damaged;

}  // namespace

void Statement::setDamageListener(DamageListener listener) {
    g_listener = listener;
}

void Statement::markDamaged(sqlite3* db, bool damaged) {
    const std::lock_guard<std::mutex> lock(g_damagedMutex);
    if (damaged)
        g_damaged.insert(db);
    else
        g_damaged.erase(db);
}

bool Statement::isMarkedDamaged(sqlite3* db) {
    const std::lock_guard<std::mutex> lock(g_damagedMutex);
    return g_damaged.count(db) != 0;
}

QString Statement::busyText(sqlite3* db) {
    const char* file = db ? sqlite3_db_filename(db, "main") : nullptr;
    const QString name = file ? QFileInfo(QString::fromUtf8(file)).fileName() : QString();
    return QStringLiteral(
               "A(z) „%1” adatbázisba most egy másik munkaállomás ír. A program néhány "
               "másodpercig várt rá, de nem sikerült; próbálja újra egy kis idő múlva!")
        .arg(name);
}

const Status& Statement::fail(int code) {
    // SQLite's own text led by a Hungarian sentence, or ours when another
    // connection (another workstation on the share) held the file past the
    // busy timeout.
    status_ = (code & 0xFF) == SQLITE_BUSY
                  ? Error{busyText(db_), code}
                  : Error::fromEngine(code, QString::fromUtf8(sqlite3_errmsg(db_)));
    const QString& text = status_.error().text;
    if (isDamage(code)) {
        if (DamageListener listener = g_listener)
            listener(db_, code, text);
    }
    return status_;
}

const Status& Statement::failBind(int code) {
    status_ = Error::fromEngine(code, QString::fromUtf8(sqlite3_errmsg(db_)));
    return status_;
}

Statement::Statement(sqlite3* db, const QString& sql) : db_(db) {
    if (!db) {
        status_ = Error{QStringLiteral("Az adatbázis nincs megnyitva.")};
        return;
    }
    if (isMarkedDamaged(db)) {
        status_ = Error{QStringLiteral("Az adatbázis sérült, ezért a program nem ír bele többet."),
                        SQLITE_CORRUPT};
        return;
    }
    const QByteArray utf8 = sql.toUtf8();
    if (sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &stmt_, nullptr) != SQLITE_OK) {
        fail(sqlite3_extended_errcode(db));
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
    } else if (!stmt_) {
        // Only blanks or a comment: nothing to run.
        status_ = Error{QStringLiteral("Az SQL utasítás üres.")};
    }
}

Statement::~Statement() {
    sqlite3_finalize(stmt_);
}

Status Statement::bind(const QVariantList& values) {
    if (!stmt_)
        return status_;
    for (int i = 0; i < values.size(); ++i) {
        if (Status s = bind(i + 1, values[i]); !s)
            return s;
    }
    return {};
}

Status Statement::bind(int index, const QVariant& value) {
    if (!stmt_)
        return status_;
    // Dates go in as 'YYYY-MM-DD' text and booleans as 0/1, as they are stored.
    QVariant v = value;
    if (v.typeId() == QMetaType::QDate && !v.isNull())
        v = v.toDate().toString(Qt::ISODate);
    else if (v.typeId() == QMetaType::Bool && !v.isNull())
        v = qlonglong(v.toBool() ? 1 : 0);
    int rc;
    if (v.isNull()) {
        rc = sqlite3_bind_null(stmt_, index);
    } else {
        switch (v.typeId()) {
            case QMetaType::Int:
            case QMetaType::UInt:
            case QMetaType::LongLong:
            case QMetaType::ULongLong:
                rc = sqlite3_bind_int64(stmt_, index, v.toLongLong());
                break;
            case QMetaType::Double:
            case QMetaType::Float:
                rc = sqlite3_bind_double(stmt_, index, v.toDouble());
                break;
            case QMetaType::QByteArray: {
                const QByteArray b = v.toByteArray();
                rc =
                    sqlite3_bind_blob(stmt_, index, b.constData(), int(b.size()), SQLITE_TRANSIENT);
                break;
            }
            default: {
                const QByteArray s = v.toString().toUtf8();
                rc =
                    sqlite3_bind_text(stmt_, index, s.constData(), int(s.size()), SQLITE_TRANSIENT);
                break;
            }
        }
    }
    if (rc != SQLITE_OK)
        return failBind(rc);
    return {};
}

Status Statement::bindValue(int index, const sqlite3_value* value) {
    if (!stmt_)
        return status_;
    const int rc = sqlite3_bind_value(stmt_, index, value);
    if (rc != SQLITE_OK)
        return failBind(rc);
    return {};
}

bool Statement::next() {
    // A failed bind or step is not stepped past: only reset() forgets it,
    // so a statement never runs with a value missing.
    if (!stmt_ || !status_)
        return false;
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc != SQLITE_DONE)
        fail(sqlite3_extended_errcode(db_));
    return false;
}

Status Statement::exec() {
    if (!stmt_)
        return status_;
    while (next()) {
    }
    return status_;
}

Status Statement::reset() {
    if (!stmt_)
        return status_;
    status_ = {};
    sqlite3_reset(stmt_);
    return {};
}

int Statement::columnCount() const {
    return stmt_ ? sqlite3_column_count(stmt_) : 0;
}

QString Statement::columnName(int i) const {
    return QString::fromUtf8(sqlite3_column_name(stmt_, i));
}

QVariant Statement::value(int i) const {
    switch (sqlite3_column_type(stmt_, i)) {
        case SQLITE_INTEGER:
            return qlonglong(sqlite3_column_int64(stmt_, i));
        case SQLITE_FLOAT:
            return sqlite3_column_double(stmt_, i);
        case SQLITE_TEXT:
            return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt_, i)),
                                     sqlite3_column_bytes(stmt_, i));
        case SQLITE_BLOB:
            return QByteArray(static_cast<const char*>(sqlite3_column_blob(stmt_, i)),
                              sqlite3_column_bytes(stmt_, i));
        default:
            return {};
    }
}

QString Statement::text(int i) const {
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt_, i)),
                             sqlite3_column_bytes(stmt_, i));
}

sqlite3_value* Statement::rawValue(int i) const {
    return sqlite3_column_value(stmt_, i);
}

bool Statement::isDamage(int code) {
    return Error{{}, code}.damaged();
}

qint64 Statement::int64(int i) const {
    return sqlite3_column_int64(stmt_, i);
}

bool Statement::isNull(int i) const {
    return sqlite3_column_type(stmt_, i) == SQLITE_NULL;
}

}  // namespace vela
