// The "Változások" window of both ledgers: a row's history, the deleted rows
// and their restore, the print, and that the history stays out of the ledger.
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>

#include "base/workstation.h"
#include "historywindow/valtozasokformx.h"
#include "ledgerfixture.h"
#include "pdfreadback.h"
#include "ui/qtprinterservice.h"

using Answer = vela::DialogService::Answer;

namespace {

struct HistoryWindow : LedgerFixture {
    std::vector<vela::Database::Row> all(const QString& table) {
        return veladata->rows("SELECT * FROM " + table + " ORDER BY Kulcs").value();
    }
    // Opens the window from the menu and hands it to act.
    void openHistory(const std::function<void(vela::ValtozasokFormX&)>& act) {
        opener.handlers << [&](QDialog& d) {
            auto* w = qobject_cast<vela::ValtozasokFormX*>(&d);
            ASSERT_TRUE(w);
            EXPECT_EQ(w->windowTitle(), "Változások - VelaData");
            act(*w);
        };
        window->menuItem("Valtozasok")->trigger();
    }
    static QStringList rowTexts(QTableWidget* g, int row) {
        QStringList out;
        for (int c = 0; c < g->columnCount(); ++c) out << g->item(row, c)->text();
        return out;
    }
};

}  // namespace

TEST_F(HistoryWindow, DeletingEverythingThenRestoringAllGivesBackTheLedgerFieldByField) {
    for (const auto kind : {vela::LedgerKind::Receivables, vela::LedgerKind::Payables}) {
        const QString table = kind == vela::LedgerKind::Payables ? "VelaData" : "VelanakData";
        insert(table, {{1, "A-1", "Alfa", 127, "N"},
                       {2, "B-2", "O'Brien", 254.5, "I", 100, 127, true},
                       {3, "C-3", "Gamma", -10, {}}});
        ASSERT_TRUE(veladata->exec("UPDATE " + table +
                                   " SET Datumig = '2025-02-28', FIGYELEM = 1, Megjegyzés = 'x' "
                                   "WHERE Sorszám = 2"));
        const auto before = all(table);
        open(kind);
        ASSERT_TRUE(window->rows().moveFirst());
        dialogs.answer(Answer::Yes);  // delete everything
        dialogs.answer(Answer::No);   // no new row
        window->menuItem("MindTorol")->trigger();
        ASSERT_EQ(count(table), 0);

        dialogs.answer(Answer::Yes);  // restore the chosen ones
        openHistory([&](vela::ValtozasokFormX& w) {
            auto* deleted = w.findChild<QTableWidget*>("Grid2");
            ASSERT_EQ(deleted->rowCount(), 3);
            EXPECT_EQ(w.findChild<QTabWidget*>("Tab1")->currentIndex(), 1);  // no row: deleted ones
            // Newest first, who deleted them.
            EXPECT_EQ(rowTexts(deleted, 0).mid(1, 4),
                      QStringList({vela::systemUserName() + "@" + vela::workstationName(), "3",
                                   "C-3", "Gamma"}));
            deleted->selectAll();
            w.findChild<QPushButton*>("Command2")->click();
            EXPECT_EQ(deleted->rowCount(), 0);
            EXPECT_EQ(w.restoredRows(), 3);
        });
        EXPECT_EQ(dialogs.last()->text, "3 sor visszaállítva.");
        const auto after = all(table);
        ASSERT_EQ(after.size(), before.size());
        for (size_t r = 0; r < before.size(); ++r) EXPECT_EQ(after[r], before[r]) << r;
        // The window reads the rows again; a restore is recorded.
        EXPECT_EQ(window->rows().recordCount(), 3);
        EXPECT_EQ(veladata
                      ->scalar("SELECT count(*) FROM Valtozasok WHERE Muvelet = 'V' AND Tabla = ?1",
                               {table})
                      ->toInt(),
                  3);
        window.reset();
    }
}

TEST_F(HistoryWindow, ARowsHistoryNewestFirstInHungarianAndPrinted) {
    vela::PdfPrinterService printer(folder.file("valtozasok.pdf"));
    ctx.printer = &printer;
    insert("VelaData", {{1, "A-1", "Alfa", 127, "N"}});
    open();
    type("Text7", "254,5");  // Brutto
    type("Text2", "Béta");   // CegNev
    ASSERT_TRUE(window->rows().moveFirst());
    openHistory([&](vela::ValtozasokFormX& w) {
        auto* g = w.findChild<QTableWidget*>("Grid1");
        ASSERT_EQ(g->rowCount(), 3);
        const QString who = vela::systemUserName() + "@" + vela::workstationName();
        const struct {
            int row;
            QStringList texts;  // after the time
        } want[] = {
            // One save: its fields, the last written first.
            {0, {who, "Brutto", "127", "254,5"}},
            {1, {who, "CegNev", "Alfa", "Béta"}},
            {2, {who, "(új sor)", "", ""}},
        };
        for (const auto& r : want) EXPECT_EQ(rowTexts(g, r.row).mid(1), r.texts) << r.row;
        EXPECT_TRUE(w.findChild<QLabel*>("Label1")->text().contains("Sorszám: 1"));
        w.findChild<QPushButton*>("Command1")->click();
    });
    ASSERT_EQ(printer.previews, 1);
    const QString printed = pdfreadback::pages(printer.path()).join("\n");
    for (const char* s : {"Egy sor változásai - VelaData", "CegNev", "Béta", "254,5", "(új sor)"})
        EXPECT_TRUE(printed.contains(QString::fromUtf8(s))) << s;

    // The history stays out of the ledger: its grid shows the one row, with
    // the ledger's own columns only.
    auto* grid = child<QTableView>("DBGrid1");
    EXPECT_EQ(grid->model()->rowCount(), 1);
    for (int c = 0; c < grid->model()->columnCount(); ++c) {
        const QString header = grid->model()->headerData(c, Qt::Horizontal).toString();
        EXPECT_FALSE(header == "Muvelet" || header == "Regi" || header == "TorlesIdeje")
            << header.toStdString();
    }
}
