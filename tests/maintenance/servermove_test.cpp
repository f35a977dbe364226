// Moving a demo data folder onto the test server with "VelaRep /kiszolgalo"
// and back with "VelaRep /helyi": every field of every row arrives.
#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>

#include "maintenance/form1.h"
#include "pgtestserver.h"
#include "reptesthelpers.h"
#include "storage/columns.h"
#include "storage/database.h"
#include "storage/dataplace.h"
#include "storage/serverschema.h"
#include "storage/servertransfer.h"
#include "tempdatafolder.h"

using namespace vela;
using velarep::Form1;

namespace {

using Tables = QMap<QString, std::vector<Database::Row>>;

// Every row of every moved table, in key order, read from db.
Tables everyRow(Database& db, const QString& fileName) {
    Tables out;
    for (const DatabaseDef& d : schema::databases()) {
        if (d.fileName != fileName)
            continue;
        for (const TableDef* t : d.tables) {
            if (t == &schema::velaIdeigl())
                continue;
            QStringList cols;
            for (const QString& c : t->columnNames()) cols << schema::quoteName(c);
            auto rows = db.rows(QStringLiteral("SELECT %1 FROM %2 ORDER BY %3")
                                    .arg(cols.join(", "), schema::quoteName(t->name), t->keySql()));
            EXPECT_TRUE(rows) << rows.errorText().toStdString();
            out.insert(t->name, rows ? *rows : std::vector<Database::Row>{});
        }
    }
    return out;
}

Tables filesRows() {
    Tables all;
    for (const QString& name : serverDatabases()) {
        auto db = Database::open(name);
        EXPECT_TRUE(db) << db.errorText().toStdString();
        if (db)
            all.insert(everyRow(**db, name));
    }
    return all;
}

Tables serverRows(const QString& conninfo) {
    Tables all;
    for (const QString& name : serverDatabases()) {
        auto db = Database::openServer(conninfo, name);
        EXPECT_TRUE(db) << db.errorText().toStdString();
        if (db)
            all.insert(everyRow(**db, name));
    }
    return all;
}

// Table by table, so a difference names its table.
void expectSameRows(const Tables& got, const Tables& want) {
    EXPECT_EQ(got.keys(), want.keys());
    for (auto it = want.cbegin(); it != want.cend(); ++it) {
        const std::vector<Database::Row> rows = got.value(it.key());
        EXPECT_EQ(rows.size(), it->size()) << it.key().toStdString();
        if (rows.size() == it->size()) {
            for (size_t r = 0; r < rows.size(); ++r)
                EXPECT_EQ(rows[r], (*it)[r]) << it.key().toStdString() << " row " << r;
        }
    }
}

void runRep(const QString& arguments, ScriptedRepDialogs& dialogs, int second) {
    Form1 form(TempDataFolder::templateDir(), dialogs);
    form.maintenance().setClock(
        [second] { return QDateTime(QDate(2026, 3, 2), QTime(10, 0, second)); });
    form.start(arguments);
}

}  // namespace

TEST(ServerMove, DemoFolderToTheServerAndBackEveryField) {
    test::PgTestDatabase server(QStringLiteral("vela_move"));
    TempDataFolder folder(false);
    QProcess maker;
    maker.start(QStringLiteral(VELA_BIN_DIR "/veladata-demo"),
                {"--force", "--today", "2026-03-01", folder.path()});
    ASSERT_TRUE(maker.waitForFinished(120000));
    ASSERT_EQ(maker.exitCode(), 0) << maker.readAll().toStdString();
    const Tables before = filesRows();
    ASSERT_GT(before.value("VelaData").size(), 100u);
    ASSERT_GT(before.value("beraktar").size(), 0u);
    {
        auto parameters = Database::open("parameter.kdb");
        ASSERT_TRUE(parameters);
        ASSERT_TRUE(setServerAddress(**parameters, server.conninfo()));
    }

    ScriptedRepDialogs dialogs;
    runRep("/kiszolgalo /s", dialogs, 1);
    ASSERT_EQ(dialogs.boxes.size(), 1);
    const QString report = dialogs.boxes[0].text;
    EXPECT_TRUE(report.startsWith("Karbantartás vége!")) << report.toStdString();
    EXPECT_TRUE(report.contains(
        QStringLiteral("veladata.mdb / VelaData: %1 sor").arg(before.value("VelaData").size())))
        << report.toStdString();
    expectSameRows(serverRows(server.conninfo()), before);
    {
        // The copy sent no row notes, and every later write does.
        auto db = Database::openServer(server.conninfo(), "veladata.mdb");
        ASSERT_TRUE(db);
        for (const TableDef* t : {&schema::velaData(), &schema::velanakData()}) {
            const Result<bool> told = ServerSchema::tellsRows(**db, *t);
            EXPECT_TRUE(told && *told) << t->name.toStdString();
        }
    }
    // The group roles have their rights on the moved tables.
    const QString rights = QStringLiteral(
        "A(z) „vela_konyvelo” szerep tagjai írhatják, a(z) „vela_olvaso” szerep tagjai csak "
        "olvashatják az adatokat; a változásnaplót senki sem módosíthatja.");
    EXPECT_TRUE(report.contains(rights)) << report.toStdString();

    // Tables that hold rows are never written over; nothing is backed up.
    runRep("/s /kiszolgalo", dialogs, 2);
    ASSERT_EQ(dialogs.boxes.size(), 2);
    EXPECT_TRUE(dialogs.boxes[1].text.contains("már vannak adatok"))
        << dialogs.boxes[1].text.toStdString();
    EXPECT_TRUE(dialogs.boxes[1].text.contains(rights)) << dialogs.boxes[1].text.toStdString();
    EXPECT_EQ(QDir().entryList({"SAVE-*"}, QDir::Dirs).size(), 1);

    // A row added on the server gets the next key, and comes back too.
    {
        auto db = Database::openServer(server.conninfo(), "betarol.kdb");
        ASSERT_TRUE(db);
        ASSERT_TRUE(
            (*db)->exec("INSERT INTO \"beraktar\" (\"BerNev\") VALUES ('Új Partner Kft.')"));
    }
    const Tables onServer = serverRows(server.conninfo());
    ASSERT_EQ(onServer.value("beraktar").size(), before.value("beraktar").size() + 1);
    runRep("/helyi /s", dialogs, 3);
    ASSERT_EQ(dialogs.boxes.size(), 3);
    EXPECT_TRUE(dialogs.boxes[2].text.contains("ismét az adatmappa fájljain"))
        << dialogs.boxes[2].text.toStdString();
    expectSameRows(filesRows(), onServer);
    EXPECT_EQ(QDir().entryList({"SAVE-*"}, QDir::Dirs).size(), 2);
    auto parameters = Database::open("parameter.kdb");
    ASSERT_TRUE(parameters);
    EXPECT_EQ(serverAddress(**parameters), QString());
}

TEST(ServerMove, WithoutAServerAddressNothingRuns) {
    TempDataFolder folder;
    for (const char* arguments : {"/kiszolgalo /s", "/helyi /s"}) {
        ScriptedRepDialogs dialogs;
        runRep(arguments, dialogs, 1);
        ASSERT_EQ(dialogs.boxes.size(), 1) << arguments;
        EXPECT_TRUE(dialogs.boxes[0].text.contains("nincs adatbázis-kiszolgáló megadva"));
        EXPECT_TRUE(QDir().entryList({"SAVE-*"}, QDir::Dirs).isEmpty());
    }
}
