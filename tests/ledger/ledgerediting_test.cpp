#include <QAction>
#include <QClipboard>
#include <QDateTime>
#include <QTableView>

#include "ledgerfixture.h"
#include "ui/datepicker.h"
#include "ui/fieldrules.h"

using vela::DialogService;
using vela::LedgerKind;
using vela::LedgerWindow;

TEST(NewRowId, DateDigitsThenSingleSecondsWithDecimalComma) {
    EXPECT_EQ(LedgerWindow::NewRowId(QDateTime(QDate(2024, 3, 7), QTime(12, 34, 56, 520))),
              "20243745296,52");
    EXPECT_EQ(LedgerWindow::NewRowId(QDateTime(QDate(2024, 12, 31), QTime(23, 59, 59, 990))),
              "2024123186399,99");
    EXPECT_EQ(LedgerWindow::NewRowId(QDateTime(QDate(2025, 1, 5), QTime(0, 0, 10, 0))), "20251510");
    // Seven significant digits at most, as a single-precision number holds them.
    EXPECT_EQ(LedgerWindow::NewRowId(QDateTime(QDate(2024, 3, 7), QTime(12, 34, 56, 523))),
              "20243745296,52");
}

TEST_F(LedgerFixture, NewRowsNumberFromOneWithDefaults) {
    open();
    click("Command2");
    ASSERT_EQ(count("VelaData"), 1);
    EXPECT_EQ(field("Sorszám").toLongLong(), 1);
    EXPECT_EQ(field("Netto").toDouble(), 0);
    EXPECT_EQ(field("AFA").toDouble(), 0);
    EXPECT_EQ(field("Brutto").toDouble(), 0);
    EXPECT_EQ(field("BankiKivonatSzáma").toString(), "0");
    EXPECT_EQ(field("Kivezetés").toString(), "N");
    EXPECT_EQ(field("recordID").toString(), window->lastRowId());
    const QString today = QDate::currentDate().toString(Qt::ISODate);
    EXPECT_EQ(scalar("SELECT count(*) FROM VelaData WHERE Datumtol = ?1 AND Datumig = ?1 "
                     "AND Adatfelvetel = ?1 AND Teljesités = ?1 AND "
                     "BankiKiegyenlitésKelte = ?1 AND Kivezetés = 'N'",
                     {today})
                  ->toInt(),
              1);
    EXPECT_TRUE(window->menuItem("SzurKi")->isChecked());
    EXPECT_TRUE(text("Text10")->hasFocus());
    click("Command2");
    EXPECT_EQ(field("Sorszám").toLongLong(), 2);
    EXPECT_EQ(window->rows().position(), 1);
    EXPECT_EQ(label27(), "0.-");
}

TEST_F(LedgerFixture, NewRowAfterANullSequenceNumberIsOne) {
    EXPECT_TRUE(exec("INSERT INTO VelaData (Szamlaszam) VALUES ('x')"));
    open();
    click("Command2");
    EXPECT_EQ(field("Sorszám").toLongLong(), 1);
}

TEST_F(LedgerFixture, SettledFlagIsRaisedAndCheckedOnLeaving) {
    insert("VelaData", {{1, "A1", "Alma", 10, "N"}, {2, "A2", "Béka", 20, "N"}});
    open();
    type("Text9", "xy");
    EXPECT_EQ(text("Text9")->text(), "XY");
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text, "A kivezetés nem megengedett karaktert tartalmaz!");
    EXPECT_EQ(dialogs.shown[0].title,
              "FIGYELEM! Javítsa! Kivezetve = I, Nincs kivezetve = N vagy üres");
    EXPECT_EQ(dialogs.shown[0].icon, DialogService::Icon::Warning);
    EXPECT_GE(dialogs.shown[0].beepsBefore, 1);
    EXPECT_TRUE(text("Text9")->hasFocus());
    // The refused flag never reaches the row, even when the row is left.
    EXPECT_TRUE(window->rows().moveFirst());
    EXPECT_EQ(scalar("SELECT count(*) FROM VelaData WHERE Kivezetés = 'XY'")->toInt(), 0);

    dialogs.clear();
    EXPECT_TRUE(window->rows().moveLast());
    type("Text9", "i");
    EXPECT_EQ(text("Text9")->text(), "I");
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_TRUE(window->rows().moveFirst());
    EXPECT_EQ(scalar("SELECT Kivezetés FROM VelaData WHERE Sorszám = 2")->toString(), "I");
}

