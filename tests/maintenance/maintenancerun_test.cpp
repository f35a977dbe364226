#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "common/tempdatafolder.h"
#include "maintenance/maintenancerun.h"
#include "reptesthelpers.h"
#include "storage/database.h"

using velarep::MaintenanceRun;
using velarep::RepDialogService;

namespace {

const QStringList kFiles = {"betarol.kdb", "veladata.mdb", "parameter.kdb", "LFakturo.mdb"};
const QDateTime kStart(QDate(2024, 3, 9), QTime(7, 5, 3));
const QString kBackup = QStringLiteral("SAVE-20240309-070503");
const QString kEnd = QString::fromUtf8("Karbantartás vége! (Esc kilép)");
const QString kQuestionEnd = QString::fromUtf8("\nSÚLYOS HIBA! Folytatja a futtatást?");
const QString kQuestionTitle = QString::fromUtf8("Hiba! A folytatás adatvesztéssel járhat!");

// A run over the current data folder with a fixed start time.
struct Runner {
    explicit Runner(const QString& templateDir = TempDataFolder::templateDir())
        : run(templateDir, dialogs, &view) {
        run.setClock([] { return kStart; });
    }
    ScriptedRepDialogs dialogs;
    RecordingView view;
    MaintenanceRun run;
};

QString backup(const QString& name) {
    return kBackup + QLatin1Char('/') + name;
}

// A template folder whose four databases are made of the given statements
// (empty ones for the databases not given).
class TemplateFolder {
  public:
    explicit TemplateFolder(const QMap<QString, QString>& statements) {
        for (const QString& f : kFiles)
            sql::create(dir_.filePath(f), statements.value(f, "CREATE TABLE Ures (a)"));
    }
    QString path() const { return dir_.path(); }

  private:
    QTemporaryDir dir_;
};

}  // namespace

