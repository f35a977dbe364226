#include "storage/statement.h"

#include <sqlite3.h>

#include <QFileInfo>

#include "storage/values.h"

namespace vela {

namespace {

// SQLite's own text, or ours when another connection (another workstation on
// the share) held the file past the busy timeout.
QString errorText(sqlite3* db, int rc) {
    if ((rc & 0xFF) == SQLITE_BUSY)
        return Statement::busyText(db);
    return QString::fromUtf8(sqlite3_errmsg(db));
}

}  // namespace

QString Statement::busyText(sqlite3* db) {
    const char* file = db ? sqlite3_db_filename(db, "main") : nullptr;
    const QString name = file ? QFileInfo(QString::fromUtf8(file)).fileName() : QString();
    return QStringLiteral(
               "A(z) „%1” adatbázisba most egy másik munkaállomás ír. A program néhány "
               "másodpercig várt rá, de nem sikerült; próbálja újra egy kis idő múlva!")
        .arg(name);
}

Statement::Statement(sqlite3* db, const QString& sql) : db_(db) {
    if (!db) {
        error_ = QStringLiteral("Az adatbázis nincs megnyitva.");
        return;
    }
    const QByteArray utf8 = sql.toUtf8();
    const int rc = sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &stmt_, nullptr);
    if (rc != SQLITE_OK) {
        error_ = errorText(db, rc);
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
    }
}

Statement::~Statement() {
    sqlite3_finalize(stmt_);
}

bool Statement::bind(const QVariantList& values) {
    for (int i = 0; i < values.size(); ++i) {
        if (!bind(i + 1, values[i]))
            return false;
    }
    return true;
}

bool Statement::bind(int index, const QVariant& value) {
    if (!stmt_)
        return false;
    const QVariant v = values::toStorage(value);
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
    if (rc != SQLITE_OK) {
        error_ = QString::fromUtf8(sqlite3_errmsg(db_));
        return false;
    }
    return true;
}

bool Statement::next() {
    if (!stmt_)
        return false;
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc != SQLITE_DONE)
        error_ = errorText(db_, rc);
    return false;
}

bool Statement::exec() {
    if (!stmt_)
        return false;
    while (next()) {
    }
    return error_.isEmpty();
}

bool Statement::reset() {
    if (!stmt_)
        return false;
    error_.clear();
    sqlite3_reset(stmt_);
    return true;
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

qint64 Statement::int64(int i) const {
    return sqlite3_column_int64(stmt_, i);
}

bool Statement::isNull(int i) const {
    return sqlite3_column_type(stmt_, i) == SQLITE_NULL;
}

}  // namespace vela
