#include "reports/ageing.h"

#include <QHash>
#include <algorithm>
#include <cmath>

#include "reports/money.h"

namespace vela::reports {

Bucket bucketOf(int days) {
    if (days <= 0)
        return NotDue;
    if (days <= 30)
        return Days1To30;
    if (days <= 60)
        return Days31To60;
    if (days <= 90)
        return Days61To90;
    return Over90;
}

QString bucketCaption(int bucket) {
    static const QString captions[kBucketCount] = {
        QStringLiteral("Nem esedékes"), QStringLiteral("1–30 nap"), QStringLiteral("31–60 nap"),
        QStringLiteral("61–90 nap"), QStringLiteral("90 napon túl")};
    return bucket >= 0 && bucket < kBucketCount ? captions[bucket] : QString();
}

namespace {
double sum(const Buckets& b, int from) {
    double s = 0;
    for (int i = from; i < kBucketCount; ++i) s += b[size_t(i)];
    return s;
}
}  // namespace

double AgeingLine::total() const {
    return sum(buckets, 0);
}
double AgeingLine::overdue() const {
    return sum(buckets, Days1To30);
}
double AgeingTotal::total() const {
    return sum(buckets, 0);
}

Result<AgeingReport> ageing(Database& db, Ledger ledger, const QDate& asOf) {
    const OpenRule rule = openRule();
    auto pass = openRowsPass(db, tableOf(ledger));
    if (!pass)
        return pass.error();
    auto sums = sumByKeys(db, tableOf(ledger), {"CegNev", "Devizanem", "Datumig"},
                          {rule.gross, rule.paid}, *pass);
    if (!sums)
        return sums.error();
    AgeingReport r;
    r.ledger = ledger;
    r.asOf = asOf;
    QHash<QString, int> lineOf;
    QHash<QString, QDate> dayCache;
    for (const KeyedSum& g : *sums) {
        const QString currency = currencyKey(g.keys[1]);
        const QString partner = g.keys[0].trimmed();
        const QString id = partner + QChar(0x1f) + currency;
        auto at = lineOf.constFind(id);
        if (at == lineOf.constEnd()) {
            at = lineOf.insert(id, int(r.lines.size()));
            r.lines.push_back({partner, currency});
        }
        AgeingLine& line = r.lines[size_t(*at)];
        auto day = dayCache.constFind(g.keys[2]);
        if (day == dayCache.constEnd())
            day = dayCache.insert(g.keys[2], isoDate(g.keys[2]));
        const int days = daysPast(*day, asOf);
        const double open = g.sums[0] - g.sums[1];
        line.buckets[bucketOf(days)] += open;
        if (days > line.oldestDays && std::fabs(roundTo(open, currency)) > 0)
            line.oldestDays = days;
    }
    std::erase_if(r.lines, [](const AgeingLine& l) {
        return std::all_of(l.buckets.begin(), l.buckets.end(),
                           [&](double v) { return roundTo(v, l.currency) == 0; });
    });
    std::sort(r.lines.begin(), r.lines.end(), [](const AgeingLine& a, const AgeingLine& b) {
        if (a.oldestDays != b.oldestDays)
            return a.oldestDays > b.oldestDays;
        if (a.partner != b.partner)
            return a.partner.localeAwareCompare(b.partner) < 0;
        return a.currency < b.currency;
    });
    for (const AgeingLine& l : r.lines) {
        auto t = std::find_if(r.totals.begin(), r.totals.end(),
                              [&](const AgeingTotal& x) { return x.currency == l.currency; });
        if (t == r.totals.end()) {
            r.totals.push_back({l.currency});
            t = r.totals.end() - 1;
        }
        for (int i = 0; i < kBucketCount; ++i) t->buckets[size_t(i)] += l.buckets[size_t(i)];
    }
    std::sort(r.totals.begin(), r.totals.end(), [](const AgeingTotal& a, const AgeingTotal& b) {
        const bool fa = a.currency == QLatin1String("Ft"), fb = b.currency == QLatin1String("Ft");
        if (fa != fb)
            return fa;
        return a.currency < b.currency;
    });
    return r;
}

}  // namespace vela::reports
