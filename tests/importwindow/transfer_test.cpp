// "Vissza-átadás": staged invoices into the receivables ledger.
#include "import/stagedtransfer.h"
#include "importfixture.h"
#include "storage/columns.h"
#include "storage/recordsource.h"

namespace {
const QString kAll = "Átviszi a táblázat összes adatát?";
const QString kNegatives = "Áthozza a NEGATÍV adatokat is?";
const QString kFrom = "Kérem a sorszámot, amitől kezdve átvisz adatot:";
const QString kNoRow = "A feltétel szerint megadott sorszám nem létezik, vagy rosszul adta meg!";
}  // namespace

class TransferTest : public ImportFixture {
  protected:
    // The ledger rows written, in sequence order: Sorszám, Szamlaszam, Brutto.
    std::vector<std::tuple<qint64, QString, double>> ledger() {
        std::vector<std::tuple<qint64, QString, double>> out;
        const auto rows =
            veladata->rows("SELECT Sorszám, Szamlaszam, Brutto FROM VelanakData ORDER BY Sorszám");
        EXPECT_TRUE(rows) << rows.errorText().toStdString();
        if (!rows)
            return out;
        for (const auto& r : *rows)
            out.emplace_back(r[0].toLongLong(), r[1].toString(), r[2].toDouble());
        return out;
    }
    void ledgerRowAt(qint64 sorszam) {
        ASSERT_TRUE(veladata->exec(
            "INSERT INTO VelanakData (Sorszám, recordID, Szamlaszam) VALUES (?, 'x', 'old')",
            {sorszam}));
    }
    // Opens the window over rows staged before (keeping them).
    void openKeeping() {
        dialogs.answer(Answer::No);
        open();
        dialogs.clear();
    }
};

TEST_F(TransferTest, EmptyLedgerIsNumberedFromOneAndRowsAreMapped) {
    lines("SZAMLA", {{5, "készpénzes", 100, 127, "Munkadíj", 27, "Alfa Bt.", "Szeged", "Fő utca 1.",
                      QDate(2024, 3, 1), QDate(2024, 3, 9), QDate(2024, 2, 28)}});
    lines("ATUTAL", {{6, "átutalás E", 10, 12.7, "Áru", 27, "Béta Kft.", "", "", QVariant(),
                      QVariant(), QVariant()}});
    open();
    dialogs.answerInput("1");
    dialogs.answerInput("1");
    click("Command1");
    dialogs.clear();
    click("Command3");  // Yes: all rows; Yes: negatives too
    EXPECT_EQ(dialogs.texts(), (QStringList{kAll, kNegatives}));
    EXPECT_EQ(dialogs.shown[0].title, "FIGYELEM!");
    EXPECT_EQ(dialogs.shown[0].icon, Icon::Question);
    EXPECT_FALSE(window->isVisible());  // the hand-over closes the window
    const auto rowsRead = veladata->rows(
        "SELECT Sorszám, Szamlaszam, CegNev, CegCim, Megnevezes, Netto, AFA, Brutto, Datumtol, "
        "Datumig, Teljesités, Adatfelvetel, Devizanem, RészÖsszeg, recordID, FizetésMódja, "
        "Kivezetés, FIGYELEM, Részkiegyenlités FROM VelanakData ORDER BY Sorszám");
    ASSERT_TRUE(rowsRead) << rowsRead.errorText().toStdString();
    const auto& rows = *rowsRead;
    ASSERT_EQ(rows.size(), 2u);
    const QString today = QDate::currentDate().toString(Qt::ISODate);
    // In the order the grid shows after the load: by payment method, "k" before "á".
    const auto& cash = rows[0];
    EXPECT_EQ(cash[0].toLongLong(), 1);
    EXPECT_EQ(cash[1].toString(), "5");
    EXPECT_EQ(cash[2].toString(), "Alfa Bt.");
    EXPECT_EQ(cash[3].toString(), "Szeged Fő utca 1.");
    EXPECT_EQ(cash[4].toString(), "Munkadíj");
    EXPECT_DOUBLE_EQ(cash[5].toDouble(), 100);
    EXPECT_DOUBLE_EQ(cash[6].toDouble(), 27);
    EXPECT_DOUBLE_EQ(cash[7].toDouble(), 127);
    EXPECT_EQ(cash[8].toString(), "2024-03-01");
    EXPECT_EQ(cash[9].toString(), "2024-03-09");
    EXPECT_EQ(cash[10].toString(), "2024-02-28");
    EXPECT_EQ(cash[11].toString(), today);
    EXPECT_EQ(cash[12].toString(), "Ft");
    EXPECT_DOUBLE_EQ(cash[13].toDouble(), 0);
    EXPECT_EQ(cash[14].toString(), "ID1");
    EXPECT_EQ(cash[15].toString(), "készpénzes");
    EXPECT_EQ(cash[16].toString(), "N");
    EXPECT_EQ(cash[17].toInt(), 0);
    EXPECT_EQ(cash[18].toInt(), 0);
    const auto& settled = rows[1];
    EXPECT_EQ(settled[0].toLongLong(), 2);
    EXPECT_EQ(settled[3].toString(), " ");  // both parts of the address empty
    EXPECT_EQ(settled[8].toString(), today);
    EXPECT_EQ(settled[9].toString(), today);
    EXPECT_EQ(settled[10].toString(), today);
    EXPECT_TRUE(settled[14].toString().startsWith("ID"));  // the same or the next one
    EXPECT_EQ(settled[16].toString(), "I");                // "átutalás E" arrives settled
    // The staged rows stay.
    EXPECT_EQ(stagedCount(), 2);
}

