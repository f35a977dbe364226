#include <QDir>
#include <QRegularExpression>

#include "ledger/datareportvd1.h"
#include "ledger/ledgerprintreport.h"
#include "ledgerfixture.h"
#include "pdfreadback.h"
#include "storage/recordsource.h"

using vela::LedgerKind;
using Icon = vela::DialogService::Icon;

namespace {

// The print, run over a record source the way a window's grid holds it; the
// preview's pages are saved as a PDF instead of being shown.
class LedgerPrintTest : public LedgerFixture {
  protected:
    void SetUp() override {
        LedgerFixture::SetUp();
        pdf = QDir(folder.path()).filePath("print.pdf");
    }

    // The next preview opened saves its pages and tells its caption and title.
    void expectPreview() {
        opener.handlers << [this](QDialog& w) {
            auto* report = qobject_cast<vela::DataReportVD1*>(&w);
            ASSERT_TRUE(report);
            caption = report->windowTitle();
            title = report->title();
            const vela::Status printed = report->printToPdf(pdf);
            EXPECT_TRUE(printed) << printed.errorText().toStdString();
        };
    }

    void print(LedgerKind kind, const vela::Condition& where = {},
               const QList<vela::OrderKey>& order = {{"Sorszám"}, {"recordID"}}) {
        vela::RecordSource rows;
        rows.setDatabase(veladata);
        rows.setQuery(vela::Query(
            kind == LedgerKind::Payables ? vela::schema::velaData() : vela::schema::velanakData(),
            where, order));
        ASSERT_TRUE(rows.refresh());
        vela::LedgerPrintReport(ctx, kind, *veladata).run(rows);
    }

    QStringList pages() { return pdfreadback::pages(pdf); }
    QString allText() { return pages().join("\f"); }

    // The values printed after a label, card by card.
    QStringList after(const QString& label) {
        QStringList out;
        const QRegularExpression re(QRegularExpression::escape(label) + "\\s+(\\S+)");
        for (auto it = re.globalMatch(allText()); it.hasNext();) out << it.next().captured(1);
        return out;
    }

    QStringList scratchSorszam() {
        QStringList out;
        const auto rows = veladata->rows("SELECT Sorszám FROM VelaIdeigl ORDER BY rowid");
        EXPECT_TRUE(rows) << rows.errorText().toStdString();
        if (!rows)
            return out;
        for (const auto& r : *rows) out << r.value(0).toString();
        return out;
    }

    // Open, settled and lower-case rows.
    const std::vector<Row> kMixed = {
        {2, "B-2", "Béka Bt.", 1270.5, "N"}, {3, "C-3", "Cékla Kft.", 50, "I"},
        {5, "E-5", "Eper Zrt.", 300, "N"},   {6, "F-6", "Füge", 10, "n"},
        {7, "G-7", "Gomba", 99, "N"},
    };

    QString pdf;
    QString caption;
    QString title;
};

}  // namespace

TEST_F(LedgerPrintTest, ThreeFilteredRowsGiveThreeCardsInTheGridsOrder) {
    insert("VelaData", kMixed);
    EXPECT_TRUE(
        veladata->exec("UPDATE VelaData SET Datumtol = '2024-03-07', AFA = 27, Devizanem = 'HUF' "
                       "WHERE Sorszám = 2"));
    dialogs.answer(vela::DialogService::Answer::Yes);
    expectPreview();
    print(LedgerKind::Payables, vela::Condition::equals("Kivezetés", "N"), {{"Sorszám", true}});

    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text, "Kéri a nyomtatási képet?");
    EXPECT_EQ(dialogs.shown[0].title,
              "Nyomtatás - Az összegzés nem veszi figyelembe a devizanemeket!");
    EXPECT_EQ(dialogs.shown[0].icon, Icon::Question);
    EXPECT_EQ(dialogs.shown[0].buttons, vela::DialogService::Buttons::YesNo);
    EXPECT_EQ(dialogs.shown[0].beepsBefore, 1);
    EXPECT_EQ(opener.opened, 1);
    EXPECT_EQ(caption, "Nyomtatás - VelaData - Kvadra");

    EXPECT_EQ(after("Sorszám:"), QStringList({"7", "5", "2"}));
    EXPECT_EQ(after("Számlaszám:"), QStringList({"G-7", "E-5", "B-2"}));
    EXPECT_EQ(scratchSorszam(), QStringList({"7", "5", "2"}));
    // Values in their plain Hungarian form.
    const QString text = allText();
    EXPECT_TRUE(text.contains("TARTOZÁS NYILVÁNTARTÁS"));
    EXPECT_TRUE(text.contains(QRegularExpression("Bruttó:\\s+1270,5")));
    EXPECT_TRUE(text.contains(QRegularExpression("Dátumtól:\\s+2024\\.03\\.07\\.")));
    EXPECT_TRUE(text.contains(QRegularExpression("ÁFA%:\\s+27\\s+Bruttó")));
    EXPECT_TRUE(text.contains(QRegularExpression("Részkiegyenlítés:\\s+Hamis")));
    EXPECT_TRUE(text.contains(QDate::currentDate().toString("yyyy.MM.dd.")));
    EXPECT_FALSE(text.contains("Cékla"));
}

