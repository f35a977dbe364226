#pragma once

#include <QDate>
#include <QString>
#include <vector>

#include "base/result.h"
#include "ledgercore/ledgerkind.h"
#include "storage/groupedsum.h"
#include "storage/keyedsum.h"
#include "storage/query.h"

namespace vela {
class Database;
struct TableDef;
}  // namespace vela

namespace vela::reports {

using Ledger = LedgerKind;

const TableDef& tableOf(Ledger ledger);
// "Tartozunk (Szállító)" / "Tartoznak (Vevő)".
QString ledgerCaption(Ledger ledger);

// The outstanding figure's rule as the ledger core states it for a filter
// (ledger::outstandingWithin over every row): the gross of the open rows
// that are no part payment, less the part-payment gross of every open row.
// Because it is a difference of two sums, it holds for any grouping of the
// rows (per invoice, partner, currency, due date), and summed over the
// whole ledger it is the figure the ledger window shows for all rows. The
// one place the reports take the rule from.
struct OpenRule {
    GroupedSum::Part gross;  // sums[0]
    GroupedSum::Part paid;   // sums[1]
    Condition rows;          // the open rows: both parts lie within them
};
OpenRule openRule();
// The rows a pass over the open rows of a whole ledger reads. A ledger of
// some years is mostly settled: its open rows are found through the index
// of Kivezetés. Where the open rows are a third or more of the ledger,
// fetching each apart through the index costs more than one plain pass over
// all rows, in which the sums' own conditions leave the settled rows out
// (their groups sum to 0). The two counts come from the indexes alone.
Result<Condition> openRowsPass(Database& db, const TableDef& table);

// Days a due date lies before the day of reckoning (0 or less: not late). A
// row without a due date counts as due on the day itself: not late.
int daysPast(const QDate& due, const QDate& asOf);

// One open invoice of a partner: its base row and part payments together.
struct StatementLine {
    qint64 sequence = 0;
    QString invoice;
    QDate issued;  // Datumtol
    QDate due;     // Datumig; invalid when the row has none
    QString currency;
    double gross = 0;
    double paid = 0;
    double open() const { return gross - paid; }
    int daysOverdue = 0;  // 0 when not late
};

struct CurrencyTotals {
    QString currency;
    double gross = 0;
    double paid = 0;
    double open = 0;
    double overdue = 0;  // of open: the items past their due date
};

struct PartnerStatement {
    Ledger ledger = Ledger::Receivables;
    QString partner;
    QString address;
    QDate asOf;
    std::vector<StatementLine> lines;  // by due date, then number
    std::vector<CurrencyTotals> totals;
};

// The statement of one partner's open items in one ledger as of a day.
// Invoices whose part payments cover them (open 0) are left out.
Result<PartnerStatement> partnerStatement(Database& db, Ledger ledger, const QString& partner,
                                          const QDate& asOf);

// Totals per currency over lines, in the order the currencies first appear
// (the forint first when present).
std::vector<CurrencyTotals> totalsOf(const std::vector<StatementLine>& lines);

// The condition naming one partner's rows (a missing name: rows without one).
Condition partnerRows(const QString& partner);

}  // namespace vela::reports