TEST_F(LedgerFixture, FindersNarrowStepByStepAndFoldHungarianCase) {
    insert("VelaData", {{1, "100", "Alma Bt", 10, "N"},
                        {2, "125", "Ősz Kft", 20, "N"},
                        {3, "129x", "ősi Kft", 30, "N"},
                        {4, "12", "O'Hara \"Ír\"", 40.5, "N"}});
    open();
    QLineEdit* t14 = text("Text14");
    t14->setFocus();
    keys(t14, "1");
    EXPECT_EQ(field("Szamlaszam").toString(), "100");
    keys(t14, "2");
    EXPECT_EQ(field("Szamlaszam").toString(), "125");
    keys(t14, "9");
    EXPECT_EQ(field("Szamlaszam").toString(), "129x");
    keys(t14, "9");  // 1299 matches nothing: the last hit stays
    EXPECT_EQ(field("Szamlaszam").toString(), "129x");

    QLineEdit* t15 = text("Text15");
    keys(t15, "ő");
    EXPECT_EQ(field("CegNev").toString(), "Ősz Kft");
    t15->clear();
    keys(t15, "o'hara \"");
    EXPECT_EQ(field("Sorszám").toLongLong(), 4);

    QLineEdit* t13 = text("Text13");
    keys(t13, "a3");  // letters are refused with a beep
    EXPECT_EQ(t13->text(), "3");
    EXPECT_EQ(field("Sorszám").toLongLong(), 3);

    QLineEdit* t17 = text("Text17");
    keys(t17, "-");  // no amount yet: the last hit stays
    EXPECT_EQ(field("Sorszám").toLongLong(), 3);
    t17->clear();
    keys(t17, "40,5");
    EXPECT_EQ(field("Sorszám").toLongLong(), 4);
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(LedgerFixture, HeaderClicksSortUpThenDownAndReopenOnTheTenth) {
    // Two rows share each amount, so the invoice number decides between them.
    insert("VelaData", {{1, "B", "x", 30, "N"},
                        {2, "D", "y", 10, "N"},
                        {3, "C", "z", 20, "N"},
                        {4, "A", "v", 10, "N"},
                        {5, "E", "w", 30, "N"}});
    open();
    auto order = [this] {
        QStringList numbers;
        for (int i = 0; i < window->rows().recordCount(); ++i)
            numbers << window->rows().valueAt(i, 1).toString();
        return numbers.join("");
    };
    const int brutto = 7;
    window->DBGrid1_HeadClick(brutto);
    EXPECT_EQ(window->rows().sort(), "Brutto, Szamlaszam");
    EXPECT_EQ(field("Brutto").toDouble(), 10);
    EXPECT_EQ(order(), "ADCBE");
    window->DBGrid1_HeadClick(brutto);
    EXPECT_EQ(window->rows().sort(), "Brutto, Szamlaszam DESC");
    EXPECT_EQ(field("Brutto").toDouble(), 30);
    EXPECT_EQ(order(), "EBCDA");
    window->DBGrid1_HeadClick(brutto);
    EXPECT_EQ(window->rows().sort(), "Brutto, Szamlaszam");
    for (int i = 3; i < 9; ++i) window->DBGrid1_HeadClick(1);
    EXPECT_EQ(window->sortClicks(), 9);
    window->DBGrid1_HeadClick(brutto);  // the tenth: a fresh result, then ascending
    EXPECT_EQ(window->sortClicks(), 0);
    EXPECT_EQ(window->rows().sort(), "Brutto, Szamlaszam");
}

TEST_F(LedgerFixture, DeleteAsksEachKindsQuestionAndOffersANewRow) {
    insert("VelaData", {{1, "A", "x", 30, "N"}, {2, "B", "y", 10, "N"}});
    insert("VelanakData", {{1, "A", "x", 30, "N"}});
    open();
    dialogs.answer(DialogService::Answer::No);
    click("Command4");
    EXPECT_EQ(count("VelaData"), 2);
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text, "Biztosan véglegesen törli az adatsort (Del Row)?");
    EXPECT_EQ(dialogs.shown[0].title, "FIGYELEM! VISSZAVONHATATLAN TÖRLÉS!");
    EXPECT_EQ(dialogs.shown[0].icon, DialogService::Icon::Question);
    click("Command4");  // Yes: the last row goes, its neighbour becomes current
    EXPECT_EQ(count("VelaData"), 1);
    EXPECT_EQ(field("Sorszám").toLongLong(), 1);

    window.reset();
    dialogs.clear();
    open(LedgerKind::Receivables);
    dialogs.answer(DialogService::Answer::Yes);
    dialogs.answer(DialogService::Answer::No);  // no new row after the last is gone
    click("Command4");
    ASSERT_EQ(dialogs.shown.size(), 2);
    EXPECT_EQ(dialogs.shown[0].text, "Biztosan véglegesen törli az adatsort (Delete)?");
    EXPECT_EQ(dialogs.shown[0].title, "FIGYELEM! TÖRLÉS!");
    EXPECT_EQ(dialogs.shown[0].icon, DialogService::Icon::Warning);
    EXPECT_EQ(dialogs.shown[1].text, "Minden adat törölve (Deleted All)! Kér új adatot (New)?");
    EXPECT_EQ(dialogs.shown[1].title, "FIGYELEM!");
    EXPECT_EQ(count("VelanakData"), 0);
    EXPECT_EQ(child<QTableView>("DBGrid1")->model()->rowCount(), 0);
    click("Command4");  // nothing to delete: the button switches itself off
    EXPECT_FALSE(child<QPushButton>("Command4")->isEnabled());
}

