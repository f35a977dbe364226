// The ledger window beside another workstation: what that one commits shows
// here, and a server that goes away loses nothing typed.
#include <QElapsedTimer>
#include <QTest>

#include "base/postgres/pgconnection.h"
#include "ledgerfixture.h"
#include "storage/datafolderdatabases.h"

using vela::LedgerKind;

namespace {

// Runs the event loop for ms (the window's timers fire meanwhile).
void pump(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QApplication::processEvents();
        QTest::qWait(20);
    }
}

}  // namespace

class LedgerFollow : public LedgerFixture {
  protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(LedgerFixture::SetUp());
        insert("VelaData", {{1, "A1", "Alma", 100, "N"},
                            {2, "A2", "Béka", 200, "N"},
                            {3, "A3", "Cékla", 300, "I"}});
        // The other workstation: its own connections to the same data.
        other.openAll();
        ASSERT_TRUE(other.veladata) << other.veladataStatus.errorText().toStdString();
    }
    void TearDown() override {
        other.closeAll();
        LedgerFixture::TearDown();
    }

    // A row the other workstation adds and commits.
    void otherAdds(qlonglong sorszam, double brutto) {
        ASSERT_TRUE(other.veladata->exec(
            sql("INSERT INTO VelaData (Sorszám, recordID, Szamlaszam, Brutto, Kivezetés) "
                "VALUES (?, ?, ?, ?, 'N')"),
            {sorszam, QString("másik%1").arg(sorszam), QString("M%1").arg(sorszam), brutto}));
    }

    int lostMessages() const {
        int n = 0;
        for (const auto& s : dialogs.shown)
            n += s.title == QString::fromUtf8("Adatbázis-kiszolgáló") ? 1 : 0;
        return n;
    }

    vela::DataFolderDatabases other;
};

TEST_F(LedgerFollow, AnotherWorkstationsRowsFollowAndTypingInProgressSurvives) {
    open();
    ASSERT_TRUE(window->rows().moveTo(1));  // Béka
    EXPECT_EQ(label27(), "300.-");

    otherAdds(4, 1000);
    QTRY_COMPARE_WITH_TIMEOUT(window->rows().recordCount(), 4, 10000);
    EXPECT_EQ(label27(), "1300.-");
    EXPECT_EQ(window->currencyTotalsText(), "devizanem nélkül: 1 300");
    EXPECT_EQ(field("CegNev").toString(), "Béka");
    EXPECT_EQ(text("Text2")->text(), "Béka");

    // Typing in a field that is not left yet: the re-read waits for it.
    QLineEdit* remark = text("Text12");
    remark->setFocus();
    keys(remark, "félig írt");
    otherAdds(5, 20);
    pump(1500);
    EXPECT_EQ(window->rows().recordCount(), 4);
    EXPECT_EQ(remark->text(), "félig írt");
    EXPECT_EQ(field("CegNev").toString(), "Béka");

    // Saved: then the other's row comes, and the typed remark is stored once.
    click("Command3");
    QTRY_COMPARE_WITH_TIMEOUT(window->rows().recordCount(), 5, 10000);
    EXPECT_EQ(scalar("SELECT Megjegyzés FROM VelaData WHERE Sorszám = 2")->toString(), "félig írt");
    EXPECT_EQ(field("CegNev").toString(), "Béka");
    EXPECT_EQ(remark->text(), "félig írt");
    EXPECT_EQ(label27(), "1320.-");
    EXPECT_EQ(window->currencyTotalsText(), "devizanem nélkül: 1 320");

    // The figure taken from the other's commit moves by this one's save.
    remark->clear();
    type("Text7", "250");
    click("Command3");
    EXPECT_EQ(label27(), "1370.-");
    ASSERT_TRUE(other.veladata->exec(sql("DELETE FROM VelaData WHERE Sorszám = 4")));
    QTRY_COMPARE_WITH_TIMEOUT(window->rows().recordCount(), 4, 10000);
    EXPECT_EQ(label27(), "370.-");
    EXPECT_EQ(window->currencyTotalsText(), "devizanem nélkül: 370");
    EXPECT_TRUE(dialogs.shown.isEmpty()) << dialogs.shown.first().text.toStdString();
}

TEST_F(LedgerFollow, AnUnsavedEditWaitsAndKeepsItsValuesThroughTheOthersWrites) {
    open();
    ASSERT_TRUE(window->rows().moveTo(0));
    type("Text2", "Almás Kft");  // left: pending in the row, not saved
    ASSERT_TRUE(window->rows().editPending());
    otherAdds(4, 1);
    pump(1500);
    EXPECT_EQ(window->rows().recordCount(), 3);
    EXPECT_TRUE(window->rows().editPending());
    EXPECT_EQ(scalar("SELECT CegNev FROM VelaData WHERE Sorszám = 1")->toString(), "Alma");
    ASSERT_TRUE(window->rows().moveTo(2));  // leaving the row saves it, as ever
    QTRY_COMPARE_WITH_TIMEOUT(window->rows().recordCount(), 4, 10000);
    EXPECT_EQ(field("CegNev").toString(), "Cékla");
    EXPECT_EQ(scalar("SELECT CegNev FROM VelaData WHERE Sorszám = 1")->toString(), "Almás Kft");
}