TEST(MaintenanceRun, RebuildsAllFourDatabasesAndKeepsTheOriginalsInTheBackup) {
    TempDataFolder data;
    fillUserRows();
    // The user's spelling differs from the list's and the template's.
    ASSERT_TRUE(QFile::rename("LFakturo.mdb", "LFAKTURO.MDB"));
    QStringList names = kFiles;
    names[3] = "LFAKTURO.MDB";
    QMap<QString, QByteArray> before;
    for (const QString& f : names) before[f] = readFile(f);

    Runner r;
    // A run killed at any point loses nothing: between every two steps each
    // user file is whole either in its place or in the backup folder.
    int checks = 0;
    r.view.check = [&] {
        ++checks;
        for (const QString& f : names)
            ASSERT_TRUE(readFile(f) == before[f] || readFile(backup(f)) == before[f])
                << f.toStdString() << " at check " << checks;
    };
    ASSERT_TRUE(r.run.run());

    ASSERT_EQ(r.dialogs.boxes.size(), 1);
    // What came across, table by table, in the template's order.
    EXPECT_EQ(r.dialogs.boxes[0].text,
              kEnd + QString::fromUtf8("\n\nÁtkerült sorok:\n"
                                       "betarol.kdb: beraktar 2 sor, TorzsOrszagok 1 sor\n"
                                       "veladata.mdb: VelaData 3 sor, VelanakData 2 sor, "
                                       "VelaIdeigl 1 sor\n"
                                       "parameter.kdb: EmblemaPath 1 sor\n"
                                       "LFAKTURO.MDB: OsszesSzamla 2 sor"));
    EXPECT_EQ(r.dialogs.boxes[0].icon, RepDialogService::Icon::Information);
    EXPECT_FALSE(r.dialogs.boxes[0].question);
    EXPECT_GT(checks, 20);

    EXPECT_EQ(r.run.backupFolder(), kBackup);
    EXPECT_EQ(entries(kBackup),
              QStringList({"LFAKTURO.MDB", "betarol.kdb", "parameter.kdb", "veladata.mdb"}));
    for (const QString& f : names) EXPECT_EQ(readFile(backup(f)), before[f]) << f.toStdString();
    // Nothing left behind in the data folder but the fresh files.
    EXPECT_EQ(entries("."), QStringList({"LFAKTURO.MDB", kBackup, "betarol.kdb", "parameter.kdb",
                                         "schema.sql", "veladata.mdb"}));

    EXPECT_EQ(
        sql::rows("veladata.mdb",
                  "SELECT \"Sorszám\", CegNev, Netto, \"RészÖsszeg\", Datumtol FROM VelaData "
                  "ORDER BY rowid"),
        QStringList({"1|Kovács Kft.|1000.0|0.0|2024-01-05", "2|O'Brien Bt.|2500.5|100.0|2024-02-10",
                     "2|O'Brien Bt.|0.0|50.0|NULL"}));
    EXPECT_EQ(sql::count("veladata.mdb", "VelanakData"), 2);
    EXPECT_EQ(sql::count("veladata.mdb", "VelaIdeigl"), 1);
    EXPECT_EQ(sql::count("betarol.kdb", "beraktar"), 2);
    EXPECT_EQ(sql::rows("betarol.kdb", "SELECT OrszágKód, OrszágMegnevezés FROM TorzsOrszagok"),
              QStringList{"HU|Magyarország"});
    EXPECT_EQ(sql::rows("parameter.kdb",
                        "SELECT EmblemaPath, \"Példányszám\", InterfacePath "
                        "FROM EmblemaPath"),
              QStringList{"logo.bmp|2|/szamlazo"});
    EXPECT_EQ(sql::rows("LFAKTURO.MDB", "SELECT \"Számlaszám\", \"Vevö\" FROM OsszesSzamla"),
              QStringList({"100|Vevő Zrt.", "101|Ág"}));
    // The fresh files are the template's structure, indexes included.
    EXPECT_EQ(sql::rows("veladata.mdb", "SELECT count(*) FROM sqlite_master WHERE type='index'"),
              sql::rows(TempDataFolder::templateDir() + "/veladata.mdb",
                        "SELECT count(*) FROM sqlite_master WHERE type='index'"));

    // What the window showed, in order.
    EXPECT_EQ(r.view.l1, QStringList({"Adatbázis :betarol.kdb", "Adatbázis :veladata.mdb",
                                      "Adatbázis :parameter.kdb", "Adatbázis :lfakturo.mdb"}));
    EXPECT_EQ(r.view.l2.mid(0, 5), QStringList({QString::fromUtf8("Tábla :beraktar"),
                                                QString::fromUtf8("Tábla :TorzsOrszagok"),
                                                QString::fromUtf8("Tábla :Valtozasok"),
                                                QString::fromUtf8("Tábla :beraktarTorolt"),
                                                QString::fromUtf8("Tábla :VelaData")}));
    EXPECT_TRUE(r.view.label1.contains(QString::fromUtf8("Adatok másolása...")));
    EXPECT_TRUE(r.view.label1.contains(QString::fromUtf8("Adatbázis másolása...")));
    EXPECT_EQ(r.view.label1.last(), QString());
    EXPECT_EQ(r.view.pb1, qMakePair(4, 4));
    EXPECT_EQ(r.view.pb2, qMakePair(1, 1));
    EXPECT_EQ(r.view.running, QList<bool>({true, false}));
    EXPECT_FALSE(r.run.isBusy());
}

TEST(MaintenanceRun, MissingDatabaseGetsTheTemplateAndNothingIsMoved) {
    // Templates installed read-only still give writable fresh files.
    QTemporaryDir templates;
    for (const QString& f : kFiles) {
        QFile::copy(TempDataFolder::templateDir() + "/" + f, templates.filePath(f));
        QFile::setPermissions(templates.filePath(f), QFileDevice::ReadOwner);
    }
    TempDataFolder data;
    fillUserRows();
    ASSERT_TRUE(QFile::remove("parameter.kdb"));
    ASSERT_TRUE(QFile::remove("LFakturo.mdb"));

    Runner r(templates.path());
    ASSERT_TRUE(r.run.run());
    EXPECT_EQ(r.dialogs.questions(), 0);
    EXPECT_EQ(entries(kBackup), QStringList({"betarol.kdb", "veladata.mdb"}));
    EXPECT_EQ(readFile("parameter.kdb"), readFile(templates.filePath("parameter.kdb")));
    // A file that was missing takes the template's spelling.
    EXPECT_EQ(readFile("LFakturo.mdb"), readFile(templates.filePath("LFakturo.mdb")));
    EXPECT_TRUE(QFileInfo("parameter.kdb").isWritable());
    EXPECT_TRUE(sql::exec("parameter.kdb", "INSERT INTO EmblemaPath (Tizedes) VALUES (2)"));
    EXPECT_EQ(sql::count("veladata.mdb", "VelaData"), 3);
}

