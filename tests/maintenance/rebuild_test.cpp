#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "common/tempdatafolder.h"
#include "maintenance/maintenancerun.h"
#include "reptesthelpers.h"
#include "storage/database.h"

using velarep::MaintenanceRun;

namespace {

const QStringList kFiles = {"betarol.kdb", "veladata.mdb", "parameter.kdb", "LFakturo.mdb"};
const QDateTime kStart(QDate(2024, 6, 1), QTime(12, 0, 0));
const QString kBackup = QStringLiteral("SAVE-20240601-120000");

struct Runner {
    explicit Runner(const QString& templateDir = TempDataFolder::templateDir())
        : run(templateDir, dialogs, &view) {
        run.setClock([] { return kStart; });
    }
    ScriptedRepDialogs dialogs;
    RecordingView view;
    MaintenanceRun run;
    QString endText() const {
        return dialogs.boxes.isEmpty() ? QString() : dialogs.boxes.last().text;
    }
};

// The records of mdb-export's CSV: quoted texts (doubled quotes, line breaks
// inside), an empty unquoted field for null.
QList<QStringList> csvRecords(const QString& text) {
    QList<QStringList> out;
    QStringList record;
    QString cell;
    bool quoted = false, wasQuoted = false;
    auto endCell = [&] {
        record << (cell.isEmpty() && !wasQuoted ? QStringLiteral("NULL") : cell);
        cell.clear();
        wasQuoted = false;
    };
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                cell += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                cell += c;
            }
        } else if (c == '"') {
            quoted = wasQuoted = true;
        } else if (c == ',') {
            endCell();
        } else if (c == '\n') {
            endCell();
            out << record;
            record.clear();
        } else {
            cell += c;
        }
    }
    return out;
}

// What mdb-export reads from the Access file, the given columns joined by "|",
// numbers in SQLite's text form.
QStringList exported(const QString& file, const QString& table, const QList<int>& columns,
                     const QList<int>& reals) {
    QProcess p;
    p.start("mdb-export", {"-T", "%Y-%m-%d", file, table});
    EXPECT_TRUE(p.waitForFinished(60000));
    QList<QStringList> records = csvRecords(QString::fromUtf8(p.readAllStandardOutput()));
    records.removeFirst();
    QStringList out;
    for (const QStringList& f : records) {
        QStringList picked;
        for (int c : columns) {
            QString v = f.value(c);
            if (reals.contains(c) && v != "NULL") {
                // SQLite prints a REAL with at least one decimal.
                const double d = v.toDouble();
                v = QString::number(d, 'g', 15);
                if (!v.contains('.') && !v.contains('e'))
                    v += ".0";
            }
            picked << v;
        }
        out << picked.join('|');
    }
    return out;
}

// The Northwind tables other than Orders and Products, as the end message names them.
const char* const kNorthwindLeftOut =
    "veladata.mdb / Order Details: 2155 sor (a sablonban nincs ilyen tábla)\n"
    "veladata.mdb / Shippers: 3 sor (a sablonban nincs ilyen tábla)\n"
    "veladata.mdb / Categories: 8 sor (a sablonban nincs ilyen tábla)\n"
    "veladata.mdb / Customers: 91 sor (a sablonban nincs ilyen tábla)\n"
    "veladata.mdb / Employees: 9 sor (a sablonban nincs ilyen tábla)\n"
    "veladata.mdb / Suppliers: 29 sor (a sablonban nincs ilyen tábla)\n"
    "veladata.mdb / Umsätze: 830 sor (a sablonban nincs ilyen tábla)";

}  // namespace

