// The menu "Kimutatások" of both ledger windows.

#include <QAbstractButton>
#include <QAction>
#include <QFile>
#include <QHash>
#include <QLabel>
#include <QMenuBar>
#include <QRegularExpression>
#include <QSet>

#include "ledger/ledgerwindow.h"
#include "reports/korositasformx.h"
#include "reports/penzforgalomformx.h"
#include "reportwindowsfixture.h"

TEST_F(ReportWindows, ListReportTotalsOfTheGrid) {
    LedgerWindow ledger(ctx, LedgerKind::Receivables);
    QAction* item = nullptr;
    for (QAction* a : ledger.findChildren<QAction*>())
        if (a->objectName() == QLatin1String("Tetellista"))
            item = a;
    ASSERT_TRUE(item);
    item->trigger();
    ASSERT_EQ(printer.previews, 1);
    const QString pdf = printed();
    for (const char* expected :
         {"TÉTELLISTA - Tartoznak (Vevő)", "Összesen (Ft): 1 526 466 Ft 40 000 Ft 1 386 467 Ft",
          "Összesen (EUR): 4 270,50 EUR 1 000,25 EUR 3 270,25 EUR"})
        EXPECT_TRUE(pdf.contains(QString::fromUtf8(expected))) << expected << "\n"
                                                               << pdf.toStdString();
}

TEST_F(ReportWindows, MenuOpensAgeingOfEachLedger) {
    for (LedgerKind kind : {LedgerKind::Payables, LedgerKind::Receivables}) {
        LedgerWindow ledger(ctx, kind);
        QString caption;
        int rows = -1;
        opener.handlers << [&](QDialog& d) {
            caption = d.windowTitle();
            rows = static_cast<KorosításFormX&>(d).table()->rowCount();
        };
        for (QAction* a : ledger.findChildren<QAction*>())
            if (a->objectName() == QLatin1String("Korositas"))
                a->trigger();
        EXPECT_EQ(caption, QStringLiteral("Korosítás - VelaData"));
        // Today's ageing: the rows are there whatever the day.
        EXPECT_EQ(rows, kind == LedgerKind::Payables ? 3 + 2 : 4 + 2);
    }
}

// Alt with the menu's letter opens the menu: no top entry beside it has the
// letter, least of all "&Kivezetés", which would settle the current row.
TEST_F(ReportWindows, MenuLetterIsItsOwn) {
    for (LedgerKind kind : {LedgerKind::Payables, LedgerKind::Receivables}) {
        LedgerWindow ledger(ctx, kind);
        QStringList sharing;
        for (QAction* a : ledger.findChild<QMenuBar*>()->actions()) {
            const qsizetype amp = a->text().indexOf(QLatin1Char('&'));
            if (amp >= 0 && a->text().mid(amp + 1, 1).toLower() == QLatin1String("m"))
                sharing << a->text();
        }
        EXPECT_EQ(sharing, QStringList{QStringLiteral("Ki&mutatások")});
    }
}

// Alt with a button's letter presses that button: a letter two controls of
// a report window share only moves the focus between them.
TEST_F(ReportWindows, ButtonLettersAreTheirOwn) {
    KorosításFormX receivables(ctx, Ledger::Receivables, nullptr, asOf);
    KorosításFormX payables(ctx, Ledger::Payables, nullptr, asOf);
    PenzforgalomFormX flow(ctx, nullptr, asOf);
    for (QWidget* w : {static_cast<QWidget*>(&receivables), static_cast<QWidget*>(&payables),
                       static_cast<QWidget*>(&flow)}) {
        QHash<QString, QString> byLetter;
        for (QAbstractButton* b : w->findChildren<QAbstractButton*>()) {
            const qsizetype amp = b->text().indexOf(QLatin1Char('&'));
            if (amp < 0)
                continue;
            const QString letter = b->text().mid(amp + 1, 1).toLower();
            EXPECT_FALSE(byLetter.contains(letter))
                << w->objectName().toStdString() << ": " << b->text().toStdString() << " / "
                << byLetter.value(letter).toStdString();
            byLetter.insert(letter, b->text());
        }
        EXPECT_GT(byLetter.size(), 3);
    }
}

// Every control the manual's chapter on the reports names in bold is there:
// a menu item of the ledger window, or a button or field of a report window.
TEST_F(ReportWindows, ManualNamesOnlyControlsThatAreThere) {
    QFile f(QStringLiteral(VELA_SOURCE_DIR "/data/manual/kezikonyv.html"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(f.readAll());
    // The reports chapter alone: up to the next chapter's heading.
    const qsizetype from = html.indexOf(QStringLiteral("name=\"kimutatasok\""));
    const qsizetype to = html.indexOf(QStringLiteral("<h2"), from);
    const QString chapter = html.mid(from, to < 0 ? -1 : to - from);
    ASSERT_GT(chapter.size(), 1000);
    auto plain = [](QString t) {
        return t.remove(QLatin1Char('&')).remove(QRegularExpression(":$")).trimmed();
    };
    QSet<QString> there;
    LedgerWindow ledger(ctx, LedgerKind::Receivables);
    for (QAction* a : ledger.findChildren<QAction*>()) there << plain(a->text());
    KorosításFormX ageing(ctx, Ledger::Receivables, nullptr, asOf);
    PenzforgalomFormX flow(ctx, nullptr, asOf);
    for (QWidget* w : {static_cast<QWidget*>(&ageing), static_cast<QWidget*>(&flow)}) {
        for (QAbstractButton* b : w->findChildren<QAbstractButton*>()) there << plain(b->text());
        for (QLabel* l : w->findChildren<QLabel*>()) there << plain(l->text());
    }
    static const QRegularExpression bold("<b>(.*?)</b>");
    int named = 0;
    for (auto m = bold.globalMatch(chapter); m.hasNext(); ++named) {
        const QString name = m.next().captured(1).split(QStringLiteral(" / ")).last().trimmed();
        EXPECT_TRUE(there.contains(name)) << name.toStdString();
    }
    EXPECT_GT(named, 12);
}