TEST_F(LedgerPrintTest, PartialAmountsOfAnInvoiceAreSummedOverTheWholeLedger) {
    // Invoice S-1 holds the partial amounts 100 (settled), 50, -20 and 0;
    // negative and zero ones are not added. Only two of its rows are printed.
    insert("VelaData", {{1, "S-1", "Alma", 500, "I", 100, 127},
                        {1, "S-1", "Alma", 500, "N", 50, 63.5, true},
                        {1, "S-1", "Alma", 500, "N", -20, 0, true},
                        {1, "S-1", "Alma", 500, "N", 0, 0},
                        {2, "", "Körte", 10, "N"},
                        {3, "S'3", "Dió", 80, "N", 40, 50.8, true}});
    // The receivables ledger's rows of the same number do not count.
    insert("VelanakData", {{1, "S-1", "Alma", 500, "N", 1000, 1270}});
    EXPECT_TRUE(veladata->exec("UPDATE VelaData SET RészösszegÖsszesen = 77 WHERE Sorszám = 2"));
    expectPreview();
    using C = vela::Condition;
    print(LedgerKind::Payables, C::equals("Kivezetés", "N") && (C::notEquals("RészÖsszeg", 100) ||
                                                                C::notEquals("Szamlaszam", "S-1")));

    // Three S-1 cards, the one without a number keeps its own figure, and a
    // quote in the number is a number like any other.
    EXPECT_EQ(after("Részösszegek összesen:"), QStringList({"150", "150", "150", "77", "40"}));
    EXPECT_EQ(
        veladata->scalar("SELECT count(*) FROM VelaIdeigl WHERE RészösszegÖsszesen = 150")->toInt(),
        3);
}

TEST_F(LedgerPrintTest, GrandTotalCountsOpenRowsPartialGrossInsteadOfGross) {
    const std::vector<Row> rows = {
        {1, "A1", "Alma", 100, "N", 25, 30, true},  // -30, not 70
        {2, "A2", "Béka", 500, "I"},                // settled: nothing
        {3, "A3", "Cékla", 200, "N"},               // 200
        {4, "A4", "Dió", 1000, "n"},                // not "N": nothing
        {5, "A5", "Eper", 0.5, "N"},                // 0,5
    };
    insert("VelaData", rows);
    insert("VelanakData", rows);
    expectPreview();
    print(LedgerKind::Payables);
    EXPECT_EQ(title, "SZÁLLÍTÓ - Bruttó mindösszesen: 170,5");
    EXPECT_TRUE(allText().contains("SZÁLLÍTÓ - Bruttó mindösszesen: 170,5"));

    // The same rows again give the same title.
    expectPreview();
    print(LedgerKind::Payables);
    EXPECT_EQ(title, "SZÁLLÍTÓ - Bruttó mindösszesen: 170,5");

    expectPreview();
    print(LedgerKind::Receivables);
    EXPECT_EQ(title, "VEVŐ - Bruttó mindösszesen: 170,5");
    EXPECT_EQ(opener.opened, 3);
}

TEST_F(LedgerPrintTest, NoPrintsNothingButLeavesTheRowsInTheScratchTable) {
    insert("VelaData", kMixed);
    dialogs.answer(vela::DialogService::Answer::No);
    print(LedgerKind::Payables, vela::Condition::equals("Kivezetés", "N"));
    EXPECT_EQ(opener.opened, 0);
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_EQ(scratchSorszam(), QStringList({"2", "5", "7"}));
}

TEST_F(LedgerPrintTest, EmptyGridIsToldAndEmptiesTheScratchTable) {
    insert("VelaData", kMixed);
    EXPECT_TRUE(veladata->exec("INSERT INTO VelaIdeigl (Sorszám) VALUES (8), (9)"));
    print(LedgerKind::Payables, vela::Condition::equals("Kivezetés", "X"));
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text, "Nincs adat nyomtatásra!");
    EXPECT_EQ(dialogs.shown[0].title, "FIGYELEM!");
    EXPECT_EQ(dialogs.shown[0].icon, Icon::Information);
    EXPECT_EQ(dialogs.shown[0].beepsBefore, 1);
    EXPECT_EQ(opener.opened, 0);
    EXPECT_EQ(count("VelaIdeigl"), 0);
}

TEST_F(LedgerPrintTest, ThirtyRowsBreakOntoSixPagesWithNoCardSplit) {
    std::vector<Row> rows;
    for (int i = 1; i <= 30; ++i) rows.push_back({i, QString("SZ-%1").arg(i), "Partner", 10, "N"});
    insert("VelaData", rows);
    expectPreview();
    print(LedgerKind::Payables);
    // Five cards under the header of page 1, then six a page: 5 + 4 * 6 + 1.
    const QStringList p = pages();
    ASSERT_EQ(p.size(), 6);
    const int perPage[] = {5, 6, 6, 6, 6, 1};
    int next = 1;
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(p[i].count("Sorszám:"), perPage[i]) << i;
        EXPECT_EQ(p[i].count("Fizetés módja:"), perPage[i]) << i;
        for (int k = 0; k < perPage[i]; ++k, ++next)
            EXPECT_TRUE(p[i].contains(QString("SZ-%1 ").arg(next))) << next;
    }
    EXPECT_TRUE(p[0].contains("TARTOZÁS NYILVÁNTARTÁS"));
    EXPECT_FALSE(p[1].contains("TARTOZÁS NYILVÁNTARTÁS"));
}

