#pragma once

#include <QDate>
#include <QString>
#include <array>
#include <vector>

#include "base/result.h"
#include "reports/openitems.h"

namespace vela::reports {

// The buckets of days past the due date.
enum Bucket { NotDue = 0, Days1To30, Days31To60, Days61To90, Over90, kBucketCount };
using Buckets = std::array<double, kBucketCount>;

// The bucket of a number of days past due (0 or less: not yet due).
Bucket bucketOf(int daysPast);
// "Nem esedékes", "1–30 nap", ...
QString bucketCaption(int bucket);

struct AgeingLine {
    QString partner;
    QString currency;
    Buckets buckets{};
    int oldestDays = 0;  // days past due of the partner's oldest late item; 0 when none
    double total() const;
    double overdue() const;  // all but NotDue
};

struct AgeingTotal {
    QString currency;
    Buckets buckets{};
    double total() const;
};

struct AgeingReport {
    Ledger ledger = Ledger::Receivables;
    QDate asOf;
    // One line per partner and currency, the most overdue first: the oldest
    // late item, then the name (amounts of two currencies do not compare).
    std::vector<AgeingLine> lines;
    std::vector<AgeingTotal> totals;  // per currency, the forint first
};

// The open gross of the ledger per partner and currency in buckets of days
// past Datumig as of asOf; one pass over the open rows. A row without a due
// date is not late: it counts as not yet due.
Result<AgeingReport> ageing(Database& db, Ledger ledger, const QDate& asOf);

}  // namespace vela::reports
