// VelaRep over data on the test server: the pg_dump backup and the restore
// of it, the refusal while another session is connected, and the writer
// lock between VelaRep, a pass under way and a second workstation.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include "base/workstation.h"
#include "maintenance/form1.h"
#include "maintenance/serverbackup.h"
#include "pgtestserver.h"
#include "reptesthelpers.h"
#include "storage/bulkwrite.h"
#include "storage/columns.h"
#include "storage/database.h"
#include "storage/dataplace.h"
#include "storage/servertransfer.h"
#include "tempdatafolder.h"

using namespace vela;
using velarep::Form1;

namespace {

using Tables = QMap<QString, std::vector<Database::Row>>;

const TableDef* tableNamed(const QString& name) {
    for (const DatabaseDef& d : schema::databases())
        for (const TableDef* t : d.tables)
            if (t->name == name)
                return t;
    return nullptr;
}

// Every row of every program table on the server, every column, in key order.
Tables serverRows(const QString& conninfo) {
    Tables all;
    auto db = Database::openServer(conninfo, QString());
    EXPECT_TRUE(db) << db.errorText().toStdString();
    if (!db)
        return all;
    for (const QString& name : velarep::programTablesOn(**db)) {
        const TableDef* t = tableNamed(name);
        QStringList cols;
        for (const QString& c : t->columnNames()) cols << schema::quoteName(c);
        auto rows = (*db)->rows(QStringLiteral("SELECT %1 FROM %2 ORDER BY %3")
                                    .arg(cols.join(", "), schema::quoteName(name), t->keySql()));
        EXPECT_TRUE(rows) << rows.errorText().toStdString();
        all.insert(name, rows ? *rows : std::vector<Database::Row>{});
    }
    return all;
}

void expectSameRows(const Tables& got, const Tables& want) {
    EXPECT_EQ(got.keys(), want.keys());
    for (auto it = want.cbegin(); it != want.cend(); ++it) {
        const std::vector<Database::Row> rows = got.value(it.key());
        ASSERT_EQ(rows.size(), it->size()) << it.key().toStdString();
        for (size_t r = 0; r < rows.size(); ++r)
            EXPECT_EQ(rows[r], (*it)[r]) << it.key().toStdString() << " row " << r;
    }
}

QString runRep(const QString& arguments, int second) {
    ScriptedRepDialogs dialogs;
    Form1 form(TempDataFolder::templateDir(), dialogs);
    form.maintenance().setClock(
        [second] { return QDateTime(QDate(2026, 3, 2), QTime(10, 0, second)); });
    form.start(arguments);
    EXPECT_EQ(dialogs.boxes.size(), 1) << arguments.toStdString();
    return dialogs.boxes.isEmpty() ? QString() : dialogs.boxes.last().text;
}

QStringList saveFolders() {
    return QDir().entryList({"SAVE-*"}, QDir::Dirs, QDir::Name);
}

// A demo data folder whose rows live on the server, with rows in the bank
// table and the history tables too.
class ServerBackup : public ::testing::Test {
  protected:
    void SetUp() override {
        QProcess maker;
        maker.start(QStringLiteral(VELA_BIN_DIR "/veladata-demo"),
                    {"--force", "--today", "2026-03-01", folder_.path()});
        ASSERT_TRUE(maker.waitForFinished(120000));
        ASSERT_EQ(maker.exitCode(), 0) << maker.readAll().toStdString();
        ASSERT_TRUE(ServerTransfer::toServer(server_.conninfo()));
        {
            auto parameters = Database::open("parameter.kdb");
            ASSERT_TRUE(parameters);
            ASSERT_TRUE(setServerAddress(**parameters, server_.conninfo()));
        }
        auto db = Database::openServer(server_.conninfo(), "veladata.mdb");
        ASSERT_TRUE(db);
        for (const char* sql : {
                 "INSERT INTO \"BankiTetel\" (\"KivonatAzonosito\", \"TetelHivatkozas\", "
                 "\"Osszeg\", \"Konyvelve\") VALUES ('K1', 'T1', 1234.5, '2026-03-01')",
                 "INSERT INTO \"OsszesSzamla\" (\"Számlaszám\", \"Vevö\") VALUES (7, 'Vevő "
                 "Kft.')",
                 "UPDATE \"VelaData\" SET \"Megjegyzés\" = 'átírva' WHERE \"Kulcs\" = "
                 "(SELECT min(\"Kulcs\") FROM \"VelaData\")",
                 "DELETE FROM \"VelaData\" WHERE \"Kulcs\" = (SELECT max(\"Kulcs\") FROM "
                 "\"VelaData\")",
             })
            ASSERT_TRUE((*db)->exec(QString::fromUtf8(sql))) << sql;
    }