TEST_F(LedgerFixture, DeleteFromHereKeepsTheRowsBefore) {
    insert("VelaData", {{1, "A", "a", 1, "N"},
                        {2, "B", "b", 2, "N"},
                        {3, "C", "c", 3, "N"},
                        {4, "D", "d", 4, "N"},
                        {5, "E", "e", 5, "N"}});
    open();
    EXPECT_TRUE(window->rows().moveTo(2));
    window->menuItem("MindTorol")->trigger();
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text,
              "Biztosan véglegesen törli a sortól az összes adatot (Delete All)?");
    EXPECT_EQ(dialogs.shown[0].title, "FIGYELEM! KIJELÖLT ADATSORTÓL TÖRLÉS!");
    EXPECT_EQ(scalar("SELECT count(*) FROM VelaData WHERE Sorszám IN (1, 2)")->toInt(), 2);
    EXPECT_EQ(count("VelaData"), 2);
    EXPECT_EQ(field("Sorszám").toLongLong(), 2);
}

TEST_F(LedgerFixture, SettleMarksTheRowWhenItIsLeft) {
    insert("VelaData", {{1, "A", "a", 1, "N"}, {2, "B", "b", 2, "N"}});
    open();
    window->menuItem("VelaKivezet")->trigger();
    EXPECT_EQ(text("Text9")->text(), "I");
    EXPECT_TRUE(window->rows().moveFirst());
    EXPECT_EQ(scalar("SELECT Kivezetés FROM VelaData WHERE Sorszám = 2")->toString(), "I");
}

TEST_F(LedgerFixture, BadValuesAreRefusedAndTheRowKeepsItsValue) {
    insert("VelaData", {{1, "A", "a", 100, "N"}});
    open();
    type("Text5", "1,2,3");
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_TRUE(dialogs.shown[0].text.contains("Netto"));
    EXPECT_TRUE(text("Text5")->text().isEmpty());  // the stored (null) value is shown again
    dialogs.clear();
    type("Text7", "-");
    EXPECT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(text("Text7")->text(), "100");

    // A date that does not exist, typed into a grid cell.
    dialogs.clear();
    QAbstractItemModel* grid = child<QTableView>("DBGrid1")->model();
    EXPECT_FALSE(grid->setData(grid->index(0, 8), "2024.02.30"));
    EXPECT_EQ(dialogs.shown.size(), 1);
    EXPECT_TRUE(grid->setData(grid->index(0, 8), "2024.02.29"));
    // Text longer than the column holds: the field takes no more, the grid
    // cell is refused.
    dialogs.clear();
    EXPECT_FALSE(grid->setData(grid->index(0, 2), QString(300, QChar('x'))));
    EXPECT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(text("Text2")->text(), "a");
    EXPECT_EQ(vela::TextGuard::of(text("Text2"))->limit(), 255);

    click("Command3");
    EXPECT_EQ(scalar("SELECT Brutto FROM VelaData")->toDouble(), 100);
    EXPECT_EQ(scalar("SELECT Datumtol FROM VelaData")->toString(), "2024-02-29");
    EXPECT_EQ(scalar("SELECT CegNev FROM VelaData")->toString(), "a");
}

