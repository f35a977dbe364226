#include "storage/columns.h"

#include "base/connection.h"
#include "base/sqlquote.h"
#include "storage/database.h"

namespace vela {

using CT = ColumnType;
using K = KeyClass;

int TableDef::indexOf(const QString& column) const {
    for (size_t i = 0; i < columns.size(); ++i) {
        if (columns[i].name == column)
            return int(i);
    }
    return -1;
}

const ColumnDef* TableDef::column(const QString& name) const {
    const int i = indexOf(name);
    return i < 0 ? nullptr : &columns[size_t(i)];
}

QStringList TableDef::columnNames() const {
    QStringList names;
    for (const ColumnDef& c : columns) names << c.name;
    return names;
}

bool TableDef::hasKey() const {
    return indexOf(QString::fromUtf8(schema::kKeyColumn)) >= 0;
}

QString TableDef::keySql() const {
    return hasKey() ? schema::quoteName(QString::fromUtf8(schema::kKeyColumn))
                    : QStringLiteral("rowid");
}

namespace {

QString sqlType(ColumnType t, const Dialect& dialect) {
    switch (t) {
        case CT::Integer:
        case CT::Boolean:
            return dialect.integerType();
        case CT::Real:
            return dialect.realType();
        case CT::Text:
        case CT::Date:
            return dialect.textType();
    }
    return dialect.textType();
}

// The checks keep a date column to real calendar dates and a boolean to 0/1,
// so a value that cannot stand in the column is refused by the database too.
QString checkFor(const ColumnDef& c, const Dialect& dialect) {
    const QString n = schema::quoteName(c.name);
    switch (c.type) {
        case CT::Date:
            return QStringLiteral(" CHECK (%1)").arg(dialect.dateCheck(n));
        case CT::Boolean:
            // Like a Yes/No field, a flag is false until set and never null.
            return QStringLiteral(" NOT NULL DEFAULT 0 CHECK (%1 IN (0, 1))").arg(n);
        default:
            return c.defaultSql.isEmpty() ? QString() : QStringLiteral(" DEFAULT ") + c.defaultSql;
    }
}

}  // namespace

QString TableDef::createSql() const {
    return createSql(Database::engineDialect());
}

QString TableDef::createSql(const Dialect& dialect) const {
    QStringList cols;
    for (const ColumnDef& c : columns) {
        if (c.name == QLatin1String(schema::kKeyColumn))
            cols << schema::quoteName(c.name) + QLatin1Char(' ') + dialect.keyColumnType();
        else
            cols << schema::quoteName(c.name) + QLatin1Char(' ') + sqlType(c.type, dialect) +
                        checkFor(c, dialect);
    }
    return QStringLiteral("CREATE TABLE %1 (\n    %2\n)%3")
        .arg(schema::quoteName(name), cols.join(QStringLiteral(",\n    ")), dialect.tableOptions());
}

bool TableDef::addsKey(const IndexDef& ix) const {
    return hasKey() && !ix.columns.contains(QString::fromUtf8(schema::kKeyColumn));
}

QString TableDef::indexSql(const IndexDef& ix, bool coverKey) const {
    QStringList cols;
    for (const QString& c : ix.columns) cols << schema::quoteName(c);
    // Last, as every list's order ends with it: the index gives the whole order.
    if (coverKey && addsKey(ix))
        cols << schema::quoteName(QString::fromUtf8(schema::kKeyColumn));
    return QStringLiteral("CREATE INDEX %1 ON %2 (%3)")
               .arg(schema::quoteName(ix.name), schema::quoteName(name),
                    cols.join(QStringLiteral(", "))) +
           (ix.where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + ix.where);
}

QStringList TableDef::indexSql(bool coverKey) const {
    QStringList out;
    for (const IndexDef& ix : indexes) out << indexSql(ix, coverKey);
    return out;
}

namespace schema {

QString quoteName(const QString& name) {
    return quoteIdentifier(name);
}

const std::vector<ColumnDef>& ledgerColumns() {
    static const std::vector<ColumnDef> cols = {
        {"Sorszám", CT::Integer, 30, K::Any, "Label20", ""},
        {"Szamlaszam", CT::Text, 30, K::Any, "Text10", "Okmány sorszáma"},
        {"CegNev", CT::Text, 40, K::Any, "Text2", ""},
        {"CegCim", CT::Text, 90, K::Any, "Text3", ""},
        {"Megnevezes", CT::Text, 50, K::Any, "Text4", ""},
        {"Netto", CT::Real, 30, K::Numeric, "Text5", ""},
        {"AFA", CT::Real, 2, K::Numeric, "Text6", ""},
        {"Brutto", CT::Real, 30, K::Numeric, "Text7", ""},
        {"Datumtol", CT::Date, 10, K::Date, "DTPicker1", "Okmány dátuma"},
        {"Datumig", CT::Date, 10, K::Date, "DTPicker2", "Fizetési határidő"},
        {"Adatfelvetel", CT::Date, 10, K::Date, "DTPicker3", ""},
        {"Devizanem", CT::Text, 3, K::Any, "Text8", ""},
        {"Kivezetés", CT::Text, 1, K::Any, "Text9", ""},
        {"RészÖsszeg", CT::Real, 30, K::Numeric, "Text1", ""},
        {"BankiKivonatSzáma", CT::Text, 20, K::Any, "Text11", ""},
        {"BankiKiegyenlitésKelte", CT::Date, 10, K::Date, "DTPicker5", ""},
        {"Megjegyzés", CT::Text, 2000, K::Any, "Text12", ""},
        {"recordID", CT::Text, 25, K::Any, "Label19", ""},
        {"FIGYELEM", CT::Boolean, 1, K::Any, "Check1", ""},
        {"FigyelemMegjegyzés", CT::Text, 2000, K::Any, "Text16", ""},
        {"Részkiegyenlités", CT::Boolean, 1, K::Any, "Check2", ""},
        {"FizetésMódja", CT::Text, 10, K::Any, "Text19", "Fizetés módja"},
        {"RészösszegÖsszesen", CT::Real, 30, K::Numeric, "Text18", ""},
        {"Teljesités", CT::Date, 10, K::Date, "DTPicker4", "Fizetés teljesítése"},
        {"RészÖsszegBruttó", CT::Real, 0, K::Numeric, "Label26", ""},
        {"Kulcs", CT::Integer, 0, K::Any, "", ""},
    };
    return cols;
}

namespace {

TableDef makeLedger(const QString& name, bool indexed) {
    TableDef t{name, ledgerColumns(), {}};
    if (indexed) {
        const QString p = name + QLatin1Char('_');
        t.indexes = {
            {p + "Sorrend", {"Sorszám", "recordID"}},
            {p + "Szamlaszam", {"Szamlaszam"}},
            {p + "CegNev", {"CegNev"}},
            // A payment-method filter reads its rows in order and sums its
            // open figures from this index alone.
            {p + "FizetesModja",
             {"FizetésMódja", "Sorszám", "recordID", "Kivezetés", "Részkiegyenlités", "Brutto",
              "RészÖsszeg", "RészÖsszegBruttó", "Devizanem"}},
            // The open totals, also per currency, are summed from this
            // index alone, never from the rows.
            {p + "Kivezetes",
             {"Kivezetés", "Részkiegyenlités", "Brutto", "RészÖsszeg", "RészÖsszegBruttó",
              "Devizanem"}},
            {p + "Brutto", {"Brutto"}},
            // A new row's recordID is looked up before it is given.
            {p + "RecordId", {"recordID"}},
            // The rows marked FIGYELEM! (a filter), few among many: in their
            // order (row id included, so nothing is sorted), and their open
            // figures from the index alone.
            {p + "Figyelem", {"FIGYELEM", "Sorszám", "recordID"}},
            {p + "FigyelemOsszeg",
             {"FIGYELEM", "Kivezetés", "Részkiegyenlités", "Brutto", "RészÖsszeg",
              "RészÖsszegBruttó", "Devizanem"}},
        };
    }
    return t;
}

}  // namespace

const TableDef& velaData() {
    static const TableDef t = makeLedger("VelaData", true);
    return t;
}

const TableDef& velanakData() {
    static const TableDef t = makeLedger("VelanakData", true);
    return t;
}

const TableDef& velaIdeigl() {
    static const TableDef t = makeLedger("VelaIdeigl", false);
    return t;
}

const TableDef& beraktar() {
    static const TableDef t{
        "beraktar",
        {
            {"BerNev", CT::Text, 100, K::Any, "Text2", ""},
            {"BerIrszam", CT::Text, 7, K::Any, "Text3", ""},
            {"BerSzekhely", CT::Text, 40, K::Any, "Text4", ""},
            {"BerCim", CT::Text, 40, K::Any, "Text5", ""},
            {"BerTelefon", CT::Text, 15, K::Any, "Text6", ""},
            {"BerFax", CT::Text, 15, K::Any, "Text7", ""},
            {"BerMobil", CT::Text, 15, K::Any, "Text8", ""},
            {"BerAdoszam", CT::Text, 15, K::Any, "Text9", ""},
            {"BerSzamlaszam", CT::Text, 25, K::Any, "Text10", ""},
            {"recordID", CT::Integer, 0, K::Any, "Text1", ""},
            {"Kapcsolattartó", CT::Text, 50, K::Any, "Text11", ""},
            {"BerOrszag", CT::Text, 0, K::Any, "Label14", ""},
            {"UgyfelStatus", CT::Text, 1, K::Any, "Text12", ""},
            {"VevöBeszállitó", CT::Text, 1, K::Any, "Text16", ""},
            {"BerEUAdoszam", CT::Text, 20, K::Any, "Text13", ""},
            {"BerVPID", CT::Text, 12, K::Any, "Text14", ""},
            {"Kulcs", CT::Integer, 0, K::Any, "", ""},
        },
        {{"beraktar_BerNev", {"BerNev"}}, {"beraktar_recordID", {"recordID"}}},
    };
    return t;
}

const TableDef& torzsOrszagok() {
    static const TableDef t{
        "TorzsOrszagok",
        {
            {"OrszágKód", CT::Text, 0, K::Any, "", ""},
            {"OrszágMegnevezés", CT::Text, 0, K::Any, "", ""},
            {"Kulcs", CT::Integer, 0, K::Any, "", ""},
        },
        {},
    };
    return t;
}

const TableDef& emblemaPath() {
    static const TableDef t{
        "EmblemaPath",
        {
            {"EmblemaPath", CT::Text, 100, K::Any, "", ""},
            {"Példányszám", CT::Integer, 1, K::Any, "", ""},
            {"Tizedes", CT::Integer, 1, K::Any, "", "", "0"},
            {"DevizaNem", CT::Text, 3, K::Any, "", "", "'Ft'"},
            {"KamRaktPath", CT::Text, 100, K::Any, "", ""},
            {"InterfacePath", CT::Text, 100, K::Any, "", ""},
            {"SorszámKiegészités", CT::Text, 0, K::Any, "", ""},
            // The business's own details: its tax number (the taxpayer id's
            // 8 digits) tells the Online Számla import which ledger an invoice
            // belongs to; all of them head the letters of the reports.
            {"SajatAdoszam", CT::Text, 8, K::Any, "", ""},
            {"SajatNev", CT::Text, 100, K::Any, "", ""},
            {"SajatCim", CT::Text, 100, K::Any, "", ""},
            {"SajatBankszamla", CT::Text, 40, K::Any, "", ""},
            {"KesedelmiKamat", CT::Real, 6, K::Numeric, "", ""},
            {"Kulcs", CT::Integer, 0, K::Any, "", ""},
            // Where the ledgers, the partner register and the staging table
            // live: empty for the data folder's files, otherwise a database
            // server's connection string (never with a password). It came
            // after the key, so it stays after it.
            {"Kiszolgalo", CT::Text, 200, K::Any, "", ""},
            // How many years of the change history VelaRep keeps when it
            // is allowed to drop older entries; empty or 0: all of them.
            {"ValtozasokMegorzese", CT::Integer, 0, K::Numeric, "", ""},
        },
        {},
    };
    return t;
}

const TableDef& osszesSzamla() {
    static const TableDef t{
        "OsszesSzamla",
        {
            {"Számlaszám", CT::Integer, 0, K::Any, "", ""},
            {"Vevö", CT::Text, 0, K::Any, "", ""},
            {"Székhely", CT::Text, 0, K::Any, "", ""},
            {"Cim", CT::Text, 0, K::Any, "", ""},
            {"FizMód", CT::Text, 0, K::Any, "", ""},
            {"Kelt", CT::Date, 0, K::Any, "", ""},
            {"Esedékes", CT::Date, 0, K::Any, "", ""},
            {"Megnevezés", CT::Text, 0, K::Any, "", ""},
            {"ÁFA", CT::Real, 0, K::Any, "", ""},
            {"Részösszeg", CT::Real, 0, K::Any, "", ""},
            {"Pénznem", CT::Text, 0, K::Any, "", ""},
            {"Nettó", CT::Real, 0, K::Any, "", ""},
            {"Bruttó", CT::Real, 0, K::Any, "", ""},
            {"EgységnyiSúly", CT::Real, 0, K::Any, "", ""},
            {"TermékdíjTétel", CT::Real, 0, K::Any, "", ""},
            {"TermékdíjKód", CT::Text, 0, K::Any, "", ""},
            {"KVTDÖsszeg", CT::Real, 0, K::Any, "", ""},
            {"Cikkszám", CT::Text, 0, K::Any, "", ""},
            {"Mennyiség", CT::Real, 0, K::Any, "", ""},
            {"MennyiségiEgység", CT::Text, 0, K::Any, "", ""},
            {"DarabszámCsomagban", CT::Real, 0, K::Any, "", ""},
            {"Teljesités", CT::Date, 0, K::Any, "", ""},
            {"Kulcs", CT::Integer, 0, K::Any, "", ""},
        },
        {{"OsszesSzamla_Szamlaszam", {"Számlaszám"}}, {"OsszesSzamla_FizMod", {"FizMód"}}},
    };
    return t;
}

const TableDef& bankiTetel() {
    static const TableDef t{
        "BankiTetel",
        {
            {"KivonatAzonosito", CT::Text, 0, K::Any, "", ""},
            {"TetelHivatkozas", CT::Text, 0, K::Any, "", ""},
            {"Kivonatszam", CT::Text, 0, K::Any, "", ""},
            {"Tabla", CT::Text, 0, K::Any, "", ""},
            {"Sorszám", CT::Integer, 0, K::Any, "", ""},
            {"recordID", CT::Text, 0, K::Any, "", ""},
            {"Szamlaszam", CT::Text, 0, K::Any, "", ""},
            {"Osszeg", CT::Real, 0, K::Any, "", ""},
            {"Teljes", CT::Boolean, 0, K::Any, "", ""},
            {"Konyvelve", CT::Date, 0, K::Any, "", ""},
            {"Kulcs", CT::Integer, 0, K::Any, "", ""},
        },
        {{"BankiTetel_Hivatkozas", {"KivonatAzonosito", "TetelHivatkozas"}}},
    };
    return t;
}

const TableDef& bankCsvBeallitas() {
    static const TableDef t{
        "BankCsvBeallitas",
        {{"Oszlopok", CT::Text, 0, K::Any, "", ""}, {"Kulcs", CT::Integer, 0, K::Any, "", ""}},
        {},
    };
    return t;
}

const TableDef& valtozasok() {
    static const TableDef t{
        "Valtozasok",
        {
            {"Ido", CT::Text, 0, K::Any, "", ""},
            {"Gep", CT::Text, 0, K::Any, "", ""},
            {"Felhasznalo", CT::Text, 0, K::Any, "", ""},
            {"Tabla", CT::Text, 0, K::Any, "", ""},
            {"SorKulcs", CT::Integer, 0, K::Any, "", ""},
            {"Sorszám", CT::Integer, 0, K::Any, "", ""},
            {"recordID", CT::Text, 0, K::Any, "", ""},
            {"Muvelet", CT::Text, 0, K::Any, "", ""},
            {"Oszlop", CT::Text, 0, K::Any, "", ""},
            {"Regi", CT::Text, 0, K::Any, "", ""},
            {"Uj", CT::Text, 0, K::Any, "", ""},
            {"Kulcs", CT::Integer, 0, K::Any, "", ""},
        },
        // A row's history is read by its table and key; the restores are
        // few and found by what they restored.
        {{"Valtozasok_Sor", {"Tabla", "SorKulcs"}},
         {"Valtozasok_Visszaallitas", {"Tabla", "Regi"}, "\"Muvelet\" = 'V'"}},
    };
    return t;
}

namespace {

// The deleted rows of a recorded table: its columns with their stored
// kinds (no checks: a kept row is taken as it stood), its key, who and when.
TableDef makeDeleted(const TableDef& recorded) {
    TableDef t{recorded.name + QStringLiteral("Torolt"), {}, {}};
    for (const ColumnDef& c : recorded.columns) {
        if (c.name == QLatin1String(kKeyColumn))
            continue;
        const ColumnType type = c.type == CT::Date      ? CT::Text
                                : c.type == CT::Boolean ? CT::Integer
                                                        : c.type;
        t.columns.push_back({c.name, type, 0, K::Any, "", ""});
    }
    for (const char* extra : {"SorKulcs", "TorlesIdeje", "Gep", "Felhasznalo"})
        t.columns.push_back(
            {extra, QLatin1String(extra) == QLatin1String("SorKulcs") ? CT::Integer : CT::Text, 0,
             K::Any, "", ""});
    t.columns.push_back({kKeyColumn, CT::Integer, 0, K::Any, "", ""});
    return t;
}

}  // namespace

const TableDef& velaDataTorolt() {
    static const TableDef t = makeDeleted(velaData());
    return t;
}

const TableDef& velanakDataTorolt() {
    static const TableDef t = makeDeleted(velanakData());
    return t;
}

const TableDef& beraktarTorolt() {
    static const TableDef t = makeDeleted(beraktar());
    return t;
}

const TableDef& emblemaPathTorolt() {
    static const TableDef t = makeDeleted(emblemaPath());
    return t;
}

const std::vector<DatabaseDef>& databases() {
    static const std::vector<DatabaseDef> dbs = {
        {"veladata.mdb",
         {&velaData(), &velanakData(), &velaIdeigl(), &bankiTetel(), &valtozasok(),
          &velaDataTorolt(), &velanakDataTorolt()}},
        {"betarol.kdb", {&beraktar(), &torzsOrszagok(), &valtozasok(), &beraktarTorolt()}},
        {"parameter.kdb",
         {&emblemaPath(), &bankCsvBeallitas(), &valtozasok(), &emblemaPathTorolt()}},
        {"LFakturo.mdb", {&osszesSzamla()}},
    };
    return dbs;
}

}  // namespace schema
}  // namespace vela
