#include <gtest/gtest.h>

#include <QImage>
#include <QPdfWriter>
#include <QProcess>
#include <QTemporaryDir>

#include "pdfreadback.h"
#include "report/bandedreport.h"

using namespace vela::report;
using Kind = Element::Kind;

namespace {

// A4 with margins of 900 twips: the page's printable area is 15038 twips high.
Layout cardLayout() {
    Layout l;
    l.reportWidth = 10005;
    l.marginLeft = l.marginTop = l.marginRight = l.marginBottom = 900;
    Font big;
    big.points = 12;
    big.bold = big.underline = true;
    l.reportHeader.height = 570;
    l.reportHeader.elements = {
        {Kind::Label, 1755, 45, 3480, 240, "FEJLÉC", -1, big, Align::Left},
        {Kind::Date, 45, 30, 1440, 240, {}, -1, {}, Align::Left},
        {Kind::Title, 5445, 45, 4530, 240, {}, -1, {}, Align::Right},
    };
    l.detail.height = 2445;
    l.detail.elements = {
        {Kind::Field, 1515, 60, 1440, 240, {}, 0, {}, Align::Left},
        {Kind::Field, 3930, 1995, 1440, 240, {}, 1, {}, Align::Left},
        {Kind::Rule, 90, 2265, 9795, 0, {}, -1, {}, Align::Left},
    };
    l.pageFooter.height = 240;
    l.pageFooter.elements = {{Kind::PageNumber, 0, 0, 10005, 240, {}, -1, {}, Align::Center}};
    l.reportFooter.height = 60;
    return l;
}

QString render(const BandedReport& r, const QString& path) {
    QPdfWriter pdf(path);
    pdf.setResolution(1200);
    r.setUpPage(pdf);
    const vela::Status painted = r.paint(pdf);
    EXPECT_TRUE(painted) << painted.errorText().toStdString();
    return path;
}

BandedReport withRows(Layout l, int rows) {
    BandedReport r(std::move(l));
    r.setTitle("Cím - összesen: 12,5");
    r.setDateText("2026.12.08.");
    r.setRows(rows, [](int row, int field) {
        return QString(field == 0 ? "eleje-%1" : "vége-%1").arg(row + 1);
    });
    return r;
}

}  // namespace

TEST(BandedReport, ThirtyCardsFillSixPagesNoneSplitEachPageNumbered) {
    QTemporaryDir dir;
    const BandedReport r = withRows(cardLayout(), 30);
    // First page: 15038 - 570 header - 240 footer = 14228 = five cards of 2445;
    // the next ones 14798: six. 5 + 6 + 6 + 6 + 6 = 29, the 30th on page 6.
    const auto pages = r.paginate(15038);
    ASSERT_EQ(pages.size(), 6u);
    EXPECT_EQ(pages[0].count, 5);
    EXPECT_EQ(pages[1].first, 5);
    EXPECT_EQ(pages[5].first, 29);
    EXPECT_EQ(pages[5].count, 1);

    const QString pdf = render(r, dir.filePath("cards.pdf"));
    EXPECT_EQ(pdfreadback::pages(pdf).size(), 6);
    const auto words = pdfreadback::words(pdf);
    const int firstRowOfPage[] = {1, 6, 12, 18, 24, 30, 31};
    for (int page = 0; page < 6; ++page) {
        for (int row = firstRowOfPage[page]; row < firstRowOfPage[page + 1]; ++row) {
            // A card's first and last line stand on the same page.
            const auto* top = pdfreadback::find(words, QString("eleje-%1").arg(row));
            const auto* foot = pdfreadback::find(words, QString("vége-%1").arg(row));
            ASSERT_TRUE(top && foot) << row;
            EXPECT_EQ(top->page, page) << row;
            EXPECT_EQ(foot->page, page) << row;
        }
        EXPECT_TRUE(pdfreadback::find(words, QString::number(page + 1), page)) << page;
    }
    // The header only once, at the top of the first page.
    const auto* head = pdfreadback::find(words, "FEJLÉC");
    ASSERT_TRUE(head);
    EXPECT_EQ(head->page, 0);
    int heads = 0;
    for (const auto& w : words) heads += w.text == "FEJLÉC";
    EXPECT_EQ(heads, 1);
}