TEST_F(LedgerFixture, ReceivablesSaveRecomputesGrossValues) {
    insert("VelanakData", {{1, "A", "a", 0, "N"}});
    open(LedgerKind::Receivables);
    type("Text5", "100");
    type("Text6", "27");
    type("Text1", "10");
    type("Text19", "átutalás E");
    type("Text8", "eur");
    click("Command3");
    EXPECT_EQ(scalar("SELECT Brutto FROM VelanakData")->toDouble(), 127);
    EXPECT_EQ(scalar("SELECT RészÖsszegBruttó FROM VelanakData")->toDouble(), 12.7);
    EXPECT_EQ(scalar("SELECT Kivezetés FROM VelanakData")->toString(), "I");
    EXPECT_EQ(scalar("SELECT Devizanem FROM VelanakData")->toString(), "EUR");
    EXPECT_EQ(text("Text7")->text(), "127");
    EXPECT_EQ(label27(), "0.-");
}

TEST_F(LedgerFixture, PayablesSaveKeepsTypedGrossAndShowsTheTotal) {
    insert("VelaData", {{1, "A", "a", 0, ""}});
    open();
    type("Text5", "100");
    type("Text7", "130");
    click("Command3");
    EXPECT_EQ(scalar("SELECT Brutto FROM VelaData")->toDouble(), 130);
    EXPECT_EQ(scalar("SELECT Kivezetés FROM VelaData")->toString(), "N");
    EXPECT_EQ(label27(), "130.-");
}

TEST_F(LedgerFixture, AttentionRemarkShowsWithTheFlag) {
    insert("VelaData", {{1, "A", "a", 0, "N"}});
    EXPECT_TRUE(exec("INSERT INTO VelaData (Sorszám, recordID, FIGYELEM) VALUES (2, 'z', 1)"));
    open();
    EXPECT_TRUE(text("Text16")->isVisible());
    EXPECT_TRUE(child<QWidget>("Image1")->isVisible());
    EXPECT_TRUE(window->rows().moveFirst());
    EXPECT_FALSE(text("Text16")->isVisible());
    EXPECT_FALSE(child<QWidget>("Label21")->isVisible());
}

TEST_F(LedgerFixture, NullDateBecomesTodayWhenItsPickerIsEntered) {
    insert("VelaData", {{1, "A", "a", 0, "N"}});
    open();
    auto* picker = child<vela::DatePicker>("DTPicker2");
    EXPECT_TRUE(picker->isNull());
    picker->setFocus();
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_EQ(scalar("SELECT Datumig FROM VelaData")->toString(),
              QDate::currentDate().toString(Qt::ISODate));
}

TEST_F(LedgerFixture, GridCellsFollowTheirColumnsKeyRules) {
    insert("VelaData", {{1, "A", "a", 100, "N"}});
    open();
    auto* grid = child<QTableView>("DBGrid1");
    auto editCell = [&](int column, const QString& chars) -> QString {
        const QModelIndex idx = grid->model()->index(0, column);
        grid->setCurrentIndex(idx);
        grid->edit(idx);
        QApplication::processEvents();
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        if (!editor)
            return "<no editor>";
        editor->clear();
        keys(editor, chars);
        const QString typed = editor->text();
        QTest::keyClick(editor, Qt::Key_Escape);
        return typed;
    };
    const int beeps = dialogs.beeps;
    EXPECT_EQ(editCell(6, "27"), "27");
    EXPECT_EQ(editCell(6, "275"), "27");   // AFA: a third digit is refused
    EXPECT_EQ(editCell(6, "27,"), "27,");  // the comma still passes
    EXPECT_EQ(editCell(5, "12a,5"), "12,5");
    EXPECT_EQ(editCell(8, "2024,03.07"), "202403.07");
    EXPECT_EQ(editCell(11, "EURO"), "EUR");
    EXPECT_EQ(dialogs.beeps - beeps, 4);
}

