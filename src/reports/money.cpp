#include "reports/money.h"

#include <cmath>

namespace vela::reports {

QString currencyKey(const QString& written) {
    const QString c = written.trimmed().toUpper();
    if (c == QLatin1String("FT") || c == QLatin1String("HUF"))
        return QStringLiteral("Ft");
    return c;
}

int decimalsOf(const QString& currency) {
    return currencyKey(currency) == QLatin1String("Ft") ? 0 : 2;
}

double roundTo(double amount, const QString& currency) {
    const double scale = std::pow(10.0, decimalsOf(currency));
    // A small nudge keeps 0,125 stored as 0,12499... rounding up, as on paper.
    const double r = std::round(amount * scale + (amount >= 0 ? 1e-7 : -1e-7)) / scale;
    return r == 0 ? 0.0 : r;
}

QString figure(double amount, const QString& currency) {
    const int decimals = decimalsOf(currency);
    const double r = roundTo(amount, currency);
    const bool negative = r < 0;
    QString digits = QString::number(std::fabs(r), 'f', decimals);
    QString whole = digits.section(QLatin1Char('.'), 0, 0);
    const QString fraction = decimals > 0 ? digits.section(QLatin1Char('.'), 1, 1) : QString();
    for (int at = int(whole.size()) - 3; at > 0; at -= 3) whole.insert(at, QLatin1Char(' '));
    QString out = negative ? QStringLiteral("-") + whole : whole;
    if (decimals > 0)
        out += QLatin1Char(',') + fraction;
    return out;
}

QString money(double amount, const QString& currency) {
    const QString key = currencyKey(currency);
    if (key.isEmpty())
        return figure(amount, key);
    return figure(amount, key) + QLatin1Char(' ') + key;
}

QString dateText(const QDate& date) {
    return date.isValid() ? date.toString(QStringLiteral("yyyy.MM.dd.")) : QString();
}

QDate isoDate(const QString& stored) {
    return QDate::fromString(stored.left(10), Qt::ISODate);
}

QString currencyCaption(const QString& currency) {
    return currency.isEmpty() ? QStringLiteral("(nincs devizanem)") : currency;
}

}  // namespace vela::reports