TEST_F(TransferTest, LedgerAt57GoesOnWith58And59And60AndTwiceMeansTwice) {
    ledgerRowAt(12);
    ledgerRowAt(57);
    stage({{1, "készpénzes", 10}, {2, "készpénzes", 20}, {3, "készpénzes", 30}});
    openKeeping();
    click("Command3");
    EXPECT_EQ(window->transferred(), 3);
    auto rows = ledger();
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(std::get<0>(rows[2]), 58);
    EXPECT_EQ(std::get<0>(rows[3]), 59);
    EXPECT_EQ(std::get<0>(rows[4]), 60);
    EXPECT_EQ(std::get<1>(rows[4]), "3");

    // Again: the same invoices once more, with new numbers; all marked as handed over.
    window.reset();
    openKeeping();
    EXPECT_EQ(window->presentCount(), 3);
    EXPECT_TRUE(window->isPresent(0) && window->isPresent(2));
    click("Command3");
    rows = ledger();
    ASSERT_EQ(rows.size(), 8u);
    EXPECT_EQ(std::get<0>(rows[7]), 63);
}

TEST_F(TransferTest, SameRangeLoadedTwiceIsMarkedAfterTheHandOver) {
    lines("SZAMLA", {{1, "készpénzes", 10, 12.7}, {2, "készpénzes", 20, 25.4}});
    ledgerRowAt(1);  // its Szamlaszam is "old": no match
    open();
    dialogs.answerInput("2");
    click("Command1");
    dialogs.answer(Answer::No);
    dialogs.answerInput("2");
    click("Command1");
    EXPECT_EQ(stagedCount(), 2);
    EXPECT_EQ(window->presentCount(), 0);
    click("Command3");
    EXPECT_EQ(ledgerCount(), 3);
    window.reset();
    openKeeping();
    EXPECT_EQ(window->presentCount(), 2);
    EXPECT_TRUE(window->isPresent(0));
    EXPECT_TRUE(window->isPresent(1));
    EXPECT_EQ(window->findChild<QLabel*>("Label3")->text(), "2");
}

