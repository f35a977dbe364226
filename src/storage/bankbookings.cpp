#include "storage/bankbookings.h"

#include <QStringList>

#include "base/statement.h"
#include "storage/columns.h"
#include "storage/database.h"
#include "storage/values.h"

namespace vela::bankbook {

namespace {

using schema::quoteName;

}  // namespace

Result<std::vector<OpenRow>> openRows(Database& db, const TableDef& ledger,
                                      const Condition& invoices, const Condition& paying) {
    const QString t = quoteName(ledger.name);
    QHash<qint64, double> paid;
    {
        QVariantList binds;
        const QString where =
            paying.isAll() ? QStringLiteral("1") : paying.sql(binds, db.dialect());
        Statement parts(db.handle(),
                        QStringLiteral("SELECT \"Sorszám\", TOTAL(\"RészÖsszegBruttó\") FROM %1 "
                                       "WHERE %2 AND \"RészÖsszegBruttó\" IS NOT NULL "
                                       "GROUP BY \"Sorszám\"")
                            .arg(t, where));
        if (Status s = parts.bind(binds); !s)
            return s.error();
        while (parts.next()) paid.insert(parts.int64(0), parts.value(1).toDouble());
        if (!parts.status())
            return parts.status().error();
    }
    QVariantList binds;
    const QString where =
        invoices.isAll() ? QStringLiteral("1") : invoices.sql(binds, db.dialect());
    Statement rows(db.handle(),
                   QStringLiteral("SELECT %3, \"Sorszám\", \"Szamlaszam\", \"CegNev\", "
                                  "\"Brutto\", \"Devizanem\", \"Datumig\" FROM %1 WHERE %2")
                       .arg(t, where, ledger.keySql()));
    if (Status s = rows.bind(binds); !s)
        return s.error();
    std::vector<OpenRow> out;
    while (rows.next()) {
        OpenRow r;
        r.key = rows.int64(0);
        r.sorszam = rows.int64(1);
        r.invoiceNumber = rows.text(2);
        r.partnerName = rows.text(3);
        r.gross = rows.value(4).toDouble();
        r.paid = paid.value(r.sorszam);
        r.currency = rows.text(5);
        r.due = QDate::fromString(rows.text(6), Qt::ISODate);
        out.push_back(std::move(r));
    }
    if (!rows.status())
        return rows.status().error();
    return out;
}

Result<std::vector<PartnerAccount>> partnerAccounts(Database& betarol) {
    Statement st(betarol.handle(),
                 QStringLiteral("SELECT \"BerNev\", \"BerSzamlaszam\" FROM \"beraktar\" WHERE "
                                "\"BerSzamlaszam\" IS NOT NULL AND \"BerSzamlaszam\" <> ''"));
    std::vector<PartnerAccount> out;
    while (st.next()) out.push_back({st.text(0), st.text(1)});
    if (!st.status())
        return st.status().error();
    return out;
}

bool hasBookingTable(Database& db) {
    return db.hasTable(schema::bankiTetel().name);
}

Result<QSet<QString>> bookedReferences(Database& db) {
    Statement st(db.handle(), QStringLiteral("SELECT DISTINCT \"KivonatAzonosito\", "
                                             "\"TetelHivatkozas\" FROM \"BankiTetel\""));
    QSet<QString> out;
    while (st.next()) out.insert(st.text(0) + QLatin1Char('|') + st.text(1));
    if (!st.status())
        return st.status().error();
    return out;
}

Result<QString> readCsvMapping(Database& parameters) {
    if (!parameters.hasTable(schema::bankCsvBeallitas().name))
        return QString();
    const Result<QVariant> v = parameters.scalar(
        QStringLiteral("SELECT \"Oszlopok\" FROM \"BankCsvBeallitas\" ORDER BY %1 LIMIT 1")
            .arg(schema::bankCsvBeallitas().keySql()));
    if (!v)
        return v.error();
    return v->toString();
}

Status writeCsvMapping(Database& parameters, const QString& text) {
    if (!parameters.hasTable(schema::bankCsvBeallitas().name))
        return Error{
            QStringLiteral("A parameter.kdb régi: nincs benne hely a CSV-oszlopkiosztásnak. "
                           "Futtassa a VelaRep programot!")};
    if (Status s = parameters.begin(); !s)
        return s;
    Status s = parameters.exec(QStringLiteral("DELETE FROM \"BankCsvBeallitas\""));
    if (s)
        s = parameters.exec(
            QStringLiteral("INSERT INTO \"BankCsvBeallitas\" (\"Oszlopok\") VALUES (?1)"), {text});
    if (s)
        s = parameters.commit();
    if (!s)
        parameters.rollback();
    return s;
}

RowWriter::RowWriter(Database& db) : db_(db) {}

RowWriter::~RowWriter() = default;

Statement& RowWriter::prepared(const QString& sql) {
    return db_.prepared(sql);
}

Result<QHash<QString, QVariant>> RowWriter::read(const TableDef& table, qint64 key) {
    QStringList cols;
    for (const ColumnDef& c : table.columns) cols << quoteName(c.name);
    Statement& st =
        prepared(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?1")
                     .arg(cols.join(QStringLiteral(", ")), quoteName(table.name), table.keySql()));
    if (Status s = st.bind({key}); !s)
        return s.error();
    if (!st.next()) {
        if (!st.status())
            return st.status().error();
        return Error{
            QStringLiteral("A(z) %1 tábla keresett sora időközben eltűnt.").arg(table.name)};
    }
    QHash<QString, QVariant> out;
    for (int i = 0; i < int(table.columns.size()); ++i) {
        const ColumnDef& c = table.columns[size_t(i)];
        out.insert(c.name, values::fromStorage(c.type, st.value(i)));
    }
    (void)st.reset();  // no read left open over the commit
    return out;
}

Status RowWriter::update(const TableDef& table, qint64 key,
                         const QHash<QString, QVariant>& values) {
    if (values.isEmpty())
        return {};
    QStringList names = values.keys();
    names.sort();
    QStringList sets;
    QVariantList binds;
    for (const QString& n : names) {
        const ColumnDef* c = table.column(n);
        if (!c)
            return Error{QStringLiteral("Nincs %1 oszlop a(z) %2 táblában.").arg(n, table.name)};
        const Result<QVariant> v = values::toColumnValue(*c, values.value(n));
        if (!v)
            return v.error();
        binds << values::toStorage(*v);
        sets << QStringLiteral("%1 = ?%2").arg(quoteName(n)).arg(binds.size());
    }
    binds << key;
    Statement& st =
        prepared(QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?%4")
                     .arg(quoteName(table.name), sets.join(QStringLiteral(", ")), table.keySql())
                     .arg(binds.size()));
    if (Status s = st.bind(binds); !s)
        return s;
    if (Status s = st.exec(); !s)
        return s;
    if (st.rowsChanged() == 0)
        return Error{
            QStringLiteral("A(z) %1 tábla keresett sora időközben eltűnt.").arg(table.name)};
    return {};
}

Result<qint64> RowWriter::insert(const TableDef& table, const QHash<QString, QVariant>& values) {
    QStringList names = values.keys();
    names.sort();
    QStringList cols, marks;
    QVariantList binds;
    for (const QString& n : names) {
        const ColumnDef* c = table.column(n);
        if (!c)
            return Error{QStringLiteral("Nincs %1 oszlop a(z) %2 táblában.").arg(n, table.name)};
        const Result<QVariant> v = values::toColumnValue(*c, values.value(n));
        if (!v)
            return v.error();
        binds << values::toStorage(*v);
        cols << quoteName(n);
        marks << QStringLiteral("?%1").arg(binds.size());
    }
    Statement& st = prepared(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                 .arg(quoteName(table.name), cols.join(QStringLiteral(", ")),
                                      marks.join(QStringLiteral(", "))));
    if (Status s = st.bind(binds); !s)
        return s.error();
    if (Status s = st.exec(); !s)
        return s.error();
    return st.insertedKey();
}

Result<bool> RowWriter::booked(const QString& statementId, const QString& reference) {
    Statement& st =
        prepared(QStringLiteral("SELECT 1 FROM \"BankiTetel\" WHERE "
                                "\"KivonatAzonosito\" = ?1 AND \"TetelHivatkozas\" = ?2 "
                                "LIMIT 1"));
    if (Status s = st.bind({statementId, reference}); !s)
        return s.error();
    const bool found = st.next();
    if (!st.status())
        return st.status().error();
    (void)st.reset();
    return found;
}

}  // namespace vela::bankbook
