// The reports' windows and printed forms over the fixed ledgers: what the
// user sees in the tables and reads back from the PDFs.

#include <QApplication>
#include <QChart>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QRegularExpression>
#include <QTableWidget>

#include "reports/korositasformx.h"
#include "reports/letters.h"
#include "reports/penzforgalomformx.h"
#include "reports/reminderrun.h"
#include "reportwindowsfixture.h"
#include "xls/workbook.h"

TEST_F(ReportWindows, AgeingWindowTableAndStatementOnDoubleClick) {
    KorosításFormX w(ctx, Ledger::Receivables, nullptr, asOf);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Korosítás - VelaData"));
    QTableWidget* t = w.table();
    ASSERT_EQ(t->rowCount(), 6);
    EXPECT_EQ(rowText(t, 0),
              QStringLiteral("Alfa Kft. | Ft | 63 500 Ft | 0 Ft | 60 000 Ft | 0 Ft | "
                             "25 400 Ft | 148 900 Ft | 130"));
    EXPECT_EQ(rowText(t, 4), QStringLiteral("Összesen | Ft | 1 298 067 Ft | 3 000 Ft | 60 000 Ft | "
                                            "0 Ft | 25 400 Ft | 1 386 467 Ft | "));
    emit t->cellDoubleClicked(0, 0);
    EXPECT_EQ(printer.previews, 1);
    const QString pdf = printed();
    for (const char* expected :
         {"EGYENLEGKÖZLŐ", "Minta Bt.", "Adószám: 12345678-2-06", "Alfa Kft.", "Kelt: 2026.12.09.",
          "Összesen (Ft): 188 900 Ft 40 000 Ft 148 900 Ft", "ebből lejárt: 85 400 Ft",
          "A-1 1 2026.07.01. 2026.10.31. 100 000 Ft 40 000 Ft 60 000 Ft 39"})
        EXPECT_TRUE(pdf.contains(QString::fromUtf8(expected))) << expected << "\n"
                                                               << pdf.toStdString();
    // A total row names no partner.
    t->setCurrentCell(4, 0);
    w.Egyenleg_Click();
    EXPECT_EQ(printer.previews, 1);
    EXPECT_TRUE(dialogs.last()->text.startsWith(QStringLiteral("Válasszon egy partnert")));
}

TEST_F(ReportWindows, ReminderOfOnePartnerWithInterest) {
    KorosításFormX w(ctx, Ledger::Receivables, nullptr, asOf);
    w.table()->setCurrentCell(1, 0);  // Béta Zrt., EUR
    dialogs.answerInput(QStringLiteral("2026.12.17."));
    dialogs.answer(DialogService::Answer::Yes);
    w.Felszolit_Click();
    ASSERT_EQ(printer.previews, 1);
    EXPECT_EQ(dialogs.shown[0].defaultText, QStringLiteral("2026.12.17."));
    EXPECT_EQ(dialogs.shown[1].text, QStringLiteral("Számítsunk késedelmi kamatot (évi 13,5%)?"));
    const QString pdf = printed();
    for (const char* expected :
         {"FIZETÉSI FELSZÓLÍTÁS", "Béta Zrt.",
          "B-2 2026.07.01. 2026.09.30. 3 000,00 EUR 1 999,75 EUR 70 51,77 EUR",
          "B-1 2026.07.01. 2026.11.24. 1 270,50 EUR 1 270,50 EUR 15 7,05 EUR",
          "B-3 2026.07.01. 2026.12.08. 8 000 Ft 8 000 Ft 1 3 Ft", "Fizetendő: 8 003 Ft",
          "Fizetendő: 3 329,07 EUR", "legkésőbb 2026.12.17. napig", "11773016-01234567-00000000"})
        EXPECT_TRUE(pdf.contains(QString::fromUtf8(expected))) << expected << "\n"
                                                               << pdf.toStdString();
}

