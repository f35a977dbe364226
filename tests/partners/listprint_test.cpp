#include <QDate>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QRegularExpression>

#include "partnerfixture.h"
#include "partners/beszallitonyomformx.h"
#include "storage/values.h"

using vela::BeszallitoNyomFormX;
using Icon = vela::DialogService::Icon;

namespace {

// What one shown page held: its number label and its filled rows.
struct PageSeen {
    QString number;
    QString title;
    QString issued;
    QList<QStringList> rows;  // six texts per filled row
    int emptyRows = 0;
};

PageSeen read(BeszallitoNyomFormX& page) {
    PageSeen seen;
    seen.number = page.label(141)->text();
    seen.title = page.label(1)->text();
    seen.issued = page.label(140)->text();
    for (int slot = 1; slot <= BeszallitoNyomFormX::kRows; ++slot) {
        QStringList six;
        bool any = false;
        for (int p = 1; p <= 6; ++p) {
            six << page.cell(slot, p)->text();
            any = any || !six.last().isEmpty();
        }
        if (any)
            seen.rows << six;
        else
            ++seen.emptyRows;
    }
    return seen;
}

}  // namespace

class ListPrintFixture : public PartnerFixture {
  protected:
    // Prints, answering each page with "Tovább" (or the given action) and
    // keeping what every page showed.
    QList<PageSeen> print(int pagesToAnswer = 10,
                          const std::function<void(BeszallitoNyomFormX&)>& act = {}) {
        QList<PageSeen> pages;
        for (int i = 0; i < pagesToAnswer; ++i) {
            opener.handlers << [&pages, act](QDialog& d) {
                auto* page = qobject_cast<BeszallitoNyomFormX*>(&d);
                ASSERT_TRUE(page);
                pages << read(*page);
                if (act)
                    act(*page);
                else
                    page->findChild<QPushButton*>("Command1")->click();
            };
        }
        menu("BeszNyom");
        opener.handlers.clear();
        return pages;
    }
};

TEST_F(ListPrintFixture, OnePartnerMakesOnePage) {
    insert({{"Fő Kft", 1, "V", "Budapest", "Fő utca 1.", "1234", "", "1051", "H"}});
    open();
    const QList<PageSeen> pages = print();
    ASSERT_EQ(pages.size(), 1);
    EXPECT_EQ(pages[0].number, "Lapszám: 1");
    EXPECT_EQ(pages[0].title, "ÜGYFELEK");
    EXPECT_EQ(pages[0].issued, "Kiadva: " + vela::values::formatDate(QDate::currentDate()));
    ASSERT_EQ(pages[0].rows.size(), 1);
    EXPECT_EQ(pages[0].rows[0],
              QStringList({"Fő Kft", "1051", "H", "Budapest", "Fő utca 1.", "1234 / "}));
    EXPECT_EQ(pages[0].emptyRows, 21);
    EXPECT_EQ(window->pageCounter(), 1);
    EXPECT_EQ(window->rows().position(), 0);  // a complete print ends on the last row
}

TEST_F(ListPrintFixture, TwentyTwoAndTwentyThreePartners) {
    insertNumbered(22);
    open();
    QList<PageSeen> pages = print();
    ASSERT_EQ(pages.size(), 2);
    EXPECT_EQ(pages[0].rows.size(), 22);
    EXPECT_EQ(pages[0].rows[21][0], "Partner 022");
    EXPECT_EQ(pages[0].rows[21][5], " / ");  // neither phone nor fax
    EXPECT_EQ(pages[1].rows.size(), 0);
    EXPECT_EQ(pages[1].number, "Lapszám: 2");
    EXPECT_EQ(pages[1].title, "ÜGYFELEK");

    window.reset();
    insert({{"Partner 023", 23}});
    open();
    pages = print();
    ASSERT_EQ(pages.size(), 2);
    EXPECT_EQ(pages[0].rows.size(), 22);
    ASSERT_EQ(pages[1].rows.size(), 1);
    EXPECT_EQ(pages[1].rows[0][0], "Partner 023");
    EXPECT_EQ(window->rows().position(), 22);
}