TEST(AccessMigration, NorthwindRowsComeAcrossIntoTheSqliteTemplate) {
    const QString jet = TempDataFolder::sharedTestData("northwind-jet3.mdb");
    if (!QFile::exists(jet))
        GTEST_SKIP() << "no northwind-jet3.mdb";
    QTemporaryDir templates;
    sql::create(templates.filePath("veladata.mdb"),
                "CREATE TABLE Products (ProductID INTEGER, ProductName TEXT, SupplierID INTEGER, "
                "CategoryID INTEGER, QuantityPerUnit TEXT, UnitPrice REAL, UnitsInStock INTEGER, "
                "UnitsOnOrder INTEGER, ReorderLevel INTEGER, Ujdonsag TEXT DEFAULT 'nem', "
                "Discontinued INTEGER NOT NULL DEFAULT 0 CHECK (\"Discontinued\" IN (0, 1))) "
                "STRICT;"
                "CREATE TABLE orders (OrderID INTEGER, CustomerID TEXT, OrderDate TEXT CHECK "
                "(\"OrderDate\" IS NULL OR (length(\"OrderDate\") = 10 AND date(\"OrderDate\", "
                "'+0 days') IS \"OrderDate\")), Freight REAL, ShipName TEXT) STRICT;"
                "CREATE TABLE Semmi (x TEXT);");
    for (const char* f : {"betarol.kdb", "parameter.kdb", "LFakturo.mdb"})
        QFile::copy(TempDataFolder::templateDir() + "/" + f, templates.filePath(f));
    TempDataFolder data(false);
    ASSERT_TRUE(QFile::copy(jet, "veladata.mdb"));
    const QByteArray original = readFile("veladata.mdb");

    Runner r(templates.path());
    ASSERT_TRUE(r.run.run()) << r.endText().toStdString();
    EXPECT_EQ(r.dialogs.questions(), 0);
    EXPECT_TRUE(readFile("veladata.mdb").startsWith("SQLite format 3"));
    EXPECT_EQ(readFile(kBackup + "/veladata.mdb"), original);

    const QStringList products = sql::rows(
        "veladata.mdb",
        "SELECT ProductID, ProductName, SupplierID, CategoryID, QuantityPerUnit, UnitPrice, "
        "UnitsInStock, UnitsOnOrder, ReorderLevel, Discontinued FROM Products ORDER BY rowid");
    EXPECT_EQ(products.size(), 77);
    EXPECT_EQ(products, exported(jet, "Products", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, {5}));
    EXPECT_EQ(products.value(0), "1|Chai|1|1|10 boxes x 20 bags|18.0|39|0|10|0");
    // Columns the Access table lacks take the template's default.
    EXPECT_EQ(sql::rows("veladata.mdb", "SELECT DISTINCT Ujdonsag FROM Products"),
              QStringList{"nem"});
    const QStringList orders = sql::rows(
        "veladata.mdb",
        "SELECT OrderID, CustomerID, OrderDate, Freight, ShipName FROM orders ORDER BY rowid");
    EXPECT_EQ(orders.size(), 830);
    const QStringList expectedOrders = exported(jet, "Orders", {0, 1, 3, 7, 8}, {7});
    EXPECT_EQ(orders.size(), expectedOrders.size());
    for (int i = 0; i < qMin(orders.size(), expectedOrders.size()); ++i)
        EXPECT_EQ(orders[i], expectedOrders[i]) << "row " << i;
    // What came across, table by table, and the Access tables the template
    // has no table for, with their rows.
    EXPECT_TRUE(r.endText().contains(
        QString::fromUtf8("Átkerült sorok:\nveladata.mdb: Products 77 sor, orders 830 sor\n")))
        << r.endText().toStdString();
    EXPECT_TRUE(r.endText().contains(QString::fromUtf8(kNorthwindLeftOut)))
        << r.endText().toStdString();
    EXPECT_TRUE(r.endText().endsWith(QString::fromUtf8(
        "veladata.mdb: Access adatbázis volt; a fent felsorolt sorai átkerültek a VelaData "
        "adatbázisába, az eredeti a mentési mappában marad.")))
        << r.endText().toStdString();
    EXPECT_EQ(sql::count("veladata.mdb", "Semmi"), 0);
}

// An Access file none of whose tables has a place in the template: nothing
// comes across, and the end message says so table by table.
TEST(AccessMigration, ForeignAccessFileIsNamedAsNotCarriedOver) {
    const QString jet = TempDataFolder::sharedTestData("northwind-jet3.mdb");
    if (!QFile::exists(jet))
        GTEST_SKIP() << "no northwind-jet3.mdb";
    TempDataFolder data;
    ASSERT_TRUE(QFile::remove("veladata.mdb"));
    ASSERT_TRUE(QFile::copy(jet, "veladata.mdb"));
    Runner r;
    ASSERT_TRUE(r.run.run()) << r.endText().toStdString();
    EXPECT_EQ(sql::count("veladata.mdb", "VelaData"), 0);
    EXPECT_EQ(r.endText(),
              QString::fromUtf8("Karbantartás vége! (Esc kilép)\n\n"
                                "Az alábbi sorok nem fértek be a friss adatbázisba; a mentési "
                                "mappában megvannak:\n"
                                "veladata.mdb / Order Details: 2155 sor (a sablonban nincs ilyen "
                                "tábla)\n"
                                "veladata.mdb / Orders: 830 sor (a sablonban nincs ilyen tábla)\n"
                                "veladata.mdb / Products: 77 sor (a sablonban nincs ilyen tábla)\n"
                                "veladata.mdb / Shippers: 3 sor (a sablonban nincs ilyen tábla)\n"
                                "veladata.mdb / Categories: 8 sor (a sablonban nincs ilyen tábla)\n"
                                "veladata.mdb / Customers: 91 sor (a sablonban nincs ilyen tábla)\n"
                                "veladata.mdb / Employees: 9 sor (a sablonban nincs ilyen tábla)\n"
                                "veladata.mdb / Suppliers: 29 sor (a sablonban nincs ilyen tábla)\n"
                                "veladata.mdb / Umsätze: 830 sor (a sablonban nincs ilyen tábla)"
                                "\n\nveladata.mdb: Access adatbázis volt, de egyetlen sora sem "
                                "került át (a táblái közül egynek sincs párja a sablonban); az "
                                "eredeti a mentési mappában marad."));
}