// A sentence wider than the page goes on over the next line instead of
// being cut at the margin: the bank account makes the payment line long.
TEST_F(ReportWindows, LongLetterLineGoesOnOverTheNextLine) {
    auto s =
        partnerStatement(*ctx.db.veladata, Ledger::Receivables, QStringLiteral("Béta Zrt."), asOf);
    ASSERT_TRUE(s);
    const Business own{QStringLiteral("Minta Bt."), QStringLiteral("6720 Szeged, Kárász utca 5."),
                       QStringLiteral("12345678-2-06"),
                       QStringLiteral("11773016-01234567-00000000"), 13.5};
    const Document doc = reminderDocument(reminderOf(*s, QDate(2026, 12, 17), true, 13.5), own);
    QStringList lines;
    for (const Line& l : doc.foot)
        for (const Cell& c : l) lines << c.text;
    const qsizetype at = lines.indexOf(QRegularExpression(QStringLiteral("Kérjük, hogy .*")));
    ASSERT_GE(at, 0) << lines.join('\n').toStdString();
    ASSERT_LT(at + 1, lines.size());
    EXPECT_FALSE(lines[at].contains(QStringLiteral("bankszámlánkra")));
    EXPECT_TRUE(lines[at + 1].endsWith(QStringLiteral("bankszámlánkra.")))
        << lines.join('\n').toStdString();
}

TEST_F(ReportWindows, BadDeadlineIsToldAndNothingPrinted) {
    KorosításFormX w(ctx, Ledger::Receivables, nullptr, asOf);
    w.table()->setCurrentCell(0, 0);
    dialogs.answerInput(QStringLiteral("2026.13.45"));
    w.Felszolit_Click();
    EXPECT_EQ(printer.previews, 0);
    EXPECT_EQ(dialogs.last()->text,
              QStringLiteral("Hibás dátum: „2026.13.45”. A dátumot így adja meg: 2026.12.17."));
}

TEST_F(ReportWindows, ReminderRunWritesOnePdfPerLatePartner) {
    const QString dir = folder.file(QStringLiteral("felszolitasok"));
    auto own = readBusiness(*ctx.db.parameters);
    ASSERT_TRUE(own);
    auto written = writeReminders(*db, *own, asOf, QDate(2026, 12, 17), true, dir);
    ASSERT_TRUE(written) << written.errorText().toStdString();
    QStringList names;
    for (const QString& p : *written) names << QFileInfo(p).fileName();
    EXPECT_EQ(names, (QStringList{"Alfa Kft.pdf", "Béta Zrt.pdf"}));
    const QString alfa = pdfreadback::pages(written->at(0)).join(QLatin1Char('\n')).simplified();
    for (const char* expected : {"A-3 2026.07.01. 2026.08.01. 25 400 Ft 25 400 Ft 130 1 221 Ft",
                                 "A-1 2026.07.01. 2026.10.31. 100 000 Ft 60 000 Ft 39 865 Ft",
                                 "Összesen (Ft): 85 400 Ft 2 086 Ft", "Fizetendő: 87 486 Ft"})
        EXPECT_TRUE(alfa.contains(QString::fromUtf8(expected))) << expected << "\n"
                                                                << alfa.toStdString();
}

