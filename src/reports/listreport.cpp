#include "reports/listreport.h"

#include <algorithm>

#include "ledgercore/ledgerrules.h"
#include "reports/money.h"

namespace vela::reports {

Result<ListReport> listReport(Database& db, Ledger ledger, const Query& shown, const QDate& asOf) {
    const OpenRule rule = openRule();
    const QList<GroupedSum::Part> parts{
        {Amount{"Brutto"}, ledger::notPartialRows()},
        {Amount{"RészÖsszegBruttó"}, {}},
        rule.gross,
        rule.paid,
    };
    auto sums = sumByKeys(
        db, tableOf(ledger),
        {"recordID", "Sorszám", "Szamlaszam", "CegNev", "Datumtol", "Datumig", "Devizanem"}, parts,
        shown.where, shown.order);
    if (!sums)
        return sums.error();
    ListReport r;
    r.ledger = ledger;
    r.asOf = asOf;
    std::vector<StatementLine> forTotals;
    for (const KeyedSum& g : *sums) {
        ListLine l;
        l.sequence = g.keys[1].toLongLong();
        l.invoice = g.keys[2];
        l.partner = g.keys[3];
        l.issued = isoDate(g.keys[4]);
        l.due = isoDate(g.keys[5]);
        l.currency = currencyKey(g.keys[6]);
        l.gross = g.sums[0];
        l.paid = g.sums[1];
        l.open = g.sums[2] - g.sums[3];
        if (roundTo(l.open, l.currency) != 0)
            l.daysOverdue = std::max(0, daysPast(l.due, asOf));
        r.lines.push_back(l);
        StatementLine t;
        t.currency = l.currency;
        t.gross = l.gross;
        t.paid = l.paid;
        t.daysOverdue = l.daysOverdue;
        forTotals.push_back(t);
    }
    r.totals = totalsOf(forTotals);
    // The open total follows the rule, not gross less paid: settled rows owe nothing.
    for (CurrencyTotals& t : r.totals) {
        t.open = 0;
        t.overdue = 0;
    }
    for (const ListLine& l : r.lines) {
        auto t = std::find_if(r.totals.begin(), r.totals.end(),
                              [&](const CurrencyTotals& x) { return x.currency == l.currency; });
        t->open += l.open;
        if (l.daysOverdue > 0)
            t->overdue += l.open;
    }
    return r;
}

}  // namespace vela::reports