    test::PgTestDatabase server_{QStringLiteral("vela_backup")};
    TempDataFolder folder_{false};
};

}  // namespace

TEST_F(ServerBackup, BackupThenRestoreGivesBackEveryRowFieldByField) {
    const Tables before = serverRows(server_.conninfo());
    for (const char* table : {"VelaData", "VelanakData", "BankiTetel", "Valtozasok",
                              "VelaDataTorolt", "beraktar", "TorzsOrszagok", "OsszesSzamla"})
        EXPECT_GT(before.value(table).size(), 0u) << table;

    const QString backup = runRep("/s", 1);
    EXPECT_TRUE(backup.startsWith("Karbantartás vége!")) << backup.toStdString();
    EXPECT_TRUE(backup.contains("SAVE-20260302-100001/kiszolgalo.dump")) << backup.toStdString();
    EXPECT_TRUE(QFileInfo::exists("SAVE-20260302-100001/kiszolgalo.dump"));
    EXPECT_TRUE(QFileInfo::exists("SAVE-20260302-100001/parameter.kdb"));

    // Rows go and change after the backup; one table is made to refuse rows.
    {
        auto db = Database::openServer(server_.conninfo(), "betarol.kdb");
        ASSERT_TRUE(db);
        ASSERT_TRUE((*db)->exec("DELETE FROM \"VelaData\" WHERE \"Kulcs\" % 2 = 0"));
        ASSERT_TRUE((*db)->exec("INSERT INTO \"beraktar\" (\"BerNev\") VALUES ('Új Kft.')"));
        ASSERT_TRUE((*db)->exec("UPDATE \"OsszesSzamla\" SET \"Vevö\" = 'Más'"));
        ASSERT_TRUE((*db)->exec("DELETE FROM \"BankiTetel\""));
        ASSERT_TRUE((*db)->exec(
            "ALTER TABLE \"VelanakData\" ADD CONSTRAINT nem_fer CHECK (false) NOT VALID"));
    }
    const Tables changed = serverRows(server_.conninfo());
    ASSERT_NE(changed.value("VelaData").size(), before.value("VelaData").size());

    // A restore that fails on one table leaves every table as it was.
    const QString refused = runRep("/visszatoltes SAVE-20260302-100001 /s", 2);
    EXPECT_TRUE(refused.contains("A mentés visszatöltése nem sikerült")) << refused.toStdString();
    expectSameRows(serverRows(server_.conninfo()), changed);

    {
        auto db = Database::openServer(server_.conninfo(), "betarol.kdb");
        ASSERT_TRUE(db);
        ASSERT_TRUE((*db)->exec("ALTER TABLE \"VelanakData\" DROP CONSTRAINT nem_fer"));
    }
    const QString restored = runRep("/s /visszatoltes SAVE-20260302-100001", 3);
    EXPECT_TRUE(restored.startsWith("Karbantartás vége!")) << restored.toStdString();
    EXPECT_TRUE(
        restored.contains(QStringLiteral("VelaData: %1 sor").arg(before.value("VelaData").size())))
        << restored.toStdString();
    expectSameRows(serverRows(server_.conninfo()), before);
    // The state before the restore was backed up first, like every run's.
    EXPECT_TRUE(QFileInfo::exists("SAVE-20260302-100003/kiszolgalo.dump"));

    // New rows get keys after the restored ones.
    {
        auto db = Database::openServer(server_.conninfo(), "betarol.kdb");
        ASSERT_TRUE(db);
        ASSERT_TRUE((*db)->exec("INSERT INTO \"beraktar\" (\"BerNev\") VALUES ('Még egy Kft.')"));
        auto keys = (*db)->scalar("SELECT count(DISTINCT \"Kulcs\") FROM \"beraktar\"");
        ASSERT_TRUE(keys);
        EXPECT_EQ(keys->toLongLong(), qint64(before.value("beraktar").size()) + 1);
    }

    // A folder without a server backup is refused before anything runs.
    const QStringList folders = saveFolders();
    QDir().mkdir("ures");
    for (const char* arguments : {"/visszatoltes ures /s", "/visszatoltes nincs-ilyen /s"}) {
        const QString text = runRep(arguments, 4);
        EXPECT_TRUE(text.contains("nincs a kiszolgáló adatairól készült mentés"))
            << arguments << text.toStdString();
    }
    EXPECT_EQ(saveFolders(), folders);
}

