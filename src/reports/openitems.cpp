#include "reports/openitems.h"

#include <QHash>
#include <QStringList>
#include <algorithm>
#include <cmath>

#include "ledgercore/ledgerrules.h"
#include "reports/money.h"
#include "storage/columns.h"
#include "storage/database.h"
#include "storage/rowaccess.h"

namespace vela::reports {

using C = Condition;

const TableDef& tableOf(Ledger ledger) {
    return ledger == Ledger::Payables ? schema::velaData() : schema::velanakData();
}

QString ledgerCaption(Ledger ledger) {
    return ledger == Ledger::Payables ? QStringLiteral("Tartozunk (Szállító)")
                                      : QStringLiteral("Tartoznak (Vevő)");
}

OpenRule openRule() {
    const ledger::OutstandingWhere where = ledger::outstandingWithin({});
    return {{Amount{"Brutto"}, where.gross},
            {Amount{"RészÖsszegBruttó"}, where.partial},
            ledger::openRows()};
}

Result<Condition> openRowsPass(Database& db, const TableDef& table) {
    const Condition open = ledger::openRows();
    const Result<qint64> openCount = rows::count(db, Query(table, open));
    if (!openCount)
        return openCount.error();
    const Result<qint64> all = rows::count(db, Query(table));
    if (!all)
        return all.error();
    if (*openCount * 3 < *all)
        return open;
    return Condition{};
}

int daysPast(const QDate& due, const QDate& asOf) {
    if (!due.isValid() || !asOf.isValid())
        return 0;
    return int(due.daysTo(asOf));
}

Condition partnerRows(const QString& partner) {
    return partner.isEmpty() ? C::isEmpty("CegNev") : C::equals("CegNev", partner);
}

std::vector<CurrencyTotals> totalsOf(const std::vector<StatementLine>& lines) {
    std::vector<CurrencyTotals> out;
    for (const StatementLine& l : lines) {
        auto at = std::find_if(out.begin(), out.end(),
                               [&](const CurrencyTotals& t) { return t.currency == l.currency; });
        if (at == out.end()) {
            out.push_back({l.currency});
            at = out.end() - 1;
        }
        at->gross += l.gross;
        at->paid += l.paid;
        at->open += l.open();
        if (l.daysOverdue > 0)
            at->overdue += l.open();
    }
    std::stable_partition(out.begin(), out.end(), [](const CurrencyTotals& t) {
        return t.currency == QLatin1String("Ft");
    });
    return out;
}

Result<PartnerStatement> partnerStatement(Database& db, Ledger ledger, const QString& partner,
                                          const QDate& asOf) {
    const OpenRule rule = openRule();
    const TableDef& table = tableOf(ledger);
    auto sums = sumByKeys(db, table,
                          {"Sorszám", "Szamlaszam", "Devizanem", "Datumtol", "Datumig", "CegCim"},
                          {rule.gross, rule.paid}, rule.rows && partnerRows(partner));
    if (!sums)
        return sums.error();
    PartnerStatement s;
    s.ledger = ledger;
    s.partner = partner;
    s.asOf = asOf;
    QHash<QString, int> lineOf;
    for (const KeyedSum& g : *sums) {
        if (s.address.isEmpty())
            s.address = g.keys[5].trimmed();
        StatementLine l;
        l.sequence = g.keys[0].toLongLong();
        l.invoice = g.keys[1];
        l.currency = currencyKey(g.keys[2]);
        l.issued = isoDate(g.keys[3]);
        l.due = isoDate(g.keys[4]);
        l.gross = g.sums[0];
        l.paid = g.sums[1];
        l.daysOverdue = std::max(0, daysPast(l.due, asOf));
        // The same invoice split only by an address typed differently (or
        // a currency's spelling) is one line.
        const QString same =
            QStringList{g.keys[0], g.keys[1], l.currency, g.keys[3], g.keys[4]}.join(QChar(0x1f));
        if (const auto at = lineOf.constFind(same); at != lineOf.constEnd()) {
            s.lines[size_t(*at)].gross += l.gross;
            s.lines[size_t(*at)].paid += l.paid;
        } else {
            lineOf.insert(same, int(s.lines.size()));
            s.lines.push_back(l);
        }
    }
    std::erase_if(s.lines, [](const StatementLine& l) {
        return std::fabs(roundTo(l.open(), l.currency)) == 0;
    });
    std::sort(s.lines.begin(), s.lines.end(), [](const StatementLine& a, const StatementLine& b) {
        // No due date reads as due today: after the dated ones of the past.
        const QDate da = a.due.isValid() ? a.due : QDate(9999, 12, 31);
        const QDate db = b.due.isValid() ? b.due : QDate(9999, 12, 31);
        if (da != db)
            return da < db;
        if (a.invoice != b.invoice)
            return a.invoice < b.invoice;
        return a.sequence < b.sequence;
    });
    s.totals = totalsOf(s.lines);
    return s;
}

}  // namespace vela::reports
