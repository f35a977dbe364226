// The whole road: the demo folder's invoicing database loaded into the
// staging table, pruned, handed over, and the receivables window showing
// the new rows at its end with the open figure that includes them.
#include <QProcess>

#include "demoapp.h"
#include "importfixture.h"
#include "ledger/ledgerwindow.h"
#include "storage/values.h"

TEST(ImportEndToEnd, DemoInvoicesLoadedPrunedHandedOverAndShown) {
    DemoApp app;
    ASSERT_NO_FATAL_FAILURE(app.start());
    vela::AppContext& ctx = app.ctx;
    vela::ScriptedDialogService& dialogs = app.dialogs;
    vela::ScriptedWindowOpener& opener = app.opener;
    vela::LedgerWindow* payables = app.payables;
    ASSERT_FALSE(ctx.invoicingFolder.isEmpty());
    EXPECT_FALSE(payables->menuItem("szamlabol")->isEnabled());

    auto opened = vela::Database::open("veladata.mdb");
    ASSERT_TRUE(opened) << opened.errorText().toStdString();
    auto db = std::move(*opened);
    const int before = db->scalar("SELECT count(*) FROM VelanakData")->toInt();
    const qint64 highest = db->scalar("SELECT max(Sorszám) FROM VelanakData")->toLongLong();
    auto openFigure = [&] {
        double g = 0, p = 0;
        const auto rows = db->rows(
            "SELECT Kivezetés, Brutto, RészÖsszegBruttó, Részkiegyenlités FROM VelanakData");
        EXPECT_TRUE(rows) << rows.errorText().toStdString();
        if (!rows)
            return rows.errorText();
        for (const auto& r : *rows) {
            if (r[0].toString() == "N" && !r[3].toBool())
                g += r[1].toDouble();
            if (r[0].toString() == "N")
                p += r[2].toDouble();
        }
        return vela::values::formatNumber(g - p) + ".-";
    };

    int staged = 0, receipts = 0, handedOver = 0;
    QString figureBefore;
    opener.handlers << [&](QDialog& w) {
        auto& receivables = static_cast<vela::LedgerWindow&>(w);
        ASSERT_TRUE(receivables.menuItem("szamlabol")->isEnabled());
        figureBefore = receivables.openTotalText();
        opener.handlers << [&](QDialog& d) {
            auto& import = static_cast<vela::SzamlaImportFormX&>(d);
            auto click = [&](const char* name) { import.findChild<QPushButton*>(name)->click(); };
            for (int i = 0; i < 6; ++i) dialogs.answerInput("1");
            click("Command1");
            staged = import.staging().recordCount();
            // Prune: the current row, then every receipt.
            click("Command2");
            import.menuItem("Nyugta")->trigger();
            receipts = import.staging().recordCount();
            click("Command4");
            import.menuItem("SzurKi")->trigger();
            handedOver = import.staging().recordCount();
            click("Command3");  // all rows, negatives too
            EXPECT_EQ(import.transferred(), handedOver);
            EXPECT_FALSE(import.isVisible());
        };
        receivables.menuItem("szamlabol")->trigger();
        EXPECT_EQ(opener.opened, 2);
        // The new rows at the end, the last one current, the figure with them.
        EXPECT_EQ(receivables.rows().recordCount(), before + handedOver);
        EXPECT_EQ(receivables.rows().position(), before + handedOver - 1);
        EXPECT_EQ(receivables.rows().field("Sorszám").toLongLong(), highest + handedOver);
        EXPECT_EQ(receivables.openTotalText(), openFigure());
        EXPECT_NE(receivables.openTotalText(), figureBefore);
    };
    payables->Tartoznak_Click();
    EXPECT_GT(staged, 100);
    EXPECT_GT(receipts, 10);
    EXPECT_EQ(handedOver, staged - 1 - receipts);
    EXPECT_EQ(db->scalar("SELECT count(*) FROM VelanakData")->toInt(), before + handedOver);
    // Every payment method but the receipts arrived.
    EXPECT_EQ(db->scalar("SELECT count(*) FROM VelanakData WHERE Sorszám > ? AND "
                         "FizetésMódja = 'nyugta'",
                         {highest})
                  ->toInt(),
              0);
    EXPECT_GT(db->scalar("SELECT count(*) FROM VelanakData WHERE Sorszám > ? AND "
                         "FizetésMódja = 'átutalás E' AND Kivezetés = 'I'",
                         {highest})
                  ->toInt(),
              0);
}

// "Paraméterek beállítása" is open in both ledger windows; the folder that
// "OK" hands on (two leading blanks dropped) is where the import looks.
TEST_F(ImportFixture, ParametersOkHandsTheFolderToTheImport) {
    ASSERT_TRUE(ctx.db.parameters->exec("INSERT INTO EmblemaPath (InterfacePath) VALUES (?)",
                                        {"  " + invoicing.path()}));
    lines("SZAMLA", {{1, "készpénzes", 10, 12.7}});
    ctx.invoicingFolder.clear();
    vela::LedgerWindow payables(ctx, vela::LedgerKind::Payables);
    payables.show();
    EXPECT_TRUE(payables.menuItem("Parameter")->isEnabled());
    ctx.invoicingFolder = "elrontva";
    opener.handlers << [&](QDialog& w) {
        EXPECT_EQ(w.objectName(), "VelaDataParameterFormX");
        w.findChild<QPushButton*>("Command1")->click();
        EXPECT_EQ(ctx.invoicingFolder, invoicing.path());
    };
    payables.menuItem("Parameter")->trigger();
    EXPECT_EQ(opener.opened, 1);
    open();
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_TRUE(window->isVisible());

    // An emptied folder: the next opening refuses.
    EXPECT_TRUE(ctx.db.parameters->exec("UPDATE EmblemaPath SET InterfacePath = NULL"));
    opener.handlers << [&](QDialog& w) { w.findChild<QPushButton*>("Command1")->click(); };
    payables.menuItem("Parameter")->trigger();
    EXPECT_TRUE(ctx.invoicingFolder.isEmpty());
    window.reset();
    open();
    EXPECT_EQ(dialogs.texts().last(), "Nincs beállítva a számlázó (FakturoNext+) útvonala!");
}
