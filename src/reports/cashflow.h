#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <vector>

#include "base/result.h"
#include "reports/ageing.h"
#include "reports/openitems.h"

namespace vela::reports {

constexpr int kCashFlowWeeks = 12;

struct CashWeek {
    QDate first;  // the week's first and last day
    QDate last;
    double receipts = 0;  // open receivables due in the week
    double payments = 0;  // open payables due in the week
    double net() const { return receipts - payments; }
    double balance = 0;  // running: the nets of this and the weeks before
};

struct CashFlow {
    QDate from;
    QString currency;
    QStringList currencies;  // every currency with open items, the forint first
    // Twelve weeks of seven days from `from`; the first also takes what is
    // already late and what has no due date. Items due later are left out.
    std::vector<CashWeek> weeks;
    // The ageing totals of the currency in each ledger as of `from`, from the
    // same passes.
    AgeingTotal receivablesAgeing;
    AgeingTotal payablesAgeing;
};

// Expected receipts and payments of one currency per week from a day, and
// the ageing totals beside them; one pass over each ledger.
Result<CashFlow> cashFlow(Database& db, const QDate& from, const QString& currency);

}  // namespace vela::reports