TEST(MaintenanceRun, CopiesSharedColumnsOfSharedTablesOnly) {
    TemplateFolder templates(
        {{"veladata.mdb",
          "CREATE TABLE VelaData (\"Sorszám\" INTEGER, \"RészÖsszeg\" REAL, "
          "Uj TEXT DEFAULT 'új', Megjegyzes TEXT);"
          "CREATE INDEX VelaData_S ON VelaData (\"Sorszám\");"
          "CREATE UNIQUE INDEX VelaData_M ON VelaData (Megjegyzes);"
          "CREATE TABLE CsakSablon (k TEXT); INSERT INTO CsakSablon VALUES ('s');"}});
    TempDataFolder data(false);
    // Table and column names differ from the template's in case only.
    sql::create("veladata.mdb",
                "CREATE TABLE veladata (Megjegyzes TEXT, Eldobott TEXT, \"sorszám\" INTEGER, "
                "\"részösszeg\" REAL);"
                "INSERT INTO veladata VALUES ('a', 'x', 1, 1.5), ('b', 'y', 2, NULL), "
                "('a', 'duplikátum', 3, NULL);"
                "CREATE TABLE CsakFelhasznalo (z); INSERT INTO CsakFelhasznalo VALUES (1);"
                "CREATE TABLE CsakSablon (k TEXT);");

    Runner r(templates.path());
    ASSERT_TRUE(r.run.run());
    EXPECT_EQ(r.dialogs.questions(), 0);
    EXPECT_EQ(sql::columns("veladata.mdb", "VelaData"),
              QStringList({"Sorszám", "RészÖsszeg", "Uj", "Megjegyzes"}));
    EXPECT_EQ(sql::rows("veladata.mdb", "SELECT * FROM VelaData ORDER BY rowid"),
              QStringList({"1|1.5|új|a", "2|NULL|új|b"}));
    // The template's indexes are all there; a row its unique index refuses
    // is named, and so are the rows of a table the template does not have.
    EXPECT_EQ(sql::rows("veladata.mdb",
                        "SELECT name FROM sqlite_master WHERE type = 'index' "
                        "ORDER BY name"),
              QStringList({"VelaData_M", "VelaData_S"}));
    EXPECT_TRUE(r.dialogs.boxes.last().text.endsWith(
        QString::fromUtf8("veladata.mdb / VelaData: 1 sor\n"
                          "veladata.mdb / CsakFelhasznalo: 1 sor (a sablonban nincs ilyen tábla)")))
        << r.dialogs.boxes.last().text.toStdString();
    EXPECT_EQ(sql::tables("veladata.mdb"), QStringList({"CsakSablon", "VelaData"}));
    EXPECT_EQ(sql::rows("veladata.mdb", "SELECT * FROM CsakSablon"), QStringList{"s"});
    // The dropped column and the user-only table are still in the backup.
    EXPECT_EQ(sql::rows(backup("veladata.mdb"), "SELECT Eldobott FROM veladata"),
              QStringList({"x", "y", QString::fromUtf8("duplikátum")}));
}