TEST_F(ListPrintFixture, CancelStopsAfterTheFirstPage) {
    insertNumbered(50);
    open();
    const QList<PageSeen> pages = print(10, [](BeszallitoNyomFormX& page) {
        page.findChild<QPushButton*>("Command3")->click();
        EXPECT_EQ(page.stopFlag(), 1);
    });
    EXPECT_EQ(pages.size(), 1);
    EXPECT_EQ(opener.opened, 1);
    // The source stands on the row after the last one on the page.
    EXPECT_EQ(current(), "Partner 023");
}

TEST_F(ListPrintFixture, PrintStartsAtTheCurrentPartnerAndFollowsTheFilter) {
    insertNumbered(30);
    open();
    EXPECT_TRUE(window->rows().moveTo(9));
    QList<PageSeen> pages = print();
    ASSERT_EQ(pages.size(), 1);
    EXPECT_EQ(pages[0].rows.size(), 21);
    EXPECT_EQ(pages[0].rows[0][0], "Partner 010");

    // Nothing to print under a filter that shows nobody.
    menu("Vevok");
    dialogs.clear();
    pages = print();
    EXPECT_TRUE(pages.isEmpty());
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.last()->text, "Nincs nyomtatandó adat!");
    EXPECT_EQ(dialogs.last()->title, "FIGYELEM!");
    EXPECT_EQ(dialogs.last()->icon, Icon::Warning);
}

TEST_F(ListPrintFixture, PrintedPageHoldsTheLabelsAtTheirPlaces) {
    insert({{"Alfa Kft", 1, "V", "Győr", "Fő tér 2.", "96123456", "96654321", "9021", "H"},
            {"Béta Bt", 2, "B", "Pécs", "Kő u. 3.", "", "", "7621", "H"}});
    open();
    bool buttonsHiddenWhilePrinting = true;
    print(1, [&](BeszallitoNyomFormX& page) {
        page.findChild<QPushButton*>("Command2")->click();
        EXPECT_TRUE(page.isVisible());  // the page stays for "Tovább" or "Mégse"
        EXPECT_TRUE(page.findChild<QPushButton*>("Command1")->isVisible());
        page.findChild<QPushButton*>("Command1")->click();
    });
    (void)buttonsHiddenWhilePrinting;
    EXPECT_EQ(printer.jobs, 1);
    ASSERT_TRUE(QFile::exists(printer.path()));

    QProcess p;
    p.start("pdftotext", {"-bbox", printer.path(), "-"});
    ASSERT_TRUE(p.waitForFinished(30000));
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    // word -> (xMin, yMin) in points
    QMap<QString, QPointF> at;
    QString pageTag;
    static const QRegularExpression word(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="[\d.]+" yMax="[\d.]+">([^<]*)</word>)re");
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        if (!at.contains(m.captured(3)))
            at.insert(m.captured(3), {m.captured(1).toDouble(), m.captured(2).toDouble()});
    }
    static const QRegularExpression size(R"re(<page width="([\d.]+)" height="([\d.]+)")re");
    const auto sm = size.match(html);
    ASSERT_TRUE(sm.hasMatch());
    EXPECT_GT(sm.captured(1).toDouble(), sm.captured(2).toDouble());  // landscape

    for (const char* w : {"ÜGYFELEK", "Lapszám:", "Név:", "Irányítószám:", "Ország:", "Székhely:",
                          "Cím:", "Telefon", "FAX:", "Kiadva:", "Alfa", "9021", "Győr", "Fő",
                          "96123456", "96654321", "Béta", "Pécs"})
        EXPECT_TRUE(at.contains(w)) << w;
    EXPECT_FALSE(at.contains("Tovább"));  // the buttons do not print
    EXPECT_FALSE(at.contains("Nyomtat"));

    // 20 twips to the point: the columns stand at 360, 4320, 5640, 6480,
    // 9360 and 12840 twips, the headings at 840, the rows from 1200 by 360.
    const double x0 = at["Név:"].x();
    const double y0 = at["Név:"].y();
    auto near = [](double a, double b) { return std::abs(a - b) < 1.5; };
    EXPECT_TRUE(near(at["Irányítószám:"].x() - x0, 198)) << at["Irányítószám:"].x() - x0;
    EXPECT_TRUE(near(at["Ország:"].x() - x0, 264));
    EXPECT_TRUE(near(at["Székhely:"].x() - x0, 306));
    EXPECT_TRUE(near(at["Cím:"].x() - x0, 450));
    EXPECT_TRUE(near(at["Telefon"].x() - x0, 624));
    EXPECT_TRUE(near(at["ÜGYFELEK"].x() - x0, 312));
    EXPECT_TRUE(near(at["Lapszám:"].x(), x0));
    EXPECT_TRUE(near(at["Alfa"].x(), x0));
    EXPECT_TRUE(near(at["9021"].x() - x0, 198));
    EXPECT_TRUE(near(at["Győr"].x() - x0, 306));
    EXPECT_TRUE(near(at["96123456"].x() - x0, 624));
    // Rows: the glyph tops differ a little by font size, so compare like with like.
    EXPECT_TRUE(near(at["Béta"].y() - at["Alfa"].y(), 18));
    EXPECT_TRUE(near(at["Kiadva:"].y() - at["Alfa"].y(), (9360 - 1200) / 20.0));
    EXPECT_TRUE(near(at["Lapszám:"].y(), y0 - 30)) << at["Lapszám:"].y() - y0;
}