TEST(AccessMigration, VelaDataTellsAnAccessFileFromADamagedOne) {
    const QString jet = TempDataFolder::sharedTestData("northwind-jet3.mdb");
    if (!QFile::exists(jet))
        GTEST_SKIP() << "no northwind-jet3.mdb";
    TempDataFolder data(false);
    ASSERT_TRUE(QFile::copy(jet, "veladata.mdb"));
    const auto opened = vela::Database::open("veladata.mdb");
    ASSERT_FALSE(opened);
    EXPECT_FALSE(opened.error().damaged());
    EXPECT_EQ(opened.errorText(),
              QString::fromUtf8(
                  "A(z) „veladata.mdb” egy régi Access (Jet) adatbázis, nem a VelaData saját "
                  "formátuma; a VELAREP program átalakítja. Futtassa a VELAREP programot!"));
}

TEST(RebuildOrder, UserFileIsInPlaceOrWholeInTheBackupAndTheFreshOneOnlyWhenComplete) {
    TempDataFolder data;
    fillUserRows();
    sql::exec("veladata.mdb",
              "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000) "
              "INSERT INTO VelanakData (\"Sorszám\", CegNev) SELECT i, 'V' || i FROM n");
    QMap<QString, QByteArray> before;
    for (const QString& f : kFiles) before[f] = readFile(f);
    Runner r;
    int fresh = 0;
    r.view.check = [&] {
        for (const QString& f : kFiles) {
            const QByteArray now = readFile(f);
            if (now == before[f])
                continue;
            if (now.isEmpty()) {
                // Between the move and the rename: whole in the backup.
                ASSERT_EQ(readFile(kBackup + "/" + f), before[f]) << f.toStdString();
                continue;
            }
            // Anything else in the user's place is the complete fresh file.
            ASSERT_EQ(readFile(kBackup + "/" + f), before[f]);
            if (f == "veladata.mdb") {
                ASSERT_EQ(sql::count(f, "VelanakData"), 2002);
                ASSERT_EQ(sql::count(f, "VelaData"), 3);
                ++fresh;
            }
        }
    };
    ASSERT_TRUE(r.run.run());
    EXPECT_GT(fresh, 0);
    EXPECT_FALSE(QFileInfo::exists(MaintenanceRun::tempNameFor("veladata.mdb")));
}

