#include "reports/reminder.h"

#include <QCollator>
#include <QLocale>
#include <QSet>
#include <algorithm>

#include "reports/ageing.h"
#include "reports/money.h"

namespace vela::reports {

double lateInterest(double open, int days, double yearlyRate, const QString& currency) {
    if (days <= 0 || yearlyRate <= 0 || open <= 0)
        return 0;
    return roundTo(open * yearlyRate / 100.0 * days / 365.0, currency);
}

Reminder reminderOf(const PartnerStatement& s, const QDate& deadline, bool withInterest,
                    double yearlyRate) {
    Reminder r;
    r.partner = s.partner;
    r.address = s.address;
    r.asOf = s.asOf;
    r.deadline = deadline;
    r.withInterest = withInterest;
    r.yearlyRate = yearlyRate;
    for (const StatementLine& l : s.lines) {
        if (l.daysOverdue <= 0 || roundTo(l.open(), l.currency) <= 0)
            continue;
        ReminderItem item{
            l, withInterest ? lateInterest(l.open(), l.daysOverdue, yearlyRate, l.currency) : 0.0};
        r.items.push_back(item);
        auto t = std::find_if(r.totals.begin(), r.totals.end(),
                              [&](const ReminderTotal& x) { return x.currency == l.currency; });
        if (t == r.totals.end()) {
            r.totals.push_back({l.currency});
            t = r.totals.end() - 1;
        }
        t->open += l.open();
        t->interest += item.interest;
    }
    std::stable_partition(r.totals.begin(), r.totals.end(),
                          [](const ReminderTotal& t) { return t.currency == QLatin1String("Ft"); });
    return r;
}

Result<QStringList> partnersWithOverdue(Database& db, const QDate& asOf) {
    auto report = ageing(db, Ledger::Receivables, asOf);
    if (!report)
        return report.error();
    QSet<QString> seen;
    QStringList out;
    for (const AgeingLine& l : report->lines) {
        if (l.oldestDays > 0 && roundTo(l.overdue(), l.currency) > 0 && !seen.contains(l.partner)) {
            seen.insert(l.partner);
            out << l.partner;
        }
    }
    QCollator hu(QLocale(QLocale::Hungarian, QLocale::Hungary));
    std::sort(out.begin(), out.end(),
              [&](const QString& a, const QString& b) { return hu.compare(a, b) < 0; });
    return out;
}

}  // namespace vela::reports