TEST(MaintenanceRun, AnOldTableWithoutTheDeclaredKeyKeepsItsRowsTheirOrderAndIdentity) {
    TempDataFolder data;
    // A ledger of an earlier version: no key column, row ids with gaps.
    ASSERT_TRUE(QFile::remove("veladata.mdb"));
    sql::create("veladata.mdb",
                "CREATE TABLE VelaData (\"Sorszám\" INTEGER, CegNev TEXT, Netto REAL);"
                "INSERT INTO VelaData (rowid, \"Sorszám\", CegNev, Netto) VALUES "
                "(7, 1, 'Első', 10), (3, 2, 'Második', 20), (12, 3, 'Harmadik', 30);"
                "CREATE TABLE VelanakData (\"Sorszám\" INTEGER); CREATE TABLE VelaIdeigl (x);");
    Runner r;
    ASSERT_TRUE(r.run.run());
    EXPECT_EQ(sql::columns("veladata.mdb", "VelaData").last(), QStringLiteral("Kulcs"));
    EXPECT_EQ(sql::rows("veladata.mdb",
                        "SELECT Kulcs, \"Sorszám\", CegNev, Netto FROM VelaData ORDER BY rowid"),
              QStringList({QString::fromUtf8("3|2|Második|20.0"),
                           QString::fromUtf8("7|1|Első|10.0"), "12|3|Harmadik|30.0"}));
    // VelaData opens the rebuilt file.
    EXPECT_TRUE(vela::Database::open("veladata.mdb", {"VelaData", "VelanakData", "VelaIdeigl"}));
}

TEST(MaintenanceRun, SpecialTablesAndTemplateRows) {
    TemplateFolder templates(
        {{"parameter.kdb",
          QString::fromUtf8(
              "CREATE TABLE \"Paraméter\" (a TEXT); INSERT INTO \"Paraméter\" VALUES ('t1'), "
              "('t2');"
              "CREATE TABLE Kivet (a TEXT);"
              "CREATE TABLE Torzs (a TEXT); INSERT INTO Torzs VALUES ('sablon');"
              "CREATE TABLE betarolaskitarolas (a TEXT);"
              "CREATE TABLE \"Fura\"\"Nev\" (\"o'k]\" TEXT);"
              "CREATE TABLE Szamlalo (id INTEGER PRIMARY KEY AUTOINCREMENT, a TEXT);")}});
    TempDataFolder data(false);
    sql::create("parameter.kdb",
                QString::fromUtf8(
                    "CREATE TABLE \"paraméter\" (a TEXT); INSERT INTO \"paraméter\" VALUES ('u1');"
                    "CREATE TABLE Kivet (a TEXT); INSERT INTO Kivet VALUES ('k1'), ('k2');"
                    "CREATE TABLE Torzs (a TEXT); INSERT INTO Torzs VALUES ('u'), ('v');"
                    "CREATE TABLE BetarolasKitarolas (a TEXT); "
                    "INSERT INTO BetarolasKitarolas VALUES ('x');"
                    "CREATE TABLE \"Fura\"\"Nev\" (\"o'k]\" TEXT); "
                    "INSERT INTO \"Fura\"\"Nev\" VALUES ('it''s');"
                    "CREATE TABLE Szamlalo (id INTEGER PRIMARY KEY AUTOINCREMENT, a TEXT);"
                    "INSERT INTO Szamlalo (a) VALUES ('s1'), ('s2');"));

    Runner r(templates.path());
    ASSERT_TRUE(r.run.run());
    EXPECT_EQ(r.dialogs.questions(), 0);
    // Emptied first: exactly the user's rows.
    EXPECT_EQ(sql::rows("parameter.kdb", QString::fromUtf8("SELECT a FROM \"Paraméter\"")),
              QStringList{"u1"});
    EXPECT_EQ(sql::rows("parameter.kdb", "SELECT a FROM Kivet"), QStringList({"k1", "k2"}));
    // A table whose template holds rows keeps them.
    EXPECT_EQ(sql::rows("parameter.kdb", "SELECT a FROM Torzs"), QStringList{"sablon"});
    EXPECT_EQ(sql::count("parameter.kdb", "betarolaskitarolas"), 0);
    // Quotes and brackets in names are no danger.
    EXPECT_EQ(sql::rows("parameter.kdb", "SELECT * FROM \"Fura\"\"Nev\""), QStringList{"it's"});
    // The engine's own sqlite_sequence is not copied over but follows the rows.
    EXPECT_EQ(sql::rows("parameter.kdb", "SELECT id, a FROM Szamlalo"),
              QStringList({"1|s1", "2|s2"}));
    EXPECT_TRUE(sql::exec("parameter.kdb", "INSERT INTO Szamlalo (a) VALUES ('s3')"));
    EXPECT_EQ(sql::rows("parameter.kdb", "SELECT id FROM Szamlalo WHERE a = 's3'"),
              QStringList{"3"});
}