TEST(BandedReport, NoRowsGiveOnePageWithTheHeader) {
    QTemporaryDir dir;
    const QString pdf = render(withRows(cardLayout(), 0), dir.filePath("empty.pdf"));
    const QStringList pages = pdfreadback::pages(pdf);
    ASSERT_EQ(pages.size(), 1);
    EXPECT_TRUE(pages[0].contains("FEJLÉC"));
    EXPECT_TRUE(pages[0].contains("2026.12.08."));
    EXPECT_FALSE(pages[0].contains("eleje"));
}

TEST(BandedReport, ElementsStandAtTheirTwipsLeftAndRightAligned) {
    QTemporaryDir dir;
    const auto words = pdfreadback::words(render(withRows(cardLayout(), 2), dir.filePath("p.pdf")));
    // Points from the page's corner: 45 of margin plus twips / 20.
    const auto* head = pdfreadback::find(words, "FEJLÉC");
    ASSERT_TRUE(head);
    EXPECT_NEAR(head->xMin, 45 + 87.75, 1.0);
    EXPECT_NEAR(head->yMin, 45 + 2.25, 1.0);
    const auto* date = pdfreadback::find(words, "2026.12.08.");
    ASSERT_TRUE(date);
    EXPECT_NEAR(date->xMin, 45 + 2.25, 1.0);
    EXPECT_NEAR(date->yMin, 45 + 1.5, 1.0);
    // The title ends at the right side of its box: (5445 + 4530) / 20.
    const auto* sum = pdfreadback::find(words, "12,5");
    ASSERT_TRUE(sum);
    EXPECT_NEAR(sum->xMax, 45 + 498.75, 1.0);
    // The second card starts one detail band (2445) below the first.
    const auto* second = pdfreadback::find(words, "vége-2");
    ASSERT_TRUE(second);
    EXPECT_NEAR(second->xMin, 45 + 196.5, 1.0);
    EXPECT_NEAR(second->yMin, 45 + (570 + 2445 + 1995) / 20.0, 1.0);
}

TEST(BandedReport, TooLongTextIsCutAtTheSideOfItsBox) {
    Layout l = cardLayout();
    l.reportHeader.elements = {};
    l.pageFooter.elements = {};
    // 1440 twips (72 points, 72 pixels at 72 dpi) wide from 1440 twips in.
    l.detail.elements = {{Kind::Field, 1440, 0, 1440, 240, {}, 0, {}, Align::Left}};
    BandedReport r(l);
    r.setRows(1, [](int, int) { return QString(40, QChar('W')); });
    QTemporaryDir dir;
    const QString pdf = render(r, dir.filePath("cut.pdf"));
    QProcess p;
    p.start("pdftoppm", {"-r", "72", "-png", "-singlefile", pdf, dir.filePath("cut")});
    ASSERT_TRUE(p.waitForFinished(60000));
    QImage img(dir.filePath("cut.png"));
    ASSERT_FALSE(img.isNull());
    auto inkBetween = [&](int x0, int x1) {
        int dark = 0;
        for (int y = 45 + 570 / 20; y < 45 + 570 / 20 + 12; ++y)
            for (int x = x0; x < x1; ++x) dark += qGray(img.pixel(x, y)) < 128;
        return dark;
    };
    // Page margin 45, box from 45 + 72 to 45 + 144 (the report header of
    // 570 twips is still above the first card).
    EXPECT_GT(inkBetween(45 + 72, 45 + 143), 50);
    EXPECT_EQ(inkBetween(45 + 146, 45 + 400), 0);
}