TEST(RebuildOrder, RunEndedHalfWayIsTakenUpFromItsBackupByTheNextRun) {
    TempDataFolder data;
    fillUserRows();
    // What a run killed while filling the fresh veladata.mdb leaves: the
    // user's file in its backup folder, a half-filled temporary file, no
    // veladata.mdb in its place.
    ASSERT_TRUE(QDir().mkdir("SAVE-20240101-080000"));
    ASSERT_TRUE(QFile::rename("veladata.mdb", "SAVE-20240101-080000/veladata.mdb"));
    ASSERT_TRUE(QFile::copy(TempDataFolder::templateDir() + "/veladata.mdb",
                            MaintenanceRun::tempNameFor("veladata.mdb")));
    const QByteArray saved = readFile("SAVE-20240101-080000/veladata.mdb");

    // VelaData meanwhile refuses with a message.
    const auto refused = vela::Database::open("veladata.mdb");
    ASSERT_FALSE(refused);
    EXPECT_TRUE(refused.errorText().contains("VELAREP"));

    Runner r;
    ASSERT_TRUE(r.run.run());
    EXPECT_EQ(r.dialogs.questions(), 0);
    EXPECT_EQ(sql::count("veladata.mdb", "VelaData"), 3);
    EXPECT_EQ(sql::count("veladata.mdb", "VelanakData"), 2);
    EXPECT_EQ(readFile("SAVE-20240101-080000/veladata.mdb"), saved);
    EXPECT_FALSE(QFileInfo::exists(MaintenanceRun::tempNameFor("veladata.mdb")));
    EXPECT_TRUE(r.endText().contains(QString::fromUtf8(
        "veladata.mdb: egy félbeszakadt karbantartás után a(z) „SAVE-20240101-080000” mappában "
        "mentett példányból épült újra.")))
        << r.endText().toStdString();
    // Without the temporary file a missing database is only a missing one.
    TempDataFolder again;
    ASSERT_TRUE(QDir().mkdir("SAVE-20240101-080000"));
    ASSERT_TRUE(QFile::rename("veladata.mdb", "SAVE-20240101-080000/veladata.mdb"));
    sql::exec("SAVE-20240101-080000/veladata.mdb", "INSERT INTO VelaData (recordID) VALUES ('x')");
    Runner second;
    ASSERT_TRUE(second.run.run());
    EXPECT_EQ(sql::count("veladata.mdb", "VelaData"), 0);
}

TEST(RebuildOrder, YesNoNullsBecomeNoAndTablesWithoutSharedColumnsAreNamed) {
    QTemporaryDir templates;
    for (const QString& f : kFiles)
        QFile::copy(TempDataFolder::templateDir() + "/" + f, templates.filePath(f));
    sql::exec(templates.filePath("parameter.kdb"), "CREATE TABLE Naplo (uj TEXT)");
    TempDataFolder data;
    // An older VelaData whose Yes/No columns could be left null.
    sql::exec("veladata.mdb",
              "CREATE TABLE Regi AS SELECT * FROM VelaData WHERE 0; DROP TABLE VelaData; "
              "ALTER TABLE Regi RENAME TO VelaData");
    sql::exec(
        "veladata.mdb",
        QString::fromUtf8("INSERT INTO VelaData (\"Sorszám\", FIGYELEM, \"Részkiegyenlités\") "
                          "VALUES (1, NULL, NULL), (2, 1, NULL), (3, 0, 1)"));
    sql::exec("parameter.kdb",
              "CREATE TABLE Naplo (regi TEXT); INSERT INTO Naplo VALUES ('a'), ('b')");
    Runner r(templates.path());
    ASSERT_TRUE(r.run.run());
    EXPECT_EQ(sql::rows("veladata.mdb",
                        QString::fromUtf8("SELECT \"Sorszám\", FIGYELEM, \"Részkiegyenlités\" "
                                          "FROM VelaData ORDER BY rowid")),
              QStringList({"1|0|0", "2|1|0", "3|0|1"}));
    EXPECT_TRUE(r.endText().endsWith(
        QString::fromUtf8("parameter.kdb / Naplo: 2 sor (nincs közös oszlop a sablonnal)")))
        << r.endText().toStdString();
}

TEST(RebuildOrder, ParametersFromBeforeTheServerColumnGetItAndKeepTheirRow) {
    TempDataFolder data;
    // The parameters row as an earlier version kept it: no Kiszolgalo, nor
    // the years of history kept.
    ASSERT_TRUE(sql::exec("parameter.kdb",
                          "ALTER TABLE EmblemaPath DROP COLUMN ValtozasokMegorzese; "
                          "ALTER TABLE EmblemaPath DROP COLUMN Kiszolgalo; "
                          "INSERT INTO EmblemaPath (EmblemaPath, InterfacePath, SajatAdoszam) "
                          "VALUES ('logo.bmp', '/szamlazo', '12345678')"));
    ASSERT_FALSE(sql::columns("parameter.kdb", "EmblemaPath").contains("Kiszolgalo"));
    Runner r(TempDataFolder::templateDir());
    ASSERT_TRUE(r.run.run());
    const QStringList columns = sql::columns("parameter.kdb", "EmblemaPath");
    EXPECT_EQ(columns.mid(columns.size() - 2), QStringList({"Kiszolgalo", "ValtozasokMegorzese"}));
    EXPECT_EQ(sql::rows("parameter.kdb",
                        "SELECT EmblemaPath, InterfacePath, SajatAdoszam, "
                        "coalesce(Kiszolgalo, '-') FROM EmblemaPath"),
              QStringList{"logo.bmp|/szamlazo|12345678|-"});
}
