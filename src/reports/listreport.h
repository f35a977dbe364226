#pragma once

#include <QDate>
#include <QString>
#include <vector>

#include "base/result.h"
#include "reports/openitems.h"

namespace vela::reports {

// One row of the ledger as the list report prints it.
struct ListLine {
    qint64 sequence = 0;
    QString invoice;
    QString partner;
    QDate issued;
    QDate due;
    QString currency;
    double gross = 0;  // 0 on a part-payment row: its base row holds the invoice's gross
    double paid = 0;   // the row's part-payment gross
    double open = 0;   // by the outstanding figure's rule: 0 once settled
    int daysOverdue = 0;
};

struct ListReport {
    Ledger ledger = Ledger::Receivables;
    QDate asOf;
    std::vector<ListLine> lines;         // in the order of the query
    std::vector<CurrencyTotals> totals;  // per currency; overdue: open past due
};

// The rows of shown (the grid's query) with their figures; one read.
Result<ListReport> listReport(Database& db, Ledger ledger, const Query& shown, const QDate& asOf);

}  // namespace vela::reports
