#include <gtest/gtest.h>

#include "common/tempdatafolder.h"
#include "maintenance/maintenancerun.h"
#include "maintenance/servermove.h"
#include "reptesthelpers.h"

namespace {

// Two entries of 2015 and one of this year in each kind of history table.
void fillHistory(int keptYears) {
    const QString change = QStringLiteral(
        "INSERT INTO Valtozasok (Ido, Gep, Felhasznalo, Tabla, SorKulcs, Muvelet, Oszlop, Regi, "
        "Uj) VALUES ('%1', 'gep', 'anna', '%2', 1, 'M', 'Netto', '1', '2');");
    const QString now = QDate::currentDate().toString(Qt::ISODate) + QStringLiteral(" 08:00:00");
    ASSERT_TRUE(sql::exec("veladata.mdb",
                          change.arg("2015-01-02 10:00:00", "VelaData") +
                              change.arg("2015-06-30 23:59:59", "VelanakData") +
                              change.arg(now, "VelaData") +
                              "INSERT INTO VelaDataTorolt (Szamlaszam, SorKulcs, TorlesIdeje) "
                              "VALUES ('SZ-1', 7, '2015-03-01 09:00:00'), ('SZ-2', 8, '" +
                              now + "');"));
    ASSERT_TRUE(sql::exec("betarol.kdb", change.arg("2015-01-02 10:00:00", "beraktar")));
    ASSERT_TRUE(sql::exec(
        "parameter.kdb",
        QStringLiteral("INSERT INTO EmblemaPath (Tizedes, DevizaNem, ValtozasokMegorzese, Kulcs) "
                       "VALUES (0, 'Ft', %1, 1);")
            .arg(keptYears)));
}

}  // namespace

// Only an answered question drops history, only what is older than the years
// kept, and the backup keeps every entry.
TEST(HistoryCompaction, DropsOnlyOldEntriesAndOnlyAfterAYes) {
    struct Case {
        int keptYears;
        QList<bool> answers;
        int questions;
        qint64 changesLeft, deletedLeft, partnerChangesLeft;
    };
    const Case cases[] = {
        {5, {true}, 1, 1, 1, 0},
        {5, {false}, 1, 3, 2, 1},
        {0, {true}, 0, 3, 2, 1},
        {20, {true}, 0, 3, 2, 1},  // nothing that old
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "years " << c.keptYears << " yes " << c.answers[0]);
        TempDataFolder data;
        fillHistory(c.keptYears);
        ScriptedRepDialogs dialogs;
        dialogs.answers = c.answers;
        velarep::MaintenanceRun run(TempDataFolder::templateDir(), dialogs);
        ASSERT_TRUE(velarep::runWithMove(run, velarep::Move::None, dialogs));
        ASSERT_EQ(dialogs.questions(), c.questions);
        if (c.questions) {
            EXPECT_TRUE(dialogs.boxes[0].text.startsWith(
                QString::fromUtf8("A változásnaplóban 4 bejegyzés régebbi 5 évnél")))
                << dialogs.boxes[0].text.toStdString();
        }
        EXPECT_EQ(sql::count("veladata.mdb", "Valtozasok"), c.changesLeft);
        EXPECT_EQ(sql::count("veladata.mdb", "VelaDataTorolt"), c.deletedLeft);
        EXPECT_EQ(sql::count("betarol.kdb", "Valtozasok"), c.partnerChangesLeft);
        EXPECT_EQ(sql::count(run.backupFolder() + "/veladata.mdb", "Valtozasok"), 3);
        if (c.changesLeft == 1) {
            EXPECT_TRUE(dialogs.boxes.last().text.contains(QString::fromUtf8(
                "A változásnaplóból törölt régi bejegyzések:\nveladata.mdb: 3 bejegyzés\n"
                "betarol.kdb: 1 bejegyzés\nparameter.kdb: 0 bejegyzés")))
                << dialogs.boxes.last().text.toStdString();
        }
    }
}
