#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <vector>

#include "base/result.h"
#include "reports/openitems.h"

namespace vela::reports {

// Late-payment interest of an open amount for days late at a yearly rate in
// per cent: amount × rate / 100 × days / 365, rounded to the currency.
double lateInterest(double open, int days, double yearlyRate, const QString& currency);

struct ReminderItem {
    StatementLine line;
    double interest = 0;  // 0 unless asked for
};

struct ReminderTotal {
    QString currency;
    double open = 0;
    double interest = 0;
    double due() const { return open + interest; }
};

struct Reminder {
    QString partner;
    QString address;
    QDate asOf;      // the day the interest is reckoned to
    QDate deadline;  // the day the partner is asked to pay by
    bool withInterest = false;
    double yearlyRate = 0;
    std::vector<ReminderItem> items;  // the overdue items with something to pay
    std::vector<ReminderTotal> totals;
};

// The reminder for a receivables statement: its late items whose open
// amount is positive, each with its interest from the day after the due
// date to asOf when withInterest.
Reminder reminderOf(const PartnerStatement& statement, const QDate& deadline, bool withInterest,
                    double yearlyRate);

// The partners of the receivables with a late item to pay as of asOf, in
// Hungarian alphabetical order.
Result<QStringList> partnersWithOverdue(Database& db, const QDate& asOf);

}  // namespace vela::reports