TEST_F(TransferTest, NegativeChoicesOfBothPaths) {
    stage({{1, "készpénzes", 100}, {2, "készpénzes", 0}, {3, "átutalás", -10}});
    // All rows, negatives left out: gross 0 goes, -10 does not.
    openKeeping();
    dialogs.answer(Answer::Yes);
    dialogs.answer(Answer::No);
    click("Command3");
    auto rows = ledger();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(std::get<1>(rows[0]), "1");
    EXPECT_EQ(std::get<1>(rows[1]), "2");

    // From a starting number, negatives left out: neither 0 nor -10.
    EXPECT_TRUE(veladata->exec("DELETE FROM VelanakData"));
    window.reset();
    openKeeping();
    dialogs.answer(Answer::No);
    dialogs.answer(Answer::No);
    dialogs.answerInput("1");
    click("Command3");
    EXPECT_EQ(dialogs.texts(), (QStringList{kAll, kNegatives, kFrom}));
    EXPECT_EQ(dialogs.shown[2].title, "Adatimport - Nem kéri: írjon nullát!");
    rows = ledger();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(std::get<1>(rows[0]), "1");

    // From a starting number with negatives: from 2 on, both.
    EXPECT_TRUE(veladata->exec("DELETE FROM VelanakData"));
    window.reset();
    openKeeping();
    dialogs.answer(Answer::No);
    dialogs.answer(Answer::Yes);
    dialogs.answerInput("2");
    click("Command3");
    rows = ledger();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_DOUBLE_EQ(std::get<2>(rows[1]), -10);
}

TEST_F(TransferTest, AllRowsWithTheCashFilterOn) {
    stage({{1, "készpénzes", 100}, {2, "átutalás", 50}, {3, "készpénzes", -5}});
    // Negatives too: only the cash rows the grid shows.
    openKeeping();
    filter("Kp");
    click("Command3");
    auto rows = ledger();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(std::get<1>(rows[0]), "1");
    EXPECT_EQ(std::get<1>(rows[1]), "3");

    // Negatives left out: the filter is dropped, every row of gross 0 or more goes.
    EXPECT_TRUE(veladata->exec("DELETE FROM VelanakData"));
    window.reset();
    openKeeping();
    filter("Kp");
    dialogs.answer(Answer::Yes);
    dialogs.answer(Answer::No);
    click("Command3");
    rows = ledger();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(std::get<1>(rows[0]), "1");
    EXPECT_EQ(std::get<1>(rows[1]), "2");
}

TEST_F(TransferTest, StartingNumberWithFiltersAndItsRefusals) {
    stage({{1, "átutalás", 10}, {2, "készpénzes", 20}, {3, "átutalás", 30}, {4, "nyugta", 40}});
    openKeeping();
    filter("Atutal");
    dialogs.answer(Answer::No);
    dialogs.answer(Answer::No);
    dialogs.answerInput("2");
    click("Command3");
    auto rows = ledger();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(std::get<1>(rows[0]), "3");

    window.reset();
    openKeeping();
    filter("Nyugta");
    dialogs.answer(Answer::No);
    dialogs.answer(Answer::Yes);
    dialogs.answerInput("1");
    click("Command3");
    EXPECT_EQ(std::get<1>(ledger().back()), "4");

    // Nothing meets the condition: told so, nothing written, the window closes.
    window.reset();
    openKeeping();
    dialogs.answer(Answer::No);
    dialogs.answer(Answer::Yes);
    dialogs.answerInput("99");
    click("Command3");
    EXPECT_EQ(dialogs.texts().last(), kNoRow);
    EXPECT_EQ(dialogs.shown.last().title, "FIGYELEM! Egy számot kell megadni!");
    EXPECT_EQ(ledgerCount(), 2);
    EXPECT_FALSE(window->isVisible());

    // An empty or zero answer: a beep, nothing written, the window closes.
    for (const QString& answer : {QString(), QStringLiteral("0")}) {
        window.reset();
        openKeeping();
        dialogs.answer(Answer::No);
        dialogs.answer(Answer::Yes);
        dialogs.answerInput(answer);
        click("Command3");
        EXPECT_EQ(dialogs.shown.size(), 3u);
        EXPECT_EQ(ledgerCount(), 2);
        EXPECT_FALSE(window->isVisible());
    }
}

