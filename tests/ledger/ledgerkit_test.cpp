// The ledger window's faults found when it was tried as a new user would,
// and the behaviour that copies by position rely on.

#include <QAccessible>
#include <QSignalSpy>
#include <QToolButton>

#include "ledger/ledgermessages.h"
#include "ledgerfixture.h"
#include "storage/columns.h"
#include "ui/navigationbar.h"
#include "ui/recordgrid.h"

using vela::LedgerKind;
using Answer = vela::DialogService::Answer;
using Icon = vela::DialogService::Icon;

TEST(LedgerColumns, TwentyFiveColumnsInTheirFixedPositions) {
    const QStringList expected = {"Sorszám",
                                  "Szamlaszam",
                                  "CegNev",
                                  "CegCim",
                                  "Megnevezes",
                                  "Netto",
                                  "AFA",
                                  "Brutto",
                                  "Datumtol",
                                  "Datumig",
                                  "Adatfelvetel",
                                  "Devizanem",
                                  "Kivezetés",
                                  "RészÖsszeg",
                                  "BankiKivonatSzáma",
                                  "BankiKiegyenlitésKelte",
                                  "Megjegyzés",
                                  "recordID",
                                  "FIGYELEM",
                                  "FigyelemMegjegyzés",
                                  "Részkiegyenlités",
                                  "FizetésMódja",
                                  "RészösszegÖsszesen",
                                  "Teljesités",
                                  "RészÖsszegBruttó",
                                  "Kulcs"};  // the declared key, after the counted positions
    for (const vela::TableDef* t :
         {&vela::schema::velaData(), &vela::schema::velanakData(), &vela::schema::velaIdeigl()})
        EXPECT_EQ(t->columnNames(), expected) << t->name.toStdString();
}

TEST_F(LedgerFixture, EmptiedPartialFlagInTheGridIsFalseAndTheRowStillCounts) {
    insert("VelanakData", {{1, "A1", "Alma", 1000, "N", 0, 0, true}, {2, "A2", "Béka", 500, "N"}});
    open(LedgerKind::Receivables);
    EXPECT_EQ(label27(), "500.-");
    auto* grid = child<vela::RecordGrid>("DBGrid1");
    QAbstractItemModel* model = grid->model();
    const int partialFlag = 20;
    ASSERT_TRUE(model->setData(model->index(0, partialFlag), QString(), Qt::EditRole));
    EXPECT_TRUE(window->rows().moveTo(1));  // leaving the row stores it
    EXPECT_EQ(scalar("SELECT Részkiegyenlités FROM VelanakData WHERE Sorszám = 1")->toInt(), 0);
    EXPECT_FALSE(scalar("SELECT Részkiegyenlités FROM VelanakData WHERE Sorszám = 1")->isNull());
    window->ShowOpenTotal();
    EXPECT_EQ(label27(), "1500.-");
}

TEST_F(LedgerFixture, SettledFlagIsCheckedWhenTheNavigationBarLeavesTheRow) {
    insert("VelaData", {{1, "A1", "Alma", 100, "N"}, {2, "A2", "Béka", 200, "N"}});
    open();
    EXPECT_TRUE(window->rows().moveFirst());
    QLineEdit* flag = text("Text9");
    flag->setFocus();
    flag->selectAll();
    keys(flag, "x");
    // The navigation bar takes no focus: the field is never left.
    child<vela::NavigationBar>("VelaData1Navigation")->nextButton()->click();
    EXPECT_EQ(scalar("SELECT Kivezetés FROM VelaData WHERE Sorszám = 1")->toString(), "N");
    ASSERT_FALSE(dialogs.shown.isEmpty());
    EXPECT_EQ(dialogs.shown.last().text, vela::ledgertext::kBadSettledFlag);

    // A lower-case "i" is taken as "I" on the same road.
    EXPECT_TRUE(window->rows().moveFirst());
    flag->setFocus();
    flag->selectAll();
    keys(flag, "i");
    child<vela::NavigationBar>("VelaData1Navigation")->nextButton()->click();
    EXPECT_EQ(scalar("SELECT Kivezetés FROM VelaData WHERE Sorszám = 1")->toString(), "I");
}

TEST_F(LedgerFixture, NameAndNumberFindersTakeWildcardsLiterallyElse) {
    insert("VelaData", {{1, "A-100", "Kovács Kft", 10, "N"},
                        {2, "B-129", "Kis \"Bolt\" Bt", 20, "N"},
                        {3, "B-1x9", "Ősz Kft", 30, "N"},
                        {4, "C-7", "Nagy*Társ", 40, "N"}});
    open();
    auto find = [this](const char* finder, const QString& value) {
        text(finder)->clear();
        text(finder)->setText(value);
        return field("Sorszám").toInt();
    };
    EXPECT_EQ(find("Text14", "B*9"), 2);    // "*" any run
    EXPECT_EQ(find("Text14", "b-1?9"), 2);  // "?" one character, case folded
    EXPECT_EQ(find("Text14", "?-7"), 4);
    EXPECT_EQ(find("Text15", "*kft"), 1);
    EXPECT_EQ(find("Text15", "*ŐSZ*"), 3);    // Hungarian letters folded
    EXPECT_EQ(find("Text15", "kis \"b"), 2);  // a double quote is a plain character
    EXPECT_EQ(find("Text15", "Nagy*T"), 4);
    EXPECT_EQ(find("Text14", "Z*"), 4);  // no match: the last hit stays
}

