#include "import/jetdate.h"

#include <cmath>

namespace vela::JetDate {

namespace {

const QDate kEpoch(1899, 12, 30);
constexpr qint64 kMsPerDay = 86400000;
// 0100-01-01 and 9999-12-31 counted from the epoch.
constexpr double kFirstDay = -657434.0;
constexpr double kLastDay = 2958465.0;

}  // namespace

QDateTime toDateTime(double value) {
    if (!std::isfinite(value) || value <= kFirstDay - 1.0 || value >= kLastDay + 1.0)
        return {};
    double whole = std::trunc(value);
    qint64 ms = std::llround(std::fabs(value - whole) * double(kMsPerDay));
    if (ms >= kMsPerDay) {
        // Rounded up to midnight: the next day away from the epoch.
        ms = 0;
        whole += value < 0 ? -1.0 : 1.0;
    }
    if (whole < kFirstDay || whole > kLastDay)
        return {};
    const QDate day = kEpoch.addDays(qint64(whole));
    return QDateTime(day, QTime::fromMSecsSinceStartOfDay(int(ms)), Qt::UTC);
}

QDate toDate(double value) {
    return toDateTime(value).date();
}

double fromDateTime(const QDateTime& value) {
    const qint64 days = kEpoch.daysTo(value.date());
    const double fraction = double(value.time().msecsSinceStartOfDay()) / double(kMsPerDay);
    return days < 0 ? double(days) - fraction : double(days) + fraction;
}

QVariant dateOf(const QVariant& value) {
    switch (value.typeId()) {
        case QMetaType::QDate:
            return value;
        case QMetaType::QDateTime:
            return value.toDateTime().date();
        case QMetaType::QString: {
            // 'YYYY-MM-DD' as the stand-in keeps it, the Hungarian form with or
            // without its closing dot, either one with a time after it.
            const QString text = value.toString().trimmed();
            for (const QString& format :
                 {QStringLiteral("yyyy-MM-dd"), QStringLiteral("yyyy.MM.dd."),
                  QStringLiteral("yyyy.MM.dd")}) {
                const QDate d = QDate::fromString(text.left(format.size()), format);
                if (d.isValid() &&
                    (text.size() == format.size() || text.at(format.size()).isSpace()))
                    return d;
            }
            return value;
        }
        default:
            return value;
    }
}

}  // namespace vela::JetDate