TEST_F(TransferTest, AllRowsWithoutNegativesFindingNoneKeepsTheWindowOpen) {
    stage({{1, "átutalás", -10}});
    openKeeping();
    dialogs.answer(Answer::Yes);
    dialogs.answer(Answer::No);
    click("Command3");
    EXPECT_EQ(ledgerCount(), 0);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(TransferTest, RowThatCannotBeWrittenStopsAndSaysWhich) {
    stage({{1, "készpénzes", 10}, {2, "készpénzes", 20}, {3, "készpénzes", 30}});
    // A customer name longer than the ledger takes.
    EXPECT_TRUE(staging->exec("UPDATE OsszesSzamla SET Vevö = ? WHERE Számlaszám = 2",
                              {QString(300, 'x')}));
    openKeeping();
    click("Command3");
    const auto rows = ledger();
    ASSERT_EQ(rows.size(), 1u);  // the row before stays
    EXPECT_EQ(std::get<1>(rows[0]), "1");
    const QString msg = dialogs.texts().last();
    EXPECT_TRUE(msg.startsWith("A(z) 2 számlaszámú okmány nem került át")) << msg.toStdString();
    EXPECT_TRUE(msg.contains("Előtte 1 adatsor átkerült")) << msg.toStdString();
}

// The identifier is made before the first row and again after each row: a
// clock that moved on gives the next row a new one, a clock that stood still
// the same one.
TEST_F(TransferTest, RowIdentifiersFollowTheClock) {
    stage({{1, "készpénzes", 10}, {2, "készpénzes", 20}, {3, "készpénzes", 30}});
    vela::RecordSource data;
    data.setDatabase(staging);
    data.setQuery(vela::Query(vela::schema::osszesSzamla(), {}, {{"Számlaszám"}}));
    ASSERT_TRUE(data.refresh());
    int made = 0;
    auto maker = [&](const QDateTime& t) {
        ++made;
        return t.toString("HHmmsszzz");
    };
    QDateTime now(QDate(2024, 5, 6), QTime(10, 0, 0));
    auto stepping = [&] {
        now = now.addMSecs(1);
        return now;
    };
    auto r =
        vela::StagedTransfer::run(data, 1, *veladata, vela::schema::velanakData(), maker, stepping);
    ASSERT_TRUE(r) << r.errorText().toStdString();
    EXPECT_EQ(r->written, 2);  // from the second row on
    EXPECT_EQ(r->firstSorszam, 1);
    const auto idsRead =
        veladata->rows("SELECT recordID, Adatfelvetel FROM VelanakData ORDER BY Sorszám");
    ASSERT_TRUE(idsRead) << idsRead.errorText().toStdString();
    const auto& ids = *idsRead;
    ASSERT_EQ(ids.size(), 2u);
    EXPECT_EQ(ids[0][0].toString(), "100000001");
    EXPECT_EQ(ids[1][0].toString(), "100000002");
    EXPECT_EQ(ids[0][1].toString(), "2024-05-06");

    made = 0;
    auto still = [&] { return now; };
    const auto again =
        vela::StagedTransfer::run(data, 0, *veladata, vela::schema::velanakData(), maker, still);
    ASSERT_TRUE(again) << again.errorText().toStdString();
    EXPECT_EQ(again->written, 3);
    EXPECT_EQ(again->firstSorszam, 3);
    EXPECT_EQ(made, 1);
    EXPECT_EQ(veladata
                  ->scalar("SELECT count(DISTINCT recordID) FROM VelanakData WHERE "
                           "Sorszám >= 3")
                  ->toInt(),
              1);
}

// A row the ledger refuses stops the hand-over: the call itself succeeds and
// says which invoice stopped it and why; the rows before it stay written.
TEST_F(TransferTest, RefusedRowStopsTheHandOverAndTheRowsBeforeItStay) {
    stage({{1, "készpénzes", 10}, {3, "készpénzes", 30}});
    ASSERT_TRUE(
        staging->exec("INSERT INTO OsszesSzamla (Számlaszám, Vevö, FizMód, Bruttó) "
                      "VALUES (2, ?, 'készpénzes', 20)",
                      {QString(300, QLatin1Char('x'))}));
    vela::RecordSource data;
    data.setDatabase(staging);
    data.setQuery(vela::Query(vela::schema::osszesSzamla(), {}, {{"Számlaszám"}}));
    ASSERT_TRUE(data.refresh());
    const auto r = vela::StagedTransfer::run(
        data, 0, *veladata, vela::schema::velanakData(),
        [](const QDateTime&) { return QStringLiteral("ID"); },
        [] { return QDateTime(QDate(2024, 5, 6), QTime(10, 0)); });
    ASSERT_TRUE(r) << r.errorText().toStdString();
    EXPECT_TRUE(r->stopped);
    EXPECT_EQ(r->written, 1);
    EXPECT_EQ(r->failedInvoice, 2);
    EXPECT_TRUE(r->failedWhy.contains("CegNev")) << r->failedWhy.toStdString();
    EXPECT_EQ(ledger(), (std::vector<std::tuple<qint64, QString, double>>{{1, "1", 10}}));
}

// A failure that undoes the whole hand-over (a full disk takes the open
// transaction with it; a ledger that cannot be read stops it before the first
// row) names the invoice it stopped at and counts no row as handed over.
TEST_F(TransferTest, UndoneHandOverNamesTheInvoiceThatStoppedIt) {
    struct Case {
        const char* name;
        const char* breakLedger;
        qint64 failedInvoice;
        const char* why;
    };
    const Case cases[] = {
        {"transaction undone at the second row",
         "CREATE TRIGGER megtelt BEFORE INSERT ON VelanakData WHEN NEW.Szamlaszam = '2' "
         "BEGIN SELECT RAISE(ROLLBACK, 'database or disk is full'); END",
         2, "database or disk is full"},
        {"ledger unreadable", "ALTER TABLE VelanakData RENAME TO Athelyezve", 1, "VelanakData"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        stage({{1, "készpénzes", 10}, {2, "készpénzes", 20}, {3, "készpénzes", 30}});
        ASSERT_TRUE(veladata->exec(c.breakLedger));
        vela::RecordSource data;
        data.setDatabase(staging);
        data.setQuery(vela::Query(vela::schema::osszesSzamla(), {}, {{"Számlaszám"}}));
        ASSERT_TRUE(data.refresh());
        const auto r = vela::StagedTransfer::run(
            data, 0, *veladata, vela::schema::velanakData(),
            [](const QDateTime&) { return QStringLiteral("ID"); },
            [] { return QDateTime(QDate(2024, 5, 6), QTime(10, 0)); });
        ASSERT_TRUE(r) << r.errorText().toStdString();
        EXPECT_TRUE(r->stopped);
        EXPECT_EQ(r->failedInvoice, c.failedInvoice);
        EXPECT_EQ(r->written, 0);
        EXPECT_TRUE(r->failedWhy.contains(c.why)) << r->failedWhy.toStdString();
        // Undo the break for the next case.
        ASSERT_TRUE(veladata->exec("DROP TRIGGER IF EXISTS megtelt"));
        if (!veladata->hasTable("VelanakData")) {
            ASSERT_TRUE(veladata->exec("ALTER TABLE Athelyezve RENAME TO VelanakData"));
        }
        EXPECT_EQ(veladata->scalar("SELECT count(*) FROM VelanakData")->toInt(), 0);
        ASSERT_TRUE(staging->exec("DELETE FROM OsszesSzamla"));
    }
}
