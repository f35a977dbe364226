// The reports' figures over the fixed ledgers, each worked out by hand from
// the rows in reportsfixture.h.

#include <QStringList>

#include "reports/ageing.h"
#include "reports/cashflow.h"
#include "reports/listreport.h"
#include "reports/money.h"
#include "reports/reminder.h"
#include "reportsfixture.h"
#include "storage/columns.h"

using namespace vela::reports;

namespace {

// A line of an ageing as text: partner, currency, the five buckets, oldest days.
QString lineText(const AgeingLine& l) {
    QStringList parts{l.partner, l.currency};
    for (double v : l.buckets) parts << money(v, l.currency);
    parts << QString::number(l.oldestDays);
    return parts.join(QStringLiteral(" | "));
}

QString totalText(const AgeingTotal& t) {
    QStringList parts{t.currency};
    for (double v : t.buckets) parts << money(v, t.currency);
    parts << money(t.total(), t.currency);
    return parts.join(QStringLiteral(" | "));
}

}  // namespace

TEST(Money, GroupedWithTheCurrencysDecimals) {
    struct Case {
        double amount;
        const char* currency;
        const char* text;
    } cases[] = {
        {1234567, "Ft", "1 234 567 Ft"},
        {1234567.4, "HUF", "1 234 567 Ft"},
        {34847.97, "EUR", "34 847,97 EUR"},
        {-1200, "ft", "-1 200 Ft"},
        {0.125, "EUR", "0,13 EUR"},
        {-0.001, "EUR", "0,00 EUR"},
        {999, "Ft", "999 Ft"},
        {1000.5, "", "1 000,50"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(money(c.amount, QString::fromUtf8(c.currency)), QString::fromUtf8(c.text))
            << c.amount;
    EXPECT_EQ(dateText(QDate(2026, 12, 9)), QStringLiteral("2026.12.09."));
    EXPECT_EQ(dateText(QDate()), QString());
}

TEST(Ageing, BucketEdges) {
    const std::pair<int, Bucket> cases[] = {{-5, NotDue},     {0, NotDue},      {1, Days1To30},
                                            {30, Days1To30},  {31, Days31To60}, {60, Days31To60},
                                            {61, Days61To90}, {90, Days61To90}, {91, Over90}};
    for (const auto& [days, bucket] : cases) EXPECT_EQ(bucketOf(days), bucket) << days;
}

// The figures stand whichever way the pass finds the open rows: over all
// rows while they are a third or more of the ledger, through the index of
// Kivezetés once rows of earlier years that the rule does not count (flag
// "I", "i" or empty) outnumber them.
class AgeingPasses : public ReportsFixture, public ::testing::WithParamInterface<int> {
  protected:
    void SetUp() override {
        ReportsFixture::SetUp();
        for (int i = 0; i < GetParam(); ++i) {
            const vela::Status s = db->exec(
                QStringLiteral("INSERT INTO VelanakData (Sorszám, recordID, CegNev, Brutto, "
                               "Datumig, Devizanem, Kivezetés) VALUES (?, ?, 'Alfa Kft.', 5000, "
                               "'2025-03-01', 'Ft', ?)"),
                {100 + i, QStringLiteral("old%1").arg(i), QStringList{"I", "i", ""}[i % 3]});
            ASSERT_TRUE(s) << s.errorText().toStdString();
        }
    }
};
INSTANTIATE_TEST_SUITE_P(SettledRows, AgeingPasses, ::testing::Values(0, 40));

TEST_P(AgeingPasses, AgeingOfTheReceivables) {
    auto r = ageing(*db, Ledger::Receivables, asOf);
    ASSERT_TRUE(r) << r.errorText().toStdString();
    QStringList lines;
    for (const AgeingLine& l : r->lines) lines << lineText(l);
    EXPECT_EQ(lines, (QStringList{
                         "Alfa Kft. | Ft | 63 500 Ft | 0 Ft | 60 000 Ft | 0 Ft | 25 400 Ft | 130",
                         "Béta Zrt. | EUR | 0,00 EUR | 1 270,50 EUR | 0,00 EUR | 1 999,75 EUR | "
                         "0,00 EUR | 70",
                         "Gamma Bt. | Ft | 1 234 567 Ft | -5 000 Ft | 0 Ft | 0 Ft | 0 Ft | 30",
                         "Béta Zrt. | Ft | 0 Ft | 8 000 Ft | 0 Ft | 0 Ft | 0 Ft | 1",
                     }));
    QStringList totals;
    for (const AgeingTotal& t : r->totals) totals << totalText(t);
    EXPECT_EQ(totals,
              (QStringList{
                  "Ft | 1 298 067 Ft | 3 000 Ft | 60 000 Ft | 0 Ft | 25 400 Ft | 1 386 467 Ft",
                  "EUR | 0,00 EUR | 1 270,50 EUR | 0,00 EUR | 1 999,75 EUR | 0,00 EUR | "
                  "3 270,25 EUR",
              }));
}

TEST_F(ReportsFixture, AgeingOfThePayables) {
    auto r = ageing(*db, Ledger::Payables, asOf);
    ASSERT_TRUE(r) << r.errorText().toStdString();
    QStringList lines;
    for (const AgeingLine& l : r->lines) lines << lineText(l);
    // D-2 is paid in full by its part payment: nothing late is left of Delta.
    EXPECT_EQ(lines, (QStringList{
                         "Epszilon | Ft | 0 Ft | 0 Ft | 0 Ft | 0 Ft | 45 000 Ft | 162",
                         "Delta Kft. | Ft | 200 000 Ft | 0 Ft | 0 Ft | 0 Ft | 0 Ft | 0",
                         "Delta Kft. | USD | 1 000,00 USD | 0,00 USD | 0,00 USD | 0,00 USD | "
                         "0,00 USD | 0",
                     }));
}

TEST_F(ReportsFixture, StatementLinesAndTotals) {
    struct Case {
        Ledger ledger;
        const char* partner;
        QStringList lines;   // number, due, gross, paid, open, days
        QStringList totals;  // currency, gross, paid, open, overdue
    } cases[] = {
        {Ledger::Receivables,
         "Alfa Kft.",
         {"A-3 2026.08.01. 25 400 Ft 0 Ft 25 400 Ft 130",
          "A-1 2026.10.31. 100 000 Ft 40 000 Ft 60 000 Ft 39",
          "A-2 2026.12.20. 50 800 Ft 0 Ft 50 800 Ft 0", "A-5  12 700 Ft 0 Ft 12 700 Ft 0"},
         {"Ft 188 900 Ft 40 000 Ft 148 900 Ft 85 400 Ft"}},
        {Ledger::Receivables,
         "Béta Zrt.",
         {"B-2 2026.09.30. 3 000,00 EUR 1 000,25 EUR 1 999,75 EUR 70",
          "B-1 2026.11.24. 1 270,50 EUR 0,00 EUR 1 270,50 EUR 15",
          "B-3 2026.12.08. 8 000 Ft 0 Ft 8 000 Ft 1"},
         {"Ft 8 000 Ft 0 Ft 8 000 Ft 8 000 Ft",
          "EUR 4 270,50 EUR 1 000,25 EUR 3 270,25 EUR 3 270,25 EUR"}},
        {Ledger::Payables,
         "Delta Kft.",
         {"D-1 2026.12.15. 200 000 Ft 0 Ft 200 000 Ft 0",
          "D-3 2027.01.05. 1 000,00 USD 0,00 USD 1 000,00 USD 0"},
         {"Ft 200 000 Ft 0 Ft 200 000 Ft 0 Ft", "USD 1 000,00 USD 0,00 USD 1 000,00 USD 0,00 USD"}},
    };
    for (const Case& c : cases) {
        auto s = partnerStatement(*db, c.ledger, QString::fromUtf8(c.partner), asOf);
        ASSERT_TRUE(s) << s.errorText().toStdString();
        QStringList lines, totals;
        for (const StatementLine& l : s->lines)
            lines << QStringLiteral("%1 %2 %3 %4 %5 %6")
                         .arg(l.invoice, dateText(l.due), money(l.gross, l.currency),
                              money(l.paid, l.currency), money(l.open(), l.currency))
                         .arg(l.daysOverdue);
        for (const CurrencyTotals& t : s->totals)
            totals << QStringLiteral("%1 %2 %3 %4 %5")
                          .arg(t.currency, money(t.gross, t.currency), money(t.paid, t.currency),
                               money(t.open, t.currency), money(t.overdue, t.currency));
        EXPECT_EQ(lines, c.lines) << c.partner;
        EXPECT_EQ(totals, c.totals) << c.partner;
        EXPECT_EQ(s->address, QStringLiteral("1111 Budapest, Fő utca 1."));
    }
}

TEST_F(ReportsFixture, ReminderItemsAndInterest) {
    struct Case {
        const char* partner;
        bool withInterest;
        QStringList items;   // number, open, days, interest
        QStringList totals;  // currency, open, interest, due
    } cases[] = {
        {"Béta Zrt.",
         true,
         {"B-2 1 999,75 EUR 70 51,77 EUR", "B-1 1 270,50 EUR 15 7,05 EUR", "B-3 8 000 Ft 1 3 Ft"},
         {"Ft 8 000 Ft 3 Ft 8 003 Ft", "EUR 3 270,25 EUR 58,82 EUR 3 329,07 EUR"}},
        {"Alfa Kft.",
         true,
         {"A-3 25 400 Ft 130 1 221 Ft", "A-1 60 000 Ft 39 865 Ft"},
         {"Ft 85 400 Ft 2 086 Ft 87 486 Ft"}},
        {"Alfa Kft.",
         false,
         {"A-3 25 400 Ft 130 0 Ft", "A-1 60 000 Ft 39 0 Ft"},
         {"Ft 85 400 Ft 0 Ft 85 400 Ft"}},
        // The credit note is late but owes nothing: no item.
        {"Gamma Bt.", true, {}, {}},
    };
    for (const Case& c : cases) {
        auto s = partnerStatement(*db, Ledger::Receivables, QString::fromUtf8(c.partner), asOf);
        ASSERT_TRUE(s);
        const Reminder r = reminderOf(*s, QDate(2026, 12, 17), c.withInterest, 13.5);
        QStringList items, totals;
        for (const ReminderItem& i : r.items)
            items << QStringLiteral("%1 %2 %3 %4")
                         .arg(i.line.invoice, money(i.line.open(), i.line.currency))
                         .arg(i.line.daysOverdue)
                         .arg(money(i.interest, i.line.currency));
        for (const ReminderTotal& t : r.totals)
            totals << QStringLiteral("%1 %2 %3 %4")
                          .arg(t.currency, money(t.open, t.currency), money(t.interest, t.currency),
                               money(t.due(), t.currency));
        EXPECT_EQ(items, c.items) << c.partner;
        EXPECT_EQ(totals, c.totals) << c.partner;
    }
    auto partners = partnersWithOverdue(*db, asOf);
    ASSERT_TRUE(partners);
    EXPECT_EQ(*partners, (QStringList{"Alfa Kft.", "Béta Zrt."}));
}

TEST_P(AgeingPasses, CashFlowWeeks) {
    struct Case {
        const char* currency;
        QStringList weeks;        // "week: receipts payments balance" for the weeks with a change
        const char* receivables;  // the ageing totals beside the weeks
        const char* payables;
    } cases[] = {
        {"Ft",
         {"1: 1 335 667 Ft 245 000 Ft 1 090 667 Ft", "2: 50 800 Ft 0 Ft 1 141 467 Ft"},
         "Ft | 1 298 067 Ft | 3 000 Ft | 60 000 Ft | 0 Ft | 25 400 Ft | 1 386 467 Ft",
         "Ft | 200 000 Ft | 0 Ft | 0 Ft | 0 Ft | 45 000 Ft | 245 000 Ft"},
        {"HUF",
         {"1: 1 335 667 Ft 245 000 Ft 1 090 667 Ft", "2: 50 800 Ft 0 Ft 1 141 467 Ft"},
         "Ft | 1 298 067 Ft | 3 000 Ft | 60 000 Ft | 0 Ft | 25 400 Ft | 1 386 467 Ft",
         "Ft | 200 000 Ft | 0 Ft | 0 Ft | 0 Ft | 45 000 Ft | 245 000 Ft"},
        {"EUR",
         {"1: 3 270,25 EUR 0,00 EUR 3 270,25 EUR"},
         "EUR | 0,00 EUR | 1 270,50 EUR | 0,00 EUR | 1 999,75 EUR | 0,00 EUR | 3 270,25 EUR",
         "EUR | 0,00 EUR | 0,00 EUR | 0,00 EUR | 0,00 EUR | 0,00 EUR | 0,00 EUR"},
        {"USD",
         {"4: 0,00 USD 1 000,00 USD -1 000,00 USD"},
         "USD | 0,00 USD | 0,00 USD | 0,00 USD | 0,00 USD | 0,00 USD | 0,00 USD",
         "USD | 1 000,00 USD | 0,00 USD | 0,00 USD | 0,00 USD | 0,00 USD | 1 000,00 USD"},
    };
    for (const Case& c : cases) {
        auto f = cashFlow(*db, asOf, QString::fromUtf8(c.currency));
        ASSERT_TRUE(f) << f.errorText().toStdString();
        ASSERT_EQ(f->weeks.size(), 12u);
        EXPECT_EQ(f->currencies, (QStringList{"Ft", "EUR", "USD"}));
        EXPECT_EQ(f->weeks[0].first, asOf);
        EXPECT_EQ(f->weeks[11].last, QDate(2027, 3, 2));
        QStringList changed;
        double before = 0;
        for (size_t i = 0; i < f->weeks.size(); ++i) {
            const CashWeek& w = f->weeks[i];
            if (w.receipts != 0 || w.payments != 0)
                changed << QStringLiteral("%1: %2 %3 %4")
                               .arg(i + 1)
                               .arg(money(w.receipts, f->currency), money(w.payments, f->currency),
                                    money(w.balance, f->currency));
            else
                EXPECT_EQ(w.balance, before) << i;
            before = w.balance;
        }
        EXPECT_EQ(changed, c.weeks) << c.currency;
        EXPECT_EQ(totalText(f->receivablesAgeing), QString::fromUtf8(c.receivables));
        EXPECT_EQ(totalText(f->payablesAgeing), QString::fromUtf8(c.payables));
    }
}

TEST_F(ReportsFixture, ListReportTotalsOfTheShownRows) {
    using C = vela::Condition;
    struct Case {
        vela::Condition shown;
        int lines;
        QStringList totals;  // currency, gross, paid, open, overdue
    } cases[] = {
        {{},
         12,
         {"Ft 1 526 466 Ft 40 000 Ft 1 386 467 Ft 88 400 Ft",
          "EUR 4 270,50 EUR 1 000,25 EUR 3 270,25 EUR 3 270,25 EUR"}},
        {C::equals("CegNev", QStringLiteral("Gamma Bt.")),
         2,
         {"Ft 1 229 567 Ft 0 Ft 1 229 567 Ft -5 000 Ft"}},
    };
    for (const Case& c : cases) {
        const vela::Query q(vela::schema::velanakData(), c.shown, {{"Sorszám"}, {"recordID"}});
        auto l = listReport(*db, Ledger::Receivables, q, asOf);
        ASSERT_TRUE(l) << l.errorText().toStdString();
        EXPECT_EQ(int(l->lines.size()), c.lines);
        QStringList totals;
        for (const CurrencyTotals& t : l->totals)
            totals << QStringLiteral("%1 %2 %3 %4 %5")
                          .arg(t.currency, money(t.gross, t.currency), money(t.paid, t.currency),
                               money(t.open, t.currency), money(t.overdue, t.currency));
        EXPECT_EQ(totals, c.totals);
    }
}