TEST_F(LedgerPrintTest, ElementsStandAtTheirTwips) {
    insert("VelaData", {{42, "SZ-1", "Alma", 1270, "N"}});
    expectPreview();
    print(LedgerKind::Payables);
    const auto words = pdfreadback::words(pdf);
    // Margin 900 twips = 45 points; a card's elements below the 570-twip header.
    struct Expect {
        const char* word;
        double left, top;  // twips on the page's printable area
    };
    const Expect at[] = {
        {"TARTOZÁS", 1755, 45},   {"Sorszám:", 75, 570 + 60},    {"42", 1515, 570 + 60},
        {"Alma", 3540, 570 + 75}, {"Fizetés", 5670, 570 + 1995}, {"Megjegyzés:", 60, 570 + 1455},
    };
    for (const Expect& e : at) {
        const auto* w = pdfreadback::find(words, e.word);
        ASSERT_TRUE(w) << e.word;
        EXPECT_NEAR(w->xMin, 45 + e.left / 20, 1.0) << e.word;
        EXPECT_NEAR(w->yMin, 45 + e.top / 20, 1.0) << e.word;
    }
    // Right-aligned: the page number in 60..645, the title in 5445..9975.
    const auto* page = pdfreadback::find(words, "1");
    ASSERT_TRUE(page);
    EXPECT_NEAR(page->xMax, 45 + 645 / 20.0, 1.0);
    EXPECT_NEAR(page->yMin, 45 + 300 / 20.0, 1.0);
    const auto* total = pdfreadback::find(words, "1270", 0);
    ASSERT_TRUE(total);
    const auto* lastOfTitle = &words[0];
    for (const auto& w : words)
        if (w.yMin < 45 + 300 / 20.0 && w.xMax > lastOfTitle->xMax)
            lastOfTitle = &w;
    EXPECT_EQ(lastOfTitle->text, "1270");
    EXPECT_NEAR(lastOfTitle->xMax, 45 + 9975 / 20.0, 1.0);
}

TEST_F(LedgerPrintTest, FailedFillLeavesScratchAndLedgerAsTheyWere) {
    insert("VelaData", kMixed);
    EXPECT_TRUE(veladata->exec("INSERT INTO VelaIdeigl (Sorszám) VALUES (8), (9)"));
    // The per-invoice sums cannot be written: everything is undone.
    EXPECT_TRUE(
        veladata->exec("CREATE TRIGGER nosum BEFORE UPDATE ON VelaIdeigl "
                       "BEGIN SELECT RAISE(ABORT, 'tiltva'); END"));
    print(LedgerKind::Payables);
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_TRUE(dialogs.shown[0].text.startsWith("A nyomtatandó tételek nem írhatók"));
    EXPECT_TRUE(dialogs.shown[0].text.contains("tiltva"));
    EXPECT_EQ(dialogs.shown[0].title, "FIGYELEM! HIBA!");
    EXPECT_EQ(dialogs.shown[0].icon, Icon::Critical);
    EXPECT_EQ(opener.opened, 0);
    EXPECT_EQ(scratchSorszam(), QStringList({"8", "9"}));
    EXPECT_EQ(count("VelaData"), 5);
    EXPECT_EQ(veladata->scalar("SELECT sum(Brutto) FROM VelaData")->toDouble(), 1729.5);
}

TEST_F(LedgerPrintTest, RowTheScratchTableRefusesIsLeftOutWithABeep) {
    insert("VelaData", kMixed);
    EXPECT_TRUE(
        veladata->exec("CREATE TRIGGER nofive BEFORE INSERT ON VelaIdeigl WHEN new.Sorszám = 5 "
                       "BEGIN SELECT RAISE(ABORT, 'tiltva'); END"));
    expectPreview();
    print(LedgerKind::Payables, vela::Condition::equals("Kivezetés", "N"));
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].beepsBefore, 2);
    EXPECT_EQ(after("Sorszám:"), QStringList({"2", "7"}));
}

TEST_F(LedgerPrintTest, NyomtatasOfTheWindowPrintsTheGridsRows) {
    insert("VelanakData", kMixed);
    open(LedgerKind::Receivables);
    auto* button = child<QPushButton>("Command7");
    EXPECT_TRUE(button->isEnabled());
    EXPECT_EQ(button->text(), "Nyomtatás");
    expectPreview();
    button->click();
    EXPECT_EQ(opener.opened, 1);
    EXPECT_EQ(after("Sorszám:"), QStringList({"2", "3", "5", "6", "7"}));
    EXPECT_EQ(title, "VEVŐ - Bruttó mindösszesen: 1669,5");
    // A new row leaves the print available.
    click("Command2");
    EXPECT_TRUE(button->isEnabled());
}
