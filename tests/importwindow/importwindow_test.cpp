// The import window: activation, load, filters, finder, deleting, sorting.
#include <QHeaderView>
#include <QTableView>

#include "importfixture.h"
#include "storage/columns.h"

namespace {
const QString kCashTitle = "Adatimport készpénzes számlákból - Nem kéri: üres beviteli mező";
const QString kTransferTitle = "Adatimport átutalás számlákból - Nem kéri: üres beviteli mező";
const QString kCodTitle = "Adatimport utánvét számlákból - Nem kéri: üres beviteli mező";
const QString kNotEmpty = "FIGYELEM! Az ideiglenes tároló táblázata nem üres! Törli most?";
const QString kFolderTitle =
    "FIGYELEM! Állítsa be a számlázó útvonalát a Szerviz-Paraméterek menüben!)";
}  // namespace

TEST_F(ImportFixture, ThreeItemLinesBecomeOneStagedRowWithSums) {
    lines("SZAMLA", {{7, "készpénzes", 100, 127, "Alma", 27},
                     {7, "készpénzes", 200, 254, "Körte", 27},
                     {7, "készpénzes", 300, 381, "Szilva", 5}});
    open();
    EXPECT_EQ(window->windowTitle(), "Számlázóból adatimport - VelaData");
    EXPECT_FALSE(enabled("Command2"));
    EXPECT_FALSE(enabled("Command3"));
    EXPECT_EQ(window->checkedFilter(), "SzurKi");
    dialogs.answerInput("1");
    click("Command1");
    // Only the cash table has lines: no other kind is asked for.
    EXPECT_EQ(inputTitles(), QStringList{kCashTitle});
    EXPECT_EQ(dialogs.shown[0].text,
              "Kérem a sorszámot, amitől kezdve áthozza a KÉSZPÉNZES adatokat:");
    ASSERT_EQ(stagedCount(), 1);
    const auto staged = staging->rows(
        "SELECT Számlaszám, Nettó, Bruttó, Megnevezés, ÁFA, Vevö, "
        "Kelt, Teljesités FROM OsszesSzamla");
    ASSERT_TRUE(staged) << staged.errorText().toStdString();
    ASSERT_EQ(staged->size(), 1u);
    const auto& r = staged->front();
    EXPECT_EQ(r[0].toLongLong(), 7);
    EXPECT_DOUBLE_EQ(r[1].toDouble(), 600);
    EXPECT_DOUBLE_EQ(r[2].toDouble(), 762);
    EXPECT_EQ(r[3].toString(), "Szilva");
    EXPECT_DOUBLE_EQ(r[4].toDouble(), 5);
    EXPECT_EQ(r[5].toString(), "Vevő Kft.");
    EXPECT_EQ(r[6].toString(), "2024-03-01");
    EXPECT_EQ(r[7].toString(), "2024-02-28");
    EXPECT_TRUE(enabled("Command2") && enabled("Command3") && enabled("Command4"));
    EXPECT_EQ(child<QLabel>("Label2")->text(), "7");
    EXPECT_EQ(child<QTableView>("DBGrid1")->model()->columnCount(), 23);
}

TEST_F(ImportFixture, StartingNumbersAndSkippedKinds) {
    lines("SZAMLA",
          {{149, "készpénzes", 1, 1}, {150, "készpénzes", 2, 2}, {151, "készpénzes", 3, 3}});
    lines("ATUTAL", {{150, "átutalás", 5, 5}});
    lines("UTANVET", {{9, "utánvét", 6, 6}});
    lines("SZALLITO", {{3, "szállítól.", 7, 7}});
    open();
    dialogs.answerInput("150");  // cash from 150
    dialogs.answerInput("");     // transfer: not wanted
    dialogs.answerInput("0");    // cash on delivery: not wanted
    dialogs.answerInput("abc");  // delivery notes: no number
    click("Command1");
    EXPECT_EQ(inputTitles(),
              (QStringList{kCashTitle, kTransferTitle, kCodTitle,
                           "Adatimport szállítólevelekből - Nem kéri: üres beviteli mező"}));
    // Each declined kind beeps before the next question (or at the end).
    EXPECT_EQ(dialogs.shown[2].beepsBefore, 1);
    EXPECT_EQ(dialogs.shown[3].beepsBefore, 1);
    EXPECT_EQ(dialogs.beeps, 3);
    EXPECT_EQ(shown(), (std::vector<qint64>{150, 151}));
    // Positioned on the last row of "payment method, number".
    EXPECT_EQ(window->staging().position(), 1);
}

TEST_F(ImportFixture, NumberAboveEveryInvoiceIsRefused) {
    lines("SZAMLA", {{5, "készpénzes", 1, 1}});
    open();
    dialogs.answerInput("6");
    click("Command1");
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[1].text, "A megadott sorszám nem létezik, vagy rosszul adta meg!");
    EXPECT_EQ(dialogs.shown[1].title, "FIGYELEM! Egy számot kell megadni!");
    EXPECT_EQ(dialogs.shown[1].icon, Icon::Warning);
    EXPECT_EQ(dialogs.shown[1].beepsBefore, 1);
    EXPECT_EQ(stagedCount(), 0);
    EXPECT_FALSE(enabled("Command3"));
}