TEST(MaintenanceRun, RowsTheFreshColumnsRefuseStayOnlyInTheBackup) {
    TemplateFolder templates(
        {{"veladata.mdb",
          "CREATE TABLE VelaData (\"Sorszám\" INTEGER, Datum TEXT CHECK (Datum IS NULL OR "
          "date(Datum) IS Datum)) STRICT;"}});
    TempDataFolder data(false);
    sql::create("veladata.mdb",
                "CREATE TABLE VelaData (\"Sorszám\", Datum);"
                "INSERT INTO VelaData VALUES (1, '2024-01-01'), ('egy', NULL), "
                "(3, '2024.01.03'), ('4', NULL);");
    Runner r(templates.path());
    ASSERT_TRUE(r.run.run());
    // Every row that fits is copied; the rest are named in the end message.
    EXPECT_EQ(sql::rows("veladata.mdb", "SELECT * FROM VelaData ORDER BY rowid"),
              QStringList({"1|2024-01-01", "4|NULL"}));
    ASSERT_EQ(r.dialogs.boxes.size(), 1);
    EXPECT_TRUE(r.dialogs.boxes[0].text.startsWith(kEnd + "\n\n"));
    EXPECT_TRUE(r.dialogs.boxes[0].text.endsWith("veladata.mdb / VelaData: 2 sor"));
}

TEST(MaintenanceRun, SecondRunInTheSameSecond) {
    TempDataFolder data;
    fillUserRows();
    {
        Runner first;
        ASSERT_TRUE(first.run.run());
    }
    QMap<QString, QByteArray> files;
    for (const QString& f : kFiles) {
        files[f] = readFile(f);
        files[backup(f)] = readFile(backup(f));
    }
    auto unchanged = [&] {
        for (auto it = files.cbegin(); it != files.cend(); ++it)
            EXPECT_EQ(readFile(it.key()), it.value()) << it.key().toStdString();
        EXPECT_EQ(entries(kBackup).size(), 4);
    };

    // No: stopped before anything is moved, and told so.
    Runner no;
    EXPECT_FALSE(no.run.run());
    ASSERT_EQ(no.dialogs.boxes.size(), 2);
    EXPECT_TRUE(no.dialogs.boxes[1].text.startsWith(
        QString::fromUtf8("A karbantartás leállt! (Esc kilép)\n\nHibák:\nA(z) „%1” mentési mappa "
                          "már létezik")
            .arg(kBackup)))
        << no.dialogs.boxes[1].text.toStdString();
    EXPECT_TRUE(no.dialogs.boxes[1].text.endsWith(QString::fromUtf8(
        "Érintetlenül a helyén maradt: betarol.kdb, veladata.mdb, parameter.kdb, LFakturo.mdb")));
    const auto& box = no.dialogs.boxes[0];
    EXPECT_TRUE(box.question);
    EXPECT_EQ(box.title, kQuestionTitle);
    EXPECT_EQ(box.icon, RepDialogService::Icon::Critical);
    EXPECT_TRUE(box.text.startsWith("VelaRep\n"));
    EXPECT_TRUE(box.text.contains(kBackup));
    EXPECT_TRUE(box.text.endsWith(kQuestionEnd));
    EXPECT_EQ(no.view.running, QList<bool>({true, false}));
    EXPECT_FALSE(no.run.isBusy());
    unchanged();

    // Yes to everything: the earlier backup is never overwritten and the
    // user's files, which could not be moved, are never replaced.
    Runner yes;
    for (int i = 0; i < 20; ++i) yes.dialogs.answers << true;
    EXPECT_TRUE(yes.run.run());
    EXPECT_EQ(yes.dialogs.questions(), 5);  // the folder, then the move of each database
    EXPECT_TRUE(yes.dialogs.boxes.last().text.startsWith(
        QString::fromUtf8("A karbantartás hibákkal ért véget! (Esc kilép)\n\nHibák:\n")));
    EXPECT_TRUE(yes.dialogs.boxes.last().text.endsWith(QString::fromUtf8(
        "Érintetlenül a helyén maradt: betarol.kdb, veladata.mdb, parameter.kdb, LFakturo.mdb")));
    unchanged();
}

