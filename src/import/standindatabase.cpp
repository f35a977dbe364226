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

Status exec(sqlite3* db, const QString& sql) {
    char* msg = nullptr;
    const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &msg);
    if (rc == SQLITE_OK)
        return {};
    Error error = Error::fromEngine(sqlite3_extended_errcode(db),
                                    QString::fromUtf8(msg ? msg : sqlite3_errmsg(db)));
    sqlite3_free(msg);
    return error;
}

Error openError(sqlite3* db) {
    return db ? Error::fromEngine(sqlite3_extended_errcode(db),
                                  QString::fromUtf8(sqlite3_errmsg(db)))
              : Error{QStringLiteral("sqlite3_open_v2")};
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

Status StandInDatabase::create(const QString& path) {
    if (QFileInfo::exists(path))
        return Error{QStringLiteral("A(z) „%1” már létezik.").arg(path)};
    Connection c;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &c.db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
        return openError(c.db);
    QString sql = QStringLiteral("BEGIN;");
    const QString columns = columnDefinitions().join(QStringLiteral(", "));
    for (const QString& table : InvoiceSource::documentTables()) {
        sql += QStringLiteral("CREATE TABLE %1 (%2);").arg(table, columns);
        sql += QStringLiteral("CREATE INDEX %1_SZAMLASOR ON %1 (SZAMLASOR);").arg(table);
    }
    sql += QStringLiteral("COMMIT;");
    return exec(c.db, sql);
}

Status StandInDatabase::appendLines(const QString& path, const QString& table,
                                    const std::vector<QVariantList>& lines) {
    Connection c;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &c.db, SQLITE_OPEN_READWRITE,
                        nullptr) != SQLITE_OK)
        return openError(c.db);
    if (Status begun = exec(c.db, QStringLiteral("BEGIN")); !begun)
        return begun;
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
            if (values.size() != 14 || !st.status() || !st.bind(values) || !st.exec() ||
                !st.reset()) {
                Error error = st.status() ? Error{QStringLiteral("14 érték kell soronként")}
                                          : st.status().error();
                // The line's own failure is what the caller is told; a failed
                // rollback leaves nothing half written, as the connection closes.
                (void)exec(c.db, QStringLiteral("ROLLBACK"));
                return error;
            }
        }
    }
    return exec(c.db, QStringLiteral("COMMIT"));
}

}  // namespace vela