TEST_F(ImportFixture, SameRangeTwiceStagesTwiceAndAskedBeforeTheSecondLoad) {
    lines("SZAMLA", {{1, "készpénzes", 10, 12.7}, {2, "készpénzes", 20, 25.4}});
    lines("ATUTAL", {{1, "átutalás", 30, 38.1}});
    open();
    dialogs.answerInput("1");
    dialogs.answerInput("1");
    click("Command1");
    EXPECT_EQ(stagedCount(), 3);
    dialogs.clear();
    dialogs.answer(Answer::No);  // keep what is staged
    dialogs.answerInput("1");
    dialogs.answerInput("1");
    click("Command1");
    EXPECT_EQ(dialogs.shown[0].text, kNotEmpty);
    EXPECT_EQ(dialogs.shown[0].icon, Icon::Question);
    EXPECT_EQ(stagedCount(), 6);
    // A cash and a transfer invoice share number 1; ordered by payment method first.
    EXPECT_EQ(shown(), (std::vector<qint64>{1, 1, 2, 2, 1, 1}));
    EXPECT_EQ(window->presentCount(), 0);
}

TEST_F(ImportFixture, ActivationWithoutFolderOrDatabaseCloses) {
    ctx.invoicingFolder.clear();
    open();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, "Nincs beállítva a számlázó (FakturoNext+) útvonala!");
    EXPECT_EQ(dialogs.shown[0].title, kFolderTitle);
    EXPECT_EQ(dialogs.shown[0].icon, Icon::Warning);
    EXPECT_EQ(dialogs.shown[0].beepsBefore, 1);
    EXPECT_FALSE(window->isVisible());

    // A folder without the invoicing database.
    QTemporaryDir empty;
    ctx.invoicingFolder = empty.path();
    dialogs.clear();
    open();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text,
              "Rosszul van beállítva a számlázó (FakturoNext+) útvonala! Javaslat: C:\\FAKTURO");
    EXPECT_EQ(dialogs.shown[0].title, kFolderTitle);
    EXPECT_EQ(dialogs.shown[0].icon, Icon::Critical);
    EXPECT_FALSE(window->isVisible());

    // A database that lacks one of the six tables.
    QTemporaryDir partial;
    {
        const vela::Status created =
            vela::StandInDatabase::create(partial.filePath("lfakturo.mdb"));
        ASSERT_TRUE(created) << created.errorText().toStdString();
        auto opened = vela::Database::openPath(partial.filePath("lfakturo.mdb"));
        ASSERT_TRUE(opened) << opened.errorText().toStdString();
        auto db = std::move(*opened);
        ASSERT_TRUE(db->exec("DROP TABLE NYUGTA"));
    }
    ctx.invoicingFolder = partial.path();
    dialogs.clear();
    open();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].icon, Icon::Critical);
}

TEST_F(ImportFixture, NonEmptyStagingAskedOnOpeningNoKeepsYesDeletes) {
    stage({{1, "készpénzes", 10}, {2, "átutalás", 20}});
    dialogs.answer(Answer::No);
    open();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, kNotEmpty);
    EXPECT_EQ(dialogs.shown[0].title, "FIGYELEM!");
    EXPECT_EQ(stagedCount(), 2);
    EXPECT_TRUE(enabled("Command3"));
    EXPECT_EQ(window->staging().position(), 1);

    window.reset();
    dialogs.clear();
    open();  // Yes, and Yes to the delete-all question
    EXPECT_EQ(dialogs.texts(),
              (QStringList{kNotEmpty, "Biztosan véglegesen TÖRLI az ÖSSZES adatot (Delete All)?"}));
    EXPECT_EQ(dialogs.shown[1].title, "FIGYELEM! A TÖRLÉST NEM LEHET VISSZAVONNI!");
    EXPECT_EQ(stagedCount(), 0);
    EXPECT_FALSE(enabled("Command3"));
}

TEST_F(ImportFixture, FiltersShowOnePaymentMethodAndDeleteAllKeepsTheOthers) {
    stage({{1, "készpénzes", 10},
           {2, "átutalás", 20},
           {3, "készpénzes", 30},
           {4, "nyugta", 40},
           {5, "proforma-k", 50}});
    dialogs.answer(Answer::No);
    open();
    filter("Kp");
    EXPECT_EQ(window->checkedFilter(), "Kp");
    EXPECT_EQ(shown(), (std::vector<qint64>{1, 3}));
    EXPECT_EQ(child<QLineEdit>("Text1")->text(), "3");
    filter("Nyugta");
    EXPECT_EQ(shown(), (std::vector<qint64>{4}));
    dialogs.clear();
    filter("Szallito");
    EXPECT_EQ(dialogs.texts(), QStringList{"Nincs szállítólevél adat!"});
    EXPECT_EQ(dialogs.shown[0].beepsBefore, 1);
    EXPECT_FALSE(enabled("Command2") || enabled("Command3") || enabled("Command4"));
    filter("Proforma");
    EXPECT_EQ(shown(), (std::vector<qint64>{5}));

    filter("Kp");
    dialogs.clear();
    click("Command4");  // Yes
    EXPECT_EQ(stagedCount(), 3);
    EXPECT_EQ(stagedCount(" WHERE FizMód = 'készpénzes'"), 0);
    EXPECT_EQ(window->checkedFilter(), "SzurKi");
    EXPECT_FALSE(enabled("Command4"));
}

