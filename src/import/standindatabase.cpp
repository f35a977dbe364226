#include "import/standindatabase.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>

#include "base/sqlite/sqliteconnection.h"
#include "base/statement.h"
#include "import/invoicesource.h"

namespace vela {

namespace {

using sqlite::OpenMode;
using sqlite::SqliteConnection;

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
    auto c = SqliteConnection::open(path, OpenMode::Create);
    if (!c)
        return c.error();
    QString sql = QStringLiteral("BEGIN;");
    const QString columns = columnDefinitions().join(QStringLiteral(", "));
    for (const QString& table : InvoiceSource::documentTables()) {
        sql += QStringLiteral("CREATE TABLE %1 (%2);").arg(table, columns);
        sql += QStringLiteral("CREATE INDEX %1_SZAMLASOR ON %1 (SZAMLASOR);").arg(table);
    }
    sql += QStringLiteral("COMMIT;");
    return (*c)->execScript(sql);
}

Status StandInDatabase::appendLines(const QString& path, const QString& table,
                                    const std::vector<QVariantList>& lines) {
    auto c = SqliteConnection::open(path, OpenMode::ReadWrite);
    if (!c)
        return c.error();
    if (Status begun = (*c)->begin(); !begun)
        return begun;
    {
        QString id = table;
        id.replace(QLatin1Char('"'), QLatin1String("\"\""));
        Statement st(c->get(),
                     QStringLiteral("INSERT INTO \"%1\" VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, "
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
                (*c)->rollback();
                return error;
            }
        }
    }
    return (*c)->commit();
}

}  // namespace vela
