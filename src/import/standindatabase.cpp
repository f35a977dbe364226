#include "import/standindatabase.h"

#include <sqlite3.h>

#include <QDate>
#include <QFile>
#include <QFileInfo>

#include "base/statement.h"
#include "import/invoicesource.h"

namespace vela {

namespace {

struct Connection {
    sqlite3* db = nullptr;
    ~Connection() {
        if (db)
            sqlite3_close_v2(db);
    }
};

bool exec(sqlite3* db, const QString& sql, QString* error) {
    char* msg = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &msg) == SQLITE_OK)
        return true;
    if (error)
        *error = QString::fromUtf8(msg ? msg : sqlite3_errmsg(db));
    sqlite3_free(msg);
    return false;
}

}  // namespace

QStringList StandInDatabase::columnDefinitions() {
    return {QStringLiteral("SZAMLASOR INTEGER"), QStringLiteral("VEVONEV TEXT"),
            QStringLiteral("VEVOSZEKH TEXT"),    QStringLiteral("VEVOCIM TEXT"),
            QStringLiteral("FIZ_MOD TEXT"),      QStringLiteral("SZML_KELTE TEXT"),
            QStringLiteral("ESEDEKES TEXT"),     QStringLiteral("MEGNEVEZES TEXT"),
            QStringLiteral("AFA REAL"),          QStringLiteral("KIEGYENOSZ REAL"),
            QStringLiteral("PENZNEM TEXT"),      QStringLiteral("NETTO_ERTE REAL"),
            QStringLiteral("BRUTTO REAL"),       QStringLiteral("TELJ_DATUM TEXT")};
}

bool StandInDatabase::create(const QString& path, QString* error) {
    if (QFileInfo::exists(path)) {
        if (error)
            *error = QStringLiteral("A(z) „%1” már létezik.").arg(path);
        return false;
    }
    Connection c;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &c.db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        if (error)
            *error = QString::fromUtf8(c.db ? sqlite3_errmsg(c.db) : "sqlite3_open_v2");
        return false;
    }
    QString sql = QStringLiteral("BEGIN;");
    const QString columns = columnDefinitions().join(QStringLiteral(", "));
    for (const QString& table : InvoiceSource::documentTables()) {
        sql += QStringLiteral("CREATE TABLE %1 (%2);").arg(table, columns);
        sql += QStringLiteral("CREATE INDEX %1_SZAMLASOR ON %1 (SZAMLASOR);").arg(table);
    }
    sql += QStringLiteral("COMMIT;");
    return exec(c.db, sql, error);
}

bool StandInDatabase::appendLines(const QString& path, const QString& table,
                                  const std::vector<QVariantList>& lines, QString* error) {
    Connection c;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &c.db, SQLITE_OPEN_READWRITE,
                        nullptr) != SQLITE_OK) {
        if (error)
            *error = QString::fromUtf8(c.db ? sqlite3_errmsg(c.db) : "sqlite3_open_v2");
        return false;
    }
    if (!exec(c.db, QStringLiteral("BEGIN"), error))
        return false;
    {
        QString id = table;
        id.replace(QLatin1Char('"'), QLatin1String("\"\""));
        Statement st(c.db, QStringLiteral("INSERT INTO \"%1\" VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, "
                                          "?8, ?9, ?10, ?11, ?12, ?13, ?14)")
                               .arg(id));
        for (const QVariantList& line : lines) {
            QVariantList values = line;
            for (QVariant& v : values) {
                if (v.typeId() == QMetaType::QDate)
                    v = v.toDate().toString(Qt::ISODate);
            }
            if (values.size() != 14 || !st.status().ok() || !st.bind(values) || !st.exec() ||
                !st.reset()) {
                if (error)
                    *error = st.status() ? QStringLiteral("14 érték kell soronként")
                                         : st.status().errorText();
                exec(c.db, QStringLiteral("ROLLBACK"), nullptr);
                return false;
            }
        }
    }
    return exec(c.db, QStringLiteral("COMMIT"), error);
}

}  // namespace vela