TEST_F(LedgerFixture, OutstandingLabelTellsScreenReadersItsFigureAfterEverySave) {
    insert("VelaData", {{1, "A1", "Alma", 1270, "N"}});
    open();
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(child<QLabel>("Label27"));
    ASSERT_TRUE(a);
    EXPECT_EQ(a->text(QAccessible::Name), "Tartozás: 1270.-");
    // A partial amount of the payables row lowers the figure by itself.
    type("Text1", "270");
    click("Command3");
    EXPECT_EQ(label27(), "1000.-");
    EXPECT_EQ(a->text(QAccessible::Name), "Tartozás: 1000.-");
    QAccessibleInterface* seq = QAccessible::queryAccessibleInterface(child<QLabel>("Label20"));
    EXPECT_EQ(seq->text(QAccessible::Name), "Sorszám: 1");
}

TEST_F(LedgerFixture, PayablesExitButtonStoresTheRowAndEndsTheProgram) {
    insert("VelaData", {{1, "A1", "Alma", 100, "N"}});
    open();
    QSignalSpy exits(window.get(), &vela::LedgerWindow::programExit);
    text("Text2")->setFocus();
    keys(text("Text2"), "X");
    click("Kilepes");
    EXPECT_EQ(exits.count(), 1);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(scalar("SELECT CegNev FROM VelaData")->toString(), "XAlma");
}

TEST_F(LedgerFixture, ReceivablesDeleteAllAsksThenOffersANewRow) {
    insert("VelanakData", {{1, "A1", "Alma", 100, "N"}, {2, "A2", "Béka", 200, "N"}});
    open(LedgerKind::Receivables);
    EXPECT_TRUE(window->rows().moveLast());
    dialogs.answer(Answer::Yes);  // delete every row
    dialogs.answer(Answer::No);   // no new row
    window->menuItem("MindTorol")->trigger();
    ASSERT_EQ(dialogs.shown.size(), 2);
    EXPECT_EQ(dialogs.shown[0].text, "Biztosan véglegesen törli az összes adatot (Delete All)?");
    EXPECT_EQ(dialogs.shown[0].title, "FIGYELEM! TÖRLÉS!");
    EXPECT_EQ(dialogs.shown[0].icon, Icon::Warning);
    EXPECT_EQ(dialogs.shown[1].text, "Minden adat törölve (Deleted All)! Kér új adatot (New)?");
    EXPECT_EQ(dialogs.shown[1].icon, Icon::Warning);
    EXPECT_EQ(count("VelanakData"), 0);
}

TEST_F(LedgerFixture, AFailedNewRowIsToldAndTheProgramEnds) {
    EXPECT_TRUE(
        exec("CREATE TRIGGER NoNewRows BEFORE INSERT ON VelaData "
             "BEGIN SELECT RAISE(ABORT, 'a lemez megtelt'); END"));
    open();
    QSignalSpy exits(window.get(), &vela::LedgerWindow::programExit);
    click("Command2");
    ASSERT_FALSE(dialogs.shown.isEmpty());
    EXPECT_TRUE(dialogs.shown[0].text.startsWith("A program kilép, mert hibát észlelt!"));
    EXPECT_TRUE(dialogs.shown[0].text.contains("a lemez megtelt"));
    EXPECT_EQ(dialogs.shown[0].title, "FIGYELEM! Új adattal kezdjen, és utána bevitellel!");
    EXPECT_EQ(dialogs.shown[0].icon, Icon::Critical);
    EXPECT_EQ(exits.count(), 1);
    EXPECT_EQ(count("VelaData"), 0);
}

TEST_F(LedgerFixture, GridFocusColourShowsOnEveryRow) {
    std::vector<Row> rows;
    for (int i = 1; i <= 6; ++i) rows.push_back({i, "A", "x", double(i), "N"});
    insert("VelaData", rows);
    open();
    auto* grid = child<vela::RecordGrid>("DBGrid1");
    grid->setFocus();
    QApplication::processEvents();
    grid->clearSelection();
    const QImage img = grid->viewport()->grab().toImage();
    const int x = grid->columnViewportPosition(3) + 4;
    for (int row = 1; row < 4; ++row) {
        const QColor c = img.pixelColor(x, grid->rowViewportPosition(row) + 3);
        EXPECT_EQ(c, QColor(128, 255, 255)) << "row " << row;
    }
}

TEST_F(LedgerFixture, FocusColourLeavesAFieldWithTheFocus) {
    insert("VelaData", {{1, "A1", "Alma", 100, "N"}});
    open();
    QApplication::processEvents();
    EXPECT_TRUE(text("Text10")->hasFocus());
    EXPECT_EQ(text("Text10")->palette().color(QPalette::Base), QColor(128, 255, 255));
    text("Text15")->setFocus();
    QApplication::processEvents();
    EXPECT_NE(text("Text10")->palette().color(QPalette::Base), QColor(128, 255, 255));
    text("Text2")->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(text("Text2")->palette().color(QPalette::Base), QColor(128, 255, 255));
    EXPECT_NE(text("Text10")->palette().color(QPalette::Base), QColor(128, 255, 255));
}