TEST(MaintenanceRun, DatabaseInUseIsNotMoved) {
    TempDataFolder data;
    fillUserRows();
    // Held open the way VelaData holds its databases.
    auto heldOpened = vela::Database::open("veladata.mdb");
    ASSERT_TRUE(heldOpened) << heldOpened.errorText().toStdString();
    auto held = std::move(*heldOpened);

    {
        Runner r;
        r.dialogs.answers << true << true;
        ASSERT_TRUE(r.run.run());
        ASSERT_EQ(r.dialogs.questions(), 1);
        EXPECT_TRUE(r.dialogs.boxes[0].text.contains("veladata.mdb"));
        EXPECT_TRUE(r.dialogs.boxes[0].text.endsWith(kQuestionEnd));
        EXPECT_EQ(entries(kBackup), QStringList({"LFakturo.mdb", "betarol.kdb", "parameter.kdb"}));
    }
    // The running program still writes into the file in its place.
    ASSERT_TRUE(held->exec("INSERT INTO VelaData (\"Sorszám\") VALUES (4)"));
    EXPECT_EQ(sql::count("veladata.mdb", "VelaData"), 4);
    EXPECT_EQ(sql::count("betarol.kdb", "beraktar"), 2);

    // No stops at once: what came before stays done, the rest untouched.
    TempDataFolder again;
    fillUserRows();
    auto held2Opened = vela::Database::open("veladata.mdb");
    ASSERT_TRUE(held2Opened) << held2Opened.errorText().toStdString();
    auto held2 = std::move(*held2Opened);
    const QByteArray parameter = readFile("parameter.kdb");
    Runner r;
    r.run.setClock([] { return kStart.addSecs(1); });
    EXPECT_FALSE(r.run.run());
    EXPECT_EQ(r.dialogs.questions(), 1);
    EXPECT_EQ(entries("SAVE-20240309-070504"), QStringList{"betarol.kdb"});
    EXPECT_EQ(readFile("parameter.kdb"), parameter);
    EXPECT_EQ(sql::count("veladata.mdb", "VelaData"), 3);
}

TEST(MaintenanceRun, FilesThatCannotBeUsedAskBeforeGoingOn) {
    TempDataFolder data;
    fillUserRows();
    {
        QFile f("betarol.kdb");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("ez nem adatbázis, csak szöveg\n");
    }
    QTemporaryDir templates;
    for (const QString& f : kFiles.mid(0, 3))
        QFile::copy(TempDataFolder::templateDir() + "/" + f, templates.filePath(f));

    Runner r(templates.path());
    r.dialogs.answers << true << true;
    ASSERT_TRUE(r.run.run());
    ASSERT_EQ(r.dialogs.questions(), 2);
    // The foreign file is reported, kept whole in the backup, and a clean
    // template takes its place.
    EXPECT_TRUE(r.dialogs.boxes[0].text.startsWith("SQLite\n"));
    EXPECT_TRUE(r.dialogs.boxes[0].text.contains("betarol.kdb"));
    EXPECT_EQ(readFile(backup("betarol.kdb")), QByteArray("ez nem adatbázis, csak szöveg\n"));
    EXPECT_EQ(sql::count("betarol.kdb", "beraktar"), 0);
    // The missing template: without a fresh copy the user's file stays put.
    EXPECT_TRUE(r.dialogs.boxes[1].text.startsWith("VelaRep\n"));
    EXPECT_TRUE(r.dialogs.boxes[1].text.contains("lfakturo.mdb"));
    EXPECT_EQ(sql::count("LFakturo.mdb", "OsszesSzamla"), 2);
    EXPECT_FALSE(QFileInfo::exists(backup("LFakturo.mdb")));
    EXPECT_EQ(sql::count("veladata.mdb", "VelaData"), 3);
    // Both are named at the end: the foreign file waits in the backup folder.
    EXPECT_TRUE(r.dialogs.boxes.last().text.contains(
        QString::fromUtf8("az eredeti állomány a(z) „%1” mappában maradt, a helyére üres sablon "
                          "került.")
            .arg(kBackup),
        Qt::CaseInsensitive))
        << r.dialogs.boxes.last().text.toStdString();
    EXPECT_TRUE(r.dialogs.boxes.last().text.contains(
        QString::fromUtf8("Érintetlenül a helyén maradt: LFakturo.mdb")));
}

