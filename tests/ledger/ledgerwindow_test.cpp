#include <QAction>
#include <QCheckBox>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QTableView>

#include "demoapp.h"
#include "ledgerfixture.h"
#include "storage/values.h"

using vela::LedgerKind;

TEST_F(LedgerFixture, EmptyLedgerStartsEmptyWithZeroTotalAndNoFocus) {
    open();
    EXPECT_EQ(window->windowTitle(), "VelaData V.2.5 (2013) - Kvadra VD15 - Tartozunk (Szállító)");
    EXPECT_EQ(child<QTableView>("DBGrid1")->model()->rowCount(), 0);
    EXPECT_EQ(child<QTableView>("DBGrid1")->model()->columnCount(), 24);
    EXPECT_EQ(label27(), "0.-");
    EXPECT_FALSE(text("Text10")->hasFocus());
    EXPECT_EQ(child<QLabel>("Label22")->text(), "SZÁLLÍTÓ");
    EXPECT_EQ(child<QPushButton>("Command5")->text(), "Határidőn túl");
}

TEST_F(LedgerFixture, OutstandingFigureOfBothKindsMatchesTheRows) {
    // Open, settled, lower-case, empty and null flags, partial payments.
    const std::vector<Row> rows = {
        {1, "A1", "Alma", 1270, "N"},      {2, "A2", "Béka", 2540.5, "I"},
        {3, "A3", "Cékla", 100, "n"},      {4, "A4", "Dió", 200, ""},
        {5, "A5", "Eper", 300, QString()}, {5, "A5", "Eper", 300, "N", 50, 63.5, true},
        {6, "A6", "Füge", -127, "N"},
    };
    insert("VelaData", rows);
    insert("VelanakData", rows);
    open();
    // Payables: 1270 + 100 + 200 + 300 + (300 - 50) - 127 open, less the
    // partial gross 63.5 of the "N" rows.
    EXPECT_EQ(label27(), "1929,5.-");
    // The payables window stands on its last row with the focus in Text10.
    EXPECT_EQ(window->rows().position(), 6);
    EXPECT_TRUE(text("Text10")->hasFocus());

    window.reset();
    open(LedgerKind::Receivables);
    EXPECT_EQ(window->windowTitle(), "Tartoznak (Vevő) - VelaData");
    // Receivables: the "N" rows that are no partial payment, 1270 - 127,
    // less the same partial gross.
    EXPECT_EQ(label27(), "1079,5.-");
    EXPECT_EQ(window->rows().position(), 0);
    EXPECT_TRUE(window->findChild<QLineEdit*>("Text20"));
}

TEST_F(LedgerFixture, AllSettledLedgerOwesNothing) {
    insert("VelaData", {{1, "A1", "Alma", 1270, "I"}, {2, "A2", "Béka", 99, "I"}});
    open();
    EXPECT_EQ(label27(), "0.-");
}

TEST_F(LedgerFixture, ReturningFromReceivablesRepeatsTheActivationSteps) {
    insert("VelaData", {{1, "A1", "Alma", 10, "N"}, {2, "A2", "Béka", 20, "N"}});
    open();
    EXPECT_TRUE(window->rows().moveFirst());
    bool sawPayablesHidden = false;
    opener.handlers << [&](QDialog& receivables) {
        EXPECT_EQ(receivables.objectName(), "VelanakData");
        sawPayablesHidden = !window->isVisible();
        // Something left in the scratch table meanwhile.
        EXPECT_TRUE(exec("INSERT INTO VelaIdeigl (Sorszám) VALUES (9)"));
        receivables.findChild<QPushButton*>("Kilepes")->click();
    };
    window->menuItem("Tartoznak")->trigger();
    EXPECT_EQ(opener.opened, 1);
    EXPECT_TRUE(sawPayablesHidden);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(count("VelaIdeigl"), 0);
    EXPECT_EQ(window->rows().position(), 1);
}

TEST_F(LedgerFixture, CloseBoxEndsTheProgramAsKilepesDoes) {
    open();
    int exits = 0;
    QObject::connect(window.get(), &vela::LedgerWindow::programExit, [&] { ++exits; });
    EXPECT_TRUE(window->closeOnUnload());
    QTest::keyClick(window.get(), Qt::Key_Escape);  // Esc leaves no ledger
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(exits, 0);
    window->close();
    EXPECT_EQ(exits, 1);
    EXPECT_FALSE(window->closeOnUnload());
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->rows().isOpen());
}

TEST_F(LedgerFixture, InvoicingFolderComesFromInterfacePath) {
    ctx.invoicingFolder = "előző";
    open();  // no parameters row: the folder stays
    EXPECT_EQ(ctx.invoicingFolder, "előző");
    window.reset();

    EXPECT_TRUE(parameters->exec("INSERT INTO EmblemaPath (InterfacePath) VALUES (?)",
                                 {"   /home/x/Fakturo "}));
    open();
    EXPECT_EQ(ctx.invoicingFolder, "/home/x/Fakturo ");
    window.reset();

    EXPECT_TRUE(parameters->exec("UPDATE EmblemaPath SET InterfacePath = NULL"));
    open();
    EXPECT_EQ(ctx.invoicingFolder, "");
}