TEST_F(ReportWindows, AgeingPrintPdfAndWorkbook) {
    KorosításFormX w(ctx, Ledger::Payables, nullptr, asOf);
    const QString pdf = folder.file(QStringLiteral("korositas.pdf"));
    const QString xls = folder.file(QStringLiteral("korositas.xls"));
    dialogs.answerInput(pdf);
    w.PdfMent_Click();
    const QString text = pdfreadback::pages(pdf).join(QLatin1Char('\n')).simplified();
    EXPECT_TRUE(text.contains(QStringLiteral("Epszilon Ft 0 0 0 0 45 000 45 000 162")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Összesen (Ft): 200 000 0 0 0 45 000 245 000")))
        << text.toStdString();
    dialogs.answerInput(xls);
    w.ExcelMent_Click();
    auto rows = xls::Workbook::rowCount(xls);
    ASSERT_TRUE(rows) << rows.errorText().toStdString();
    EXPECT_EQ(*rows, 1 + 3 + 2);  // headings, three lines, totals in Ft and USD
    EXPECT_FALSE(QFileInfo::exists(xls + QStringLiteral(".uj")));
}

TEST_F(ReportWindows, CashFlowTableAndHover) {
    PenzforgalomFormX w(ctx, nullptr, asOf);
    QTableWidget* t = w.table();
    ASSERT_EQ(t->rowCount(), 12 + 5);
    EXPECT_EQ(rowText(t, 0),
              QStringLiteral("1. hét (12.09.) | 2026.12.09. - 2026.12.15. | "
                             "1 335 667 Ft | 245 000 Ft | 1 090 667 Ft | 1 090 667 Ft"));
    EXPECT_EQ(rowText(t, 11).section(QStringLiteral(" | "), 5), QStringLiteral("1 141 467 Ft"));
    EXPECT_EQ(rowText(t, 12 + Over90),
              QStringLiteral("Korosítás | 90 napon túl | 25 400 Ft | 45 000 Ft |  | "));
    EXPECT_EQ(w.hoverText(nullptr, 1),
              QStringLiteral("2026.12.16. - 2026.12.22.\nBevétel (vevők): 50 800 Ft\n"
                             "Kiadás (szállítók): 0 Ft\nGöngyölt egyenleg: 1 141 467 Ft"));
    w.Nyomtat_Click();
    ASSERT_EQ(printer.previews, 1);
    EXPECT_TRUE(printed().contains(QStringLiteral("1 335 667 Ft")));
}

// The statement of a partner in each ledger, read back from its PDF: its
// lines, the settled invoice left out, the totals of each currency.
TEST_F(ReportWindows, StatementTotalsOfEachLedgerInThePdf) {
    const struct {
        Ledger ledger;
        int row;
        std::vector<const char*> expected;
        const char* absent;
    } cases[] = {
        {Ledger::Payables,
         1,  // Delta Kft., Ft
         {"Önök felé az alábbi nyitott tételeink vannak",
          "D-1 1 2026.07.01. 2026.12.15. 200 000 Ft 0 Ft 200 000 Ft",
          "D-3 3 2026.07.01. 2027.01.05. 1 000,00 USD 0,00 USD 1 000,00 USD",
          "Összesen (Ft): 200 000 Ft 0 Ft 200 000 Ft", "ebből lejárt: 0 Ft",
          "Összesen (USD): 1 000,00 USD 0,00 USD 1 000,00 USD", "ebből lejárt: 0,00 USD"},
         "D-2"},
        {Ledger::Receivables,
         1,  // Béta Zrt., EUR
         {"Önöknek az alábbi nyitott tételei vannak felénk",
          "Összesen (Ft): 8 000 Ft 0 Ft 8 000 Ft", "ebből lejárt: 8 000 Ft",
          "Összesen (EUR): 4 270,50 EUR 1 000,25 EUR 3 270,25 EUR", "ebből lejárt: 3 270,25 EUR"},
         "Alfa"},
    };
    for (const auto& c : cases) {
        KorosításFormX w(ctx, c.ledger, nullptr, asOf);
        emit w.table()->cellDoubleClicked(c.row, 0);
        const QString pdf = printed();
        for (const char* expected : c.expected)
            EXPECT_TRUE(pdf.contains(QString::fromUtf8(expected))) << expected << "\n"
                                                                   << pdf.toStdString();
        EXPECT_FALSE(pdf.contains(QString::fromUtf8(c.absent))) << pdf.toStdString();
    }
}

// "Felszólítás mindenkinek" writes into the folder the user picks; a folder
// that holds PDFs already is written into only when the user agrees, and
// Cancel writes nothing.
TEST_F(ReportWindows, ReminderRunIntoTheChosenFolder) {
    const QString dir = folder.file(QStringLiteral("valasztott"));
    const QString old = QDir(dir).filePath(QStringLiteral("Alfa Kft.pdf"));
    const struct {
        bool earlierPdf;
        const char* picked;  // nullptr: Cancel
        DialogService::Answer overwrite;
        QStringList files;
        const char* lastText;
    } cases[] = {
        {false, "valasztott", DialogService::Answer::Yes, {"Alfa Kft.pdf", "Béta Zrt.pdf"}, "2 "},
        {true, "valasztott", DialogService::Answer::No, {"Alfa Kft.pdf"}, "A(z) "},
        {true, "valasztott", DialogService::Answer::Yes, {"Alfa Kft.pdf", "Béta Zrt.pdf"}, "2 "},
        {false, nullptr, DialogService::Answer::Yes, {}, nullptr},
    };
    for (const auto& c : cases) {
        QDir(dir).removeRecursively();
        QDir().mkpath(dir);
        if (c.earlierPdf) {
            QFile f(old);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("korabbi");
        }
        dialogs.clear();
        KorosításFormX w(ctx, Ledger::Receivables, nullptr, asOf);
        if (c.picked)
            dialogs.answerFolder(folder.file(QString::fromUtf8(c.picked)));
        if (c.earlierPdf)
            dialogs.answer(c.overwrite);
        dialogs.answerInput(QStringLiteral("2026.12.17."));
        dialogs.answer(DialogService::Answer::Yes);  // interest
        w.FelszolitMind_Click();
        ASSERT_FALSE(dialogs.shown.isEmpty());
        EXPECT_EQ(dialogs.shown[0].kind, ScriptedDialogService::Shown::Kind::Folder);
        EXPECT_EQ(dialogs.shown[0].defaultText, folder.path());
        EXPECT_EQ(QDir(dir).entryList(QDir::Files, QDir::Name), c.files) << c.earlierPdf;
        if (c.lastText)
            EXPECT_TRUE(dialogs.last()->text.startsWith(QString::fromUtf8(c.lastText)))
                << dialogs.last()->text.toStdString();
        else
            EXPECT_EQ(dialogs.shown.size(), 1);
        if (c.earlierPdf) {  // kept, or the letter took its place
            EXPECT_EQ(QFileInfo(old).size() > 1000, c.overwrite == DialogService::Answer::Yes);
        }
    }
}

// The ageing chart's bucket labels read whole on screen at the window's
// first size and on the printed page, whose charts do not depend on it.
TEST_F(ReportWindows, AgeingChartLabelsReadWhole) {
    PenzforgalomFormX w(ctx, nullptr, asOf);
    w.show();
    QApplication::processEvents();
    QStringList shown;
    for (QGraphicsItem* item : w.ageingChart()->scene()->items())
        if (auto* t = dynamic_cast<QGraphicsTextItem*>(item))
            shown << t->toPlainText().simplified();
    QStringList words;
    for (int b = 0; b < kBucketCount; ++b) {
        EXPECT_TRUE(shown.contains(bucketCaption(b))) << shown.join(" | ").toStdString();
        words << bucketCaption(b).split(QLatin1Char(' '));
    }
    w.hide();
    w.resize(300, 300);  // the page keeps its own size
    dialogs.answerInput(folder.file(QStringLiteral("penzforgalom.pdf")));
    w.PdfMent_Click();
    QStringList printedWords;
    for (const pdfreadback::Word& word :
         pdfreadback::words(folder.file(QStringLiteral("penzforgalom.pdf"))))
        printedWords << word.text;
    for (const QString& word : words)
        EXPECT_TRUE(printedWords.contains(word)) << word.toStdString();
    EXPECT_FALSE(printedWords.join(' ').contains(QStringLiteral("...")));
    EXPECT_FALSE(printedWords.join(' ').contains(QChar(0x2026)));
}
