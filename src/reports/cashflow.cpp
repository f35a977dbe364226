#include "reports/cashflow.h"

#include <QHash>
#include <algorithm>

#include "reports/money.h"

namespace vela::reports {

Result<CashFlow> cashFlow(Database& db, const QDate& from, const QString& currency) {
    CashFlow f;
    f.from = from;
    f.currency = currencyKey(currency);
    for (int w = 0; w < kCashFlowWeeks; ++w) {
        CashWeek week;
        week.first = from.addDays(7 * w);
        week.last = week.first.addDays(6);
        f.weeks.push_back(week);
    }
    const OpenRule rule = openRule();
    QHash<QString, QDate> dayCache;
    for (Ledger ledger : {Ledger::Receivables, Ledger::Payables}) {
        auto pass = openRowsPass(db, tableOf(ledger));
        if (!pass)
            return pass.error();
        auto sums = sumByKeys(db, tableOf(ledger), {"Devizanem", "Datumig"},
                              {rule.gross, rule.paid}, *pass);
        if (!sums)
            return sums.error();
        AgeingTotal& ageing =
            ledger == Ledger::Receivables ? f.receivablesAgeing : f.payablesAgeing;
        ageing.currency = f.currency;
        for (const KeyedSum& g : *sums) {
            // Settled rows only: nothing of theirs is open.
            if (g.sums[0] == 0 && g.sums[1] == 0)
                continue;
            const QString c = currencyKey(g.keys[0]);
            if (!f.currencies.contains(c))
                f.currencies << c;
            if (c != f.currency)
                continue;
            auto day = dayCache.constFind(g.keys[1]);
            if (day == dayCache.constEnd())
                day = dayCache.insert(g.keys[1], isoDate(g.keys[1]));
            const double open = g.sums[0] - g.sums[1];
            ageing.buckets[bucketOf(daysPast(*day, from))] += open;
            const qint64 offset = day->isValid() ? from.daysTo(*day) : 0;
            const qint64 week = std::max<qint64>(0, offset / 7);
            if (offset >= 7 * kCashFlowWeeks)
                continue;
            CashWeek& w = f.weeks[size_t(week)];
            (ledger == Ledger::Receivables ? w.receipts : w.payments) += open;
        }
    }
    double balance = 0;
    for (CashWeek& w : f.weeks) {
        balance += w.net();
        w.balance = balance;
    }
    std::sort(f.currencies.begin(), f.currencies.end(), [](const QString& a, const QString& b) {
        const bool fa = a == QLatin1String("Ft"), fb = b == QLatin1String("Ft");
        if (fa != fb)
            return fa;
        return a < b;
    });
    return f;
}

}  // namespace vela::reports