TEST_F(LedgerFixture, MenuBarHasEveryItemInOrder) {
    open();
    QStringList top;
    for (QAction* a : window->findChild<QMenuBar*>()->actions()) top << a->text();
    EXPECT_EQ(top,
              (QStringList{"&Nekünk tartoznak (Vevő)", "Adat&export", "Adat&import", "&Kivezetés",
                           "&Vevő-Szállító törzs", "S&zűrés", "&Rekord duplázás-Részkiegyenlítés",
                           "Ki&mutatások", "&Segédlet", "Sz&erviz"}));
    QMenu* filters = window->findChild<QMenu*>("Szures");
    ASSERT_TRUE(filters);
    QStringList items;
    for (QAction* a : filters->actions()) items << (a->isSeparator() ? "—" : a->text());
    EXPECT_EQ(items, (QStringList{"Kivezetett tételek",
                                  "Nem kivezetett tételek",
                                  "FIGYELEM!",
                                  "—",
                                  "Megnevezés",
                                  "Sorszám",
                                  "Számlaszám",
                                  "Ügyfél neve",
                                  "Devizanem",
                                  "—",
                                  "Készpénzesek",
                                  "Átutalások",
                                  "Utánvétek",
                                  "Nyugták",
                                  "Szállítólevelek",
                                  "Proforma készpénzesek",
                                  "Proforma átutalások",
                                  "Előleg okmányok",
                                  "—",
                                  "Minden adat (szűrés ki)"}));
    EXPECT_FALSE(window->menuItem("szamlabol")->isEnabled());
    EXPECT_EQ(window->menuItem("MindTorol")->text(), "Minden adat törlése adatsortól");

    window.reset();
    open(LedgerKind::Receivables);
    EXPECT_FALSE(window->menuItem("Tartoznak"));
    EXPECT_EQ(window->findChild<QMenu*>("Szures")->actions().first()->text(), "Csak pozitív");
    EXPECT_EQ(window->menuItem("UgyfelSzur")->text(), "Ügyfél (vevő) neve");
    EXPECT_EQ(window->menuItem("MindTorol")->text(), "Minden adat törlése");
}

TEST_F(LedgerFixture, FieldsHaveTheirCaptionsAsAccessibleNames) {
    open();
    EXPECT_EQ(text("Text10")->accessibleName(), "Számlaszám:");
    EXPECT_EQ(text("Text10")->toolTip(), "Okmány sorszáma");
    EXPECT_EQ(text("Text19")->accessibleName(), "Fizetés módja:");
    EXPECT_EQ(child<QLabel>("Label28")->buddy(), text("Text19"));
    EXPECT_EQ(text("Text13")->toolTip(), "Sorszám gyorskereső");
    EXPECT_EQ(child<QWidget>("DTPicker2")->toolTip(), "Fizetési határidő");
}