TEST_F(ServerBackup, RefusedWhileAnotherSessionIsConnected) {
    auto other = Database::openServer(server_.conninfo(), "veladata.mdb");
    ASSERT_TRUE(other);
    const Tables before = serverRows(server_.conninfo());
    for (const char* arguments : {"/s", "/helyi /s", "/visszatoltes SAVE-20260302-100001 /s"}) {
        if (QString(arguments).contains("visszatoltes")) {
            // A backup to restore, made before the other session came.
            other->reset();
            ASSERT_TRUE(runRep("/s", 1).startsWith("Karbantartás vége!"));
            other = Database::openServer(server_.conninfo(), "veladata.mdb");
            ASSERT_TRUE(other);
        }
        const QStringList folders = saveFolders();
        const QString text = runRep(arguments, 9);
        EXPECT_TRUE(text.contains("adatbázisához most más is kapcsolódik")) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("program: VelaData (%1)").arg(workstationName())))
            << text.toStdString();
        EXPECT_TRUE(text.contains("gép: helyi")) << text.toStdString();
        EXPECT_EQ(saveFolders(), folders) << arguments;
    }
    expectSameRows(serverRows(server_.conninfo()), before);
    auto parameters = Database::open("parameter.kdb");
    ASSERT_TRUE(parameters);
    EXPECT_EQ(serverAddress(**parameters), server_.conninfo());
}