// What the server does when it goes away; the data folder's files cannot.
class LedgerFollowServer : public LedgerFollow {
  protected:
    void SetUp() override {
        if (!onServer())
            GTEST_SKIP() << "the ledgers are in the data folder's files";
        ASSERT_NO_FATAL_FAILURE(LedgerFollow::SetUp());
        auto a = vela::postgres::PgConnection::open(vela::test::pgTestServer(), QString());
        ASSERT_TRUE(a) << a.errorText().toStdString();
        admin = std::move(*a);
    }

    int windowsServerProcess() {
        return static_cast<vela::postgres::PgConnection*>(veladata->handle())->serverProcess();
    }
    void cut() {
        ASSERT_TRUE(admin->execScript(
            QString("SELECT pg_terminate_backend(%1)").arg(windowsServerProcess())));
    }
    void allowConnections(bool allow) {
        ASSERT_TRUE(admin->execScript(QString("ALTER DATABASE \"%1\" ALLOW_CONNECTIONS %2")
                                          .arg(testServer().name(), allow ? "true" : "false")));
    }
    qlonglong othersCount(const QString& where) {
        return other.veladata->scalar(sql("SELECT count(*) FROM VelaData WHERE " + where))
            ->toLongLong();
    }

    std::unique_ptr<vela::postgres::PgConnection> admin;
};

TEST_F(LedgerFollowServer, AServerGoneIsToldOnceAndTheTypedValuesAreSavedOnceWhenItIsBack) {
    open();
    ASSERT_TRUE(window->rows().moveTo(1));
    allowConnections(false);
    cut();
    QTRY_COMPARE_WITH_TIMEOUT(lostMessages(), 1, 10000);
    EXPECT_NE(dialogs.shown.last().text.indexOf("Megszakadt a kapcsolat"), -1);
    type("Text12", "kapcsolat nélkül");
    type("Text2", "Békás Bt");
    pump(1500);  // many looks, one message
    EXPECT_EQ(lostMessages(), 1);

    // Saving while it is away fails, and says so; the values stay.
    const int before = int(dialogs.shown.size());
    click("Command3");
    ASSERT_EQ(int(dialogs.shown.size()), before + 1);
    EXPECT_NE(dialogs.shown.last().text.indexOf("Megszakadt a kapcsolat"), -1);
    EXPECT_EQ(text("Text12")->text(), "kapcsolat nélkül");
    EXPECT_EQ(text("Text2")->text(), "Békás Bt");
    EXPECT_TRUE(window->rows().editPending());

    allowConnections(true);
    click("Command3");
    EXPECT_FALSE(window->rows().editPending());
    EXPECT_EQ(othersCount("Megjegyzés = 'kapcsolat nélkül' AND CegNev = 'Békás Bt'"), 1);
    // Back: the window follows again, without another message.
    otherAdds(4, 1000);
    QTRY_COMPARE_WITH_TIMEOUT(window->rows().recordCount(), 4, 10000);
    EXPECT_EQ(label27(), "1300.-");
    EXPECT_EQ(lostMessages(), 1);
}

TEST_F(LedgerFollowServer, ANewRowCutBeforeItsCommitLeavesNothingAndIsSavedOnceLater) {
    open();
    vela::RecordSource& rows = window->rows();
    // The server process goes just after the insert, before the commit.
    QMetaObject::Connection killer =
        QObject::connect(&rows, &vela::RecordSource::rowWritten, [this] { cut(); });
    ASSERT_TRUE(rows.addNew());
    ASSERT_TRUE(rows.setField("Szamlaszam", "FÉLBEN-1"));
    ASSERT_TRUE(rows.setField("Brutto", 55));
    EXPECT_FALSE(rows.update());
    QObject::disconnect(killer);
    EXPECT_EQ(othersCount("Szamlaszam = 'FÉLBEN-1'"), 0);
    EXPECT_EQ(rows.recordCount(), 3);
    EXPECT_TRUE(rows.addingNew());
    EXPECT_EQ(rows.field("Szamlaszam").toString(), "FÉLBEN-1");

    ASSERT_TRUE(rows.update());
    EXPECT_EQ(othersCount("Szamlaszam = 'FÉLBEN-1'"), 1);
    EXPECT_EQ(rows.recordCount(), 4);
}