TEST_F(LedgerFixture, ADateTypedKeyByKeyIsTakenWhenFinishedAndTheFocusStays) {
    insert("VelaData", {{1, "SZ-2026/1035", "a", 0, "N"}});
    open();
    auto* picker = child<vela::DatePicker>("DTPicker1");
    struct Case {
        const char* typed;
        const char* stored;  // Datumtol afterwards
        const char* message;
    } const cases[] = {
        {"2025.03.15", "2025-03-15", nullptr},
        {"2026.02.30", "2025-03-15",
         "A(z) „2026.02.30.” nem létező dátum. A(z) „Datumtol” mezőbe dátumot így írjon: "
         "2024.03.07."},
        {"2024.02.29", "2024-02-29", nullptr},
    };
    for (const Case& c : cases) {
        dialogs.clear();
        picker->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        QTest::keyClicks(picker, c.typed);
        QTest::keyClick(picker, Qt::Key_Return);
        QApplication::processEvents();
        QApplication::processEvents();
        EXPECT_EQ(scalar("SELECT Datumtol FROM VelaData")->toString(), c.stored) << c.typed;
        EXPECT_EQ(scalar("SELECT Szamlaszam FROM VelaData")->toString(), "SZ-2026/1035");
        EXPECT_EQ(QApplication::focusWidget(), picker) << c.typed;
        EXPECT_EQ(dialogs.texts(), c.message ? QStringList{c.message} : QStringList{}) << c.typed;
    }
}

TEST_F(LedgerFixture, PastesAreHeldToTheirColumnsAndEveryCutIsTold) {
    insert("VelaData", {{1, "A", "a", 100, "N"}});
    const QString digits(401, QLatin1Char('9'));
    struct Case {
        const char* control;
        QString pasted;
        const char* column;
        QVariant stored;
        QStringList messageStarts;
    } const cases[] = {
        // A remark is a long text: 5 000 characters fit whole.
        {"Text12",
         QString(5000, QLatin1Char('m')),
         "Megjegyzés",
         QString(5000, QLatin1Char('m')),
         {}},
        {"Text3",
         QString(5000, QLatin1Char('c')),
         "CegCim",
         QString(255, QLatin1Char('c')),
         {"A beírt szöveg 5000 karakter, de ide legfeljebb 255"}},
        {"Text5",
         digits,
         "Netto",
         QVariant(),
         {"A beírt szöveg 401", "A(z) „Netto” mezőbe csak szám"}},
        {"Text6", digits, "AFA", QVariant(), {"A beírt szöveg 401", "A(z) „AFA” mezőbe csak szám"}},
        {"Text2", QString::fromUtf16(u"Kft\u0000\u202E. Bt\u0001", 10), "CegNev", "Kft. Bt", {}},
        {"Text8",
         QString(255, QLatin1Char('E')),
         "Devizanem",
         "EEE",
         {"A beírt szöveg 255 karakter, de ide legfeljebb 3"}},
    };
    open();
    for (const Case& c : cases) {
        dialogs.clear();
        QLineEdit* e = text(c.control);
        e->setFocus();
        e->selectAll();
        QGuiApplication::clipboard()->setText(c.pasted);
        QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
        child<QWidget>("DBGrid1")->setFocus();
        QApplication::processEvents();
        EXPECT_EQ(field(c.column), c.stored) << c.control;
        QStringList starts;
        for (const QString& t : dialogs.texts())
            starts << t.left(c.messageStarts.value(starts.size()).size());
        EXPECT_EQ(starts, c.messageStarts) << c.control;
    }
}

TEST_F(LedgerFixture, ALongCurrencyDoesNotWidenTheWindowAndItsFieldTakesThree) {
    insert("VelaData", {{1, "A", "a", 100, "N"}});
    const QString currency(255, QLatin1Char('X'));
    ASSERT_TRUE(exec("UPDATE VelaData SET Devizanem = ?", {currency}));
    open();
    EXPECT_TRUE(window->currencyTotalsText().startsWith(currency));
    EXPECT_LT(window->minimumSizeHint().width(), 1300);
    EXPECT_LE(window->width(), 1300);

    window->rows().setField("Devizanem", QVariant());
    text("Text8")->clear();
    text("Text8")->setFocus();
    const int beeps = dialogs.beeps;
    keys(text("Text8"), "EURO");
    EXPECT_EQ(text("Text8")->text(), "EUR");
    EXPECT_EQ(dialogs.beeps - beeps, 1);
}