TEST_F(ImportFixture, FinderTakesDigitsAndLandsOnTheFirstMatch) {
    stage({{1, "készpénzes", 1}, {11, "készpénzes", 2}, {11, "átutalás", 3}, {12, "nyugta", 4}});
    dialogs.answer(Answer::No);
    open();
    filter("SzurKi");
    QLineEdit* t = child<QLineEdit>("Text1");
    t->setFocus();
    t->clear();
    dialogs.clear();
    QTest::keyClicks(t, "1x1");
    EXPECT_EQ(t->text(), "11");
    EXPECT_EQ(dialogs.beeps, 1);  // "x" dropped
    EXPECT_EQ(window->staging().field("Számlaszám").toLongLong(), 11);
    EXPECT_EQ(window->staging().field("FizMód").toString(), "készpénzes");
    // No such invoice: beep, last row.
    QTest::keyClick(t, '9');
    EXPECT_EQ(dialogs.beeps, 2);
    EXPECT_EQ(window->staging().position(), 3);
}

TEST_F(ImportFixture, DeleteTheCurrentRowUntilNoneIsLeft) {
    stage({{1, "készpénzes", 10}, {2, "készpénzes", 20}});
    dialogs.answer(Answer::No);
    open();
    dialogs.clear();
    dialogs.answer(Answer::No);
    click("Command2");
    EXPECT_EQ(dialogs.shown[0].text, "Biztosan véglegesen törli az adatsort (Delete)?");
    EXPECT_EQ(dialogs.shown[0].title, "FIGYELEM! TÖRLÉS!");
    EXPECT_EQ(stagedCount(), 2);
    click("Command2");  // the last row: the one before becomes current
    EXPECT_EQ(stagedCount(), 1);
    EXPECT_EQ(window->staging().field("Számlaszám").toLongLong(), 1);
    dialogs.clear();
    click("Command2");
    EXPECT_EQ(dialogs.texts().last(), "Minden adat törölve (Deleted All)!");
    EXPECT_EQ(stagedCount(), 0);
    EXPECT_FALSE(enabled("Command2"));
}

TEST_F(ImportFixture, HeadingClicksSortAscendingThenDescending) {
    stage({{2, "készpénzes", 10}, {3, "átutalás", 30}, {1, "nyugta", 20}});
    dialogs.answer(Answer::No);
    open();
    const int gross = vela::schema::osszesSzamla().indexOf("Bruttó");
    window->DBGrid1_HeadClick(gross);
    EXPECT_EQ(shown(), (std::vector<qint64>{2, 1, 3}));
    window->DBGrid1_HeadClick(gross);
    EXPECT_EQ(shown(), (std::vector<qint64>{3, 1, 2}));
    window->DBGrid1_HeadClick(0);
    EXPECT_EQ(shown(), (std::vector<qint64>{1, 2, 3}));
    // The mark column is no sort key.
    window->DBGrid1_HeadClick(22);
    EXPECT_EQ(shown(), (std::vector<qint64>{1, 2, 3}));
}

TEST_F(ImportFixture, CloseBoxRunsTheExitWhileTheFlagIsSet) {
    open();
    EXPECT_TRUE(window->closeFlag());
    window->close();
    EXPECT_FALSE(window->closeFlag());
    EXPECT_FALSE(window->staging().isOpen());
    EXPECT_FALSE(window->menuItem("Nyomtat")->isEnabled());
    EXPECT_FALSE(window->menuItem("Segedlet")->isEnabled());
}

TEST_F(ImportFixture, AClickIntoTheFinderAfterAFilterSelectsItsNumber) {
    stage({{1, "készpénzes", 10}, {2, "átutalás", 20}, {3, "készpénzes", 30}});
    dialogs.answer(Answer::No);
    open();
    auto* finder = child<QLineEdit>("Text1");
    QTest::mouseClick(finder, Qt::LeftButton);
    QTest::keyClicks(finder, "2");
    filter("Kp");
    ASSERT_EQ(finder->text(), "3");
    finder->deselect();
    QTest::mouseClick(finder, Qt::LeftButton, {}, QPoint(4, finder->height() / 2));
    QTest::keyClicks(finder, "1");
    EXPECT_EQ(finder->text(), "1");
}