TEST(Startup, MissingOrDamagedDatabasesAreToldNotCrashed) {
    vela::ScriptedDialogService dialogs;
    vela::AppContext ctx;
    ctx.dialogs = &dialogs;
    {
        TempDataFolder folder;
        QFile::remove(folder.file("veladata.mdb"));
        vela::Startup s(ctx);
        EXPECT_FALSE(s.open());
        ASSERT_EQ(dialogs.shown.size(), 1);
        EXPECT_TRUE(dialogs.shown[0].text.contains("veladata.mdb"));
        EXPECT_FALSE(QFile::exists(folder.file("veladata.mdb")));
    }
    dialogs.clear();
    {
        TempDataFolder folder;
        QFile f(folder.file("parameter.kdb"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("garbage, not a database");
        f.close();
        vela::Startup s(ctx);
        ASSERT_TRUE(s.open());  // the ledgers work without parameters
        ASSERT_EQ(dialogs.shown.size(), 1);
        EXPECT_TRUE(dialogs.shown[0].text.contains("parameter.kdb"));
        s.window()->show();
        EXPECT_EQ(s.window()->openTotalText(), "0.-");
    }
}

TEST(DemoData, OutstandingFiguresEqualWhatTheRowsAdd) {
    DemoApp app;
    ASSERT_NO_FATAL_FAILURE(app.start());

    // The demo maker's rows are the same on every run: these are their
    // outstanding figures, added up once by hand in SQL.
    EXPECT_EQ(app.payables->openTotalText(), "14488421,9739.-");
    EXPECT_FALSE(app.ctx.invoicingFolder.isEmpty());
    app.opener.handlers << [&](QDialog& w) {
        EXPECT_EQ(static_cast<vela::LedgerWindow&>(w).openTotalText(), "21999478,66.-");
    };
    app.payables->Tartoznak_Click();
    EXPECT_EQ(app.opener.opened, 1);
}

TEST_F(LedgerFixture, ManualOpensModallyWhileTheLedgerWaits) {
    open();
    bool ledgerDisabled = false;
    QString opened;
    opener.handlers << [&](QDialog& manual) {
        opened = manual.objectName();
        ledgerDisabled = !window->isEnabled();
    };
    window->menuItem("Kezikonyv")->trigger();
    EXPECT_EQ(opened, "FelhasznaloiKezikonyvVDForm");
    EXPECT_TRUE(ledgerDisabled);
    EXPECT_TRUE(window->isEnabled());
}

TEST_F(LedgerFixture, GridKeepsTheWindowWidthLessItsMargin) {
    open();
    auto* grid = child<QWidget>("DBGrid1");
    for (int width : {1100, 1366, 1600}) {
        window->resize(width, 740);
        QApplication::processEvents();
        EXPECT_EQ(grid->width(), window->width() - 21) << width;
    }
}

TEST_F(LedgerFixture, PartnerChosenInTheRegisterIsWrittenIntoTheRow) {
    insert("VelaData", {{1, "A1", "Fő Kft", 100, "N"}, {2, "A2", "Más Bt", 200, "N"}});
    vela::Database* betarol = ctx.db.betarol.get();
    ASSERT_TRUE(betarol);
    EXPECT_TRUE(betarol->exec(
        sql("INSERT INTO beraktar (BerNev, recordID, BerSzekhely, BerCim) VALUES "
            "('Alfa Kft', 1, 'Győr', 'Fő tér 2.'), ('Fő Kft', 2, 'Budapest', 'Fő utca 1.')")));
    open();
    EXPECT_TRUE(window->rows().moveTo(0));
    QString passed;
    opener.handlers << [&](QDialog& d) {
        ASSERT_EQ(d.objectName(), "BeraktarozokFormX");
        passed = d.findChild<QLineEdit*>("Text15")->text();
        d.findChild<QPushButton*>("Command2")->click();  // "Vissza" on the found partner
    };
    window->menuItem("VevoTorzs")->trigger();
    EXPECT_EQ(passed, "Fő Kft");
    EXPECT_EQ(ctx.selectedPartner.seat, "Budapest");
    EXPECT_EQ(scalar("SELECT CegCim FROM VelaData WHERE Sorszám = 1")->toString(),
              "Budapest Fő utca 1.");
    EXPECT_EQ(scalar("SELECT CegNev FROM VelaData WHERE Sorszám = 1")->toString(), "Fő Kft");
    EXPECT_TRUE(text("Text2")->hasFocus());

    // Left without a choice: the row stays as it was.
    EXPECT_TRUE(window->rows().moveTo(1));
    opener.handlers << [&](QDialog& d) {
        dialogs.answer(vela::DialogService::Answer::No);
        d.close();
    };
    window->menuItem("VevoTorzs")->trigger();
    EXPECT_EQ(scalar("SELECT CegCim FROM VelaData WHERE Sorszám = 2")->toString(), "");
    EXPECT_EQ(ctx.selectedPartner.name, "Más Bt");
}

TEST_F(LedgerFixture, PartnerChosenForAnEmptyLedgerIsRefused) {
    EXPECT_TRUE(ctx.db.betarol->exec(
        sql("INSERT INTO beraktar (BerNev, recordID) VALUES ('Alfa Kft', 1)")));
    for (LedgerKind kind : {LedgerKind::Payables, LedgerKind::Receivables}) {
        window.reset();
        dialogs.clear();
        open(kind);
        opener.handlers << [](QDialog& d) { d.findChild<QPushButton*>("Command2")->click(); };
        window->menuItem("VevoTorzs")->trigger();
        ASSERT_FALSE(dialogs.shown.isEmpty());
        EXPECT_EQ(dialogs.last()->text, "Nincs adat! Kérjen új adatsort!");
        EXPECT_EQ(dialogs.last()->title,
                  kind == LedgerKind::Payables ? "FIGYELEM! HIBA!" : "FIGYELEM!");
        EXPECT_EQ(dialogs.last()->icon, vela::DialogService::Icon::Warning);
        EXPECT_EQ(dialogs.last()->beepsBefore, 1);
        EXPECT_EQ(count(kind == LedgerKind::Payables ? "VelaData" : "VelanakData"), 0);
        EXPECT_TRUE(text("Text2")->hasFocus());
    }
}

TEST_F(LedgerFixture, AFigureThatCannotBeReadIsToldNotShownAsNothingOwed) {
    insert("VelaData", {{1, "A1", "Alma", 1270, "N"}});
    open();
    EXPECT_EQ(label27(), "1270.-");
    dialogs.clear();
    // Another workstation takes the table away under the window: the total
    // can no longer be read.
    auto other = vela::Database::open("veladata.mdb");
    ASSERT_TRUE(other) << other.errorText().toStdString();
    ASSERT_TRUE((*other)->exec("ALTER TABLE VelaData RENAME TO VelaDataMashol"));
    window->ShowOpenTotal();
    ASSERT_FALSE(dialogs.texts().isEmpty());
    EXPECT_TRUE(dialogs.texts().first().startsWith("Adatbázis-hiba: "))
        << dialogs.texts().first().toStdString();
    EXPECT_TRUE(dialogs.texts().first().contains("VelaData"));
}