TEST(MaintenanceRun, TemplateFolderBesideTheProgram) {
    EXPECT_EQ(MaintenanceRun::templateDirFor("/opt/velarep"), "/opt/velarep/Data/");
    EXPECT_EQ(MaintenanceRun::templateDirFor("/opt/velarep/"), "/opt/velarep/Data/");
}

TEST(MaintenanceRun, JournalOfACrashedProgramIsRolledBackNotCarriedIntoTheFreshFile) {
    TempDataFolder data;
    fillUserRows();
    sql::exec("veladata.mdb",
              "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
              "INSERT INTO VelaData (\"Sorszám\", CegNev) SELECT 10 + i, 'eredeti' FROM n");
    // A child changes every row of veladata.mdb in a transaction too large
    // for its cache and dies before committing: half-written pages in the
    // file, their old content in the hot journal beside it.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        sqlite3* db = nullptr;
        sqlite3_open("veladata.mdb", &db);
        sqlite3_exec(db,
                     "PRAGMA cache_size = 2; BEGIN; UPDATE VelaData SET CegNev = 'félbehagyott'; "
                     "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < "
                     "20000) INSERT INTO VelaData (\"Sorszám\", CegNev) SELECT 9000 + i, "
                     "'félbehagyott' FROM n;",
                     nullptr, nullptr, nullptr);
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(QFileInfo::exists("veladata.mdb-journal"));

    Runner r;
    ASSERT_TRUE(r.run.run());
    EXPECT_EQ(r.dialogs.questions(), 0);
    EXPECT_FALSE(QFileInfo::exists("veladata.mdb-journal"));
    for (const QString& f : {QString("veladata.mdb"), backup("veladata.mdb")}) {
        EXPECT_EQ(sql::rows(f, "PRAGMA integrity_check"), QStringList{"ok"});
        EXPECT_EQ(sql::rows(f, "SELECT count(*), sum(CegNev = 'eredeti') FROM VelaData"),
                  QStringList{"3003|3000"});
    }
}

TEST(MaintenanceRun, TheHistoryIsCopiedLikeAnyTableAndRecordsAgainAfterwards) {
    TempDataFolder data;
    const QString changes =
        "SELECT Tabla || ':' || Muvelet || ':' || ifnull(Oszlop, '') || ':' || "
        "ifnull(Regi, '') || ':' || ifnull(Uj, '') FROM Valtozasok ORDER BY "
        "Kulcs";
    const QString kept =
        "SELECT Sorszám || ':' || recordID || ':' || CegNev || ':' || SorKulcs "
        "FROM VelaDataTorolt";
    {
        auto db = vela::Database::open("veladata.mdb");
        ASSERT_TRUE(db);
        for (const char* sql :
             {"INSERT INTO VelaData (Sorszám, recordID, CegNev) VALUES (1, 'a', 'Alfa')",
              "UPDATE VelaData SET CegNev = 'Béta'", "DELETE FROM VelaData"})
            ASSERT_TRUE((*db)->exec(sql)) << sql;
    }
    const QStringList before = sql::rows("veladata.mdb", changes);
    ASSERT_EQ(before,
              QStringList({"VelaData:U:::", "VelaData:M:CegNev:Alfa:Béta", "VelaData:T::1:"}));
    Runner r;
    ASSERT_TRUE(r.run.run());
    EXPECT_EQ(sql::rows("veladata.mdb", changes), before);
    EXPECT_EQ(sql::rows("veladata.mdb", kept), QStringList{"1:a:Béta:1"});
    // The copy itself recorded nothing; the program's next write is recorded.
    auto db = vela::Database::open("veladata.mdb");
    ASSERT_TRUE(db);
    ASSERT_TRUE((*db)->exec("INSERT INTO VelaData (Sorszám, recordID) VALUES (2, 'b')"));
    EXPECT_EQ(sql::rows("veladata.mdb", changes).size(), 4);
}