TEST_F(ListPrintFixture, PrinterNotReadyKeepsThePage) {
    insert({{"Alfa Kft", 1}});
    open();
    printer.setReady(false);
    print(1, [&](BeszallitoNyomFormX& page) {
        page.findChild<QPushButton*>("Command2")->click();
        EXPECT_EQ(dialogs.last()->text, "A nyomtató nincs készenlétben!");
        EXPECT_EQ(dialogs.last()->title, "FIGYELEM! Nem lehet nyomtatni!");
        EXPECT_EQ(dialogs.last()->icon, Icon::Warning);
        EXPECT_EQ(dialogs.last()->beepsBefore, 1);
        EXPECT_TRUE(page.isVisible());
        for (const char* b : {"Command1", "Command2", "Command3", "Command4"})
            EXPECT_TRUE(page.findChild<QPushButton*>(b)->isVisible()) << b;
        EXPECT_EQ(page.findChild<QPushButton*>("Command2")->styleSheet(),
                  "background-color: white;");
        page.findChild<QPushButton*>("Command1")->click();
    });
    EXPECT_EQ(printer.jobs, 0);
}

TEST_F(ListPrintFixture, PageWindowLayoutAndHelp) {
    insert({{"Alfa Kft", 1}});
    open();
    int helpOpened = 0;
    print(1, [&](BeszallitoNyomFormX& page) {
        EXPECT_EQ(page.windowTitle(), "Form1");
        EXPECT_EQ(page.pageArea()->width(), 14685 / 15);
        EXPECT_EQ(page.pageArea()->height(), 10020 / 15);
        // Row 22's first label is Label134 at (360, 8760) twips.
        QLabel* last = page.cell(22, 1);
        EXPECT_EQ(last->objectName(), "Label134");
        EXPECT_EQ(last->pos(), QPoint(24, 584));
        EXPECT_EQ(page.cell(1, 6)->objectName(), "Label13");
        EXPECT_EQ(page.cell(1, 6)->pos(), QPoint(856, 80));
        EXPECT_EQ(page.label(142)->palette().color(QPalette::WindowText), QColor(0, 0, 64));
        EXPECT_DOUBLE_EQ(page.label(1)->font().pointSizeF(), 12);
        EXPECT_TRUE(page.label(1)->font().bold());
        EXPECT_EQ(ctx.helpTopic, "BeszallitoNyomFormX");
        opener.handlers.prepend([&](QDialog& d) {
            EXPECT_EQ(d.objectName(), "HelpFormX");
            ++helpOpened;
        });
        page.findChild<QPushButton*>("Command4")->click();
        page.findChild<QPushButton*>("Command1")->click();
    });
    EXPECT_EQ(helpOpened, 1);
}