TEST_F(ServerBackup, TheWriterLockIsToldAndNothingIsHalfWritten) {
    const qint64 rowsBefore = qint64(serverRows(server_.conninfo()).value("VelaData").size());
    const QString program = QStringLiteral("program: VelaData (%1)").arg(workstationName());
    auto count = [&] {
        auto db = Database::openServer(server_.conninfo(), QString());
        if (!db)
            return qint64(-1);
        auto n = (*db)->scalar("SELECT count(*) FROM \"VelaData\"");
        return n ? n->toLongLong() : -1;
    };
    const QStringList columns{"Megjegyzés"};
    {
        // One workstation is in the middle of a pass...
        auto first = Database::openServer(server_.conninfo(), "veladata.mdb");
        ASSERT_TRUE(first);
        BulkInsert pass(**first, schema::velaData(), columns);
        ASSERT_TRUE(pass.begin());
        for (const char* note : {"egy", "kettő"}) ASSERT_TRUE(pass.append({QString(note)}));

        // ...a second one running the same pass is told who writes...
        auto second = Database::openServer(server_.conninfo(), "veladata.mdb");
        ASSERT_TRUE(second);
        BulkInsert again(**second, schema::velaData(), columns);
        const Status refused = again.begin();
        ASSERT_FALSE(refused);
        EXPECT_TRUE(refused.error().busy());
        EXPECT_TRUE(refused.errorText().contains("most egy másik munkaállomás ír"))
            << refused.errorText().toStdString();
        EXPECT_TRUE(refused.errorText().contains(program)) << refused.errorText().toStdString();
        second->reset();

        // ...and so is VelaRep, which does not wait and changes nothing.
        const QString text = runRep("/s", 1);
        EXPECT_TRUE(text.contains("adataiba most egy munkaállomás ír")) << text.toStdString();
        EXPECT_TRUE(text.contains(program)) << text.toStdString();
        EXPECT_TRUE(saveFolders().isEmpty());
        EXPECT_EQ(count(), rowsBefore);
        ASSERT_TRUE(pass.finish());
    }
    EXPECT_EQ(count(), rowsBefore + 2);

    // While VelaRep holds the server, a writer is refused, naming VelaRep.
    velarep::ServerGuard guard;
    ASSERT_TRUE(guard.take(server_.conninfo()));
    auto writer = Database::openServer(server_.conninfo(), "veladata.mdb");
    ASSERT_TRUE(writer);
    BulkInsert late(**writer, schema::velaData(), columns);
    const Status refused = late.begin();
    ASSERT_FALSE(refused);
    EXPECT_TRUE(refused.errorText().contains(
        QStringLiteral("program: VelaRep (%1)").arg(workstationName())))
        << refused.errorText().toStdString();
    EXPECT_EQ(count(), rowsBefore + 2);
}

// Old history on the server goes after a yes, on the connection VelaRep works
// on while it holds the writer lock; the backup keeps it.
TEST_F(ServerBackup, OldHistoryIsDroppedOnTheServerAfterAYes) {
    auto db = Database::openServer(server_.conninfo(), "veladata.mdb");
    ASSERT_TRUE(db);
    ASSERT_TRUE((*db)->exec(QStringLiteral(
        "UPDATE \"Valtozasok\" SET \"Ido\" = '2015-01-02 10:00:00' WHERE \"Kulcs\" IN "
        "(SELECT \"Kulcs\" FROM \"Valtozasok\" ORDER BY \"Kulcs\" LIMIT 1)")));
    const qint64 all = (*db)->scalar("SELECT count(*) FROM \"Valtozasok\"")->toLongLong();
    ASSERT_EQ(all, 2);
    db->reset();  // VelaRep works alone on the server
    {
        auto parameters = Database::open("parameter.kdb");
        ASSERT_TRUE(parameters);
        ASSERT_TRUE((*parameters)->exec("UPDATE EmblemaPath SET ValtozasokMegorzese = 5"));
    }

    ScriptedRepDialogs dialogs;
    dialogs.answers = {true};
    Form1 form(TempDataFolder::templateDir(), dialogs);
    form.maintenance().setClock([] { return QDateTime(QDate(2026, 3, 2), QTime(10, 0, 5)); });
    form.start("/s");
    ASSERT_EQ(dialogs.questions(), 1);
    ASSERT_FALSE(dialogs.boxes.isEmpty());
    const QString report = dialogs.boxes.last().text;
    EXPECT_TRUE(report.startsWith("Karbantartás vége!")) << report.toStdString();
    EXPECT_TRUE(
        report.contains(QString::fromUtf8("A változásnaplóból törölt régi bejegyzések:\na "
                                          "kiszolgáló: 1 bejegyzés\nparameter.kdb: 0 bejegyzés")))
        << report.toStdString();
    db = Database::openServer(server_.conninfo(), "veladata.mdb");
    ASSERT_TRUE(db);
    EXPECT_EQ((*db)->scalar("SELECT count(*) FROM \"Valtozasok\"")->toLongLong(), 1);
    EXPECT_EQ((*db)
                  ->scalar("SELECT count(*) FROM \"Valtozasok\" WHERE \"Ido\" < '2021-03-02'")
                  ->toLongLong(),
              0);
    EXPECT_TRUE(QFileInfo::exists("SAVE-20260302-100005/kiszolgalo.dump"));
}
