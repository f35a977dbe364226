#include "import/bankamount.h"

#include <cmath>

namespace vela {

namespace {

constexpr qint64 kPowers[] = {1, 10, 100, 1000, 10000, 100000};
// 13 integer digits and five decimals: the 18 digits of ISO 20022 amounts.
constexpr int kMaxIntegerDigits = 13;

}  // namespace

std::optional<BankAmount> BankAmount::fromDouble(double value) {
    if (!std::isfinite(value) || std::fabs(value) >= 1e13)
        return std::nullopt;
    return BankAmount(std::llround(value * double(kScale)));
}

std::optional<BankAmount> BankAmount::parse(QStringView text, QChar decimalPoint) {
    qsizetype i = 0;
    const bool negative = !text.isEmpty() && text[0] == u'-';
    if (!text.isEmpty() && (text[0] == u'-' || text[0] == u'+'))
        ++i;
    auto isDigit = [&](qsizetype at) {
        return at < text.size() && text[at] >= u'0' && text[at] <= u'9';
    };
    qint64 whole = 0;
    int significant = 0;
    const qsizetype wholeStart = i;
    for (; isDigit(i); ++i) {
        const int digit = text[i].unicode() - u'0';
        if (significant > 0 || digit != 0)
            ++significant;
        if (significant > kMaxIntegerDigits)
            return std::nullopt;
        whole = whole * 10 + digit;
    }
    if (i == wholeStart)
        return std::nullopt;
    qint64 fraction = 0;
    int fractionDigits = 0;
    if (i < text.size() && text[i] == decimalPoint) {
        ++i;
        for (; isDigit(i); ++i) {
            if (++fractionDigits > kDecimals)
                return std::nullopt;
            fraction = fraction * 10 + (text[i].unicode() - u'0');
        }
        // "1." is not an amount a bank writes.
        if (fractionDigits == 0)
            return std::nullopt;
    }
    if (i != text.size())
        return std::nullopt;
    const qint64 units = whole * kScale + fraction * kPowers[kDecimals - fractionDigits];
    return BankAmount(negative ? -units : units);
}

qint64 BankAmount::toMinor(int decimals) const {
    decimals = qBound(0, decimals, kDecimals);
    const qint64 step = kPowers[kDecimals - decimals];
    const qint64 a = units_ < 0 ? -units_ : units_;
    const qint64 q = (a + step / 2) / step;
    return units_ < 0 ? -q : q;
}

BankAmount BankAmount::rounded(int decimals) const {
    decimals = qBound(0, decimals, kDecimals);
    return BankAmount(toMinor(decimals) * kPowers[kDecimals - decimals]);
}

QString BankAmount::toString() const {
    const qint64 a = units_ < 0 ? -units_ : units_;
    QString out = QString::number(a / kScale);
    qint64 frac = a % kScale;
    if (frac != 0) {
        QString f = QStringLiteral("%1").arg(frac, kDecimals, 10, QLatin1Char('0'));
        while (f.endsWith(QLatin1Char('0'))) f.chop(1);
        out += QLatin1Char('.') + f;
    }
    return units_ < 0 ? QLatin1Char('-') + out : out;
}

namespace currency {

QString normalized(const QString& code) {
    const QString c = code.trimmed().toUpper();
    return c == QLatin1String("FT") ? QStringLiteral("HUF") : c;
}

int isoDecimals(const QString& code) {
    const QString c = normalized(code);
    static const char* const kNone[] = {"JPY", "KRW", "ISK", "CLP", "VND", "XAF", "XOF", "PYG",
                                        "UGX", "RWF", "KMF", "GNF", "DJF", "VUV", "XPF", "BIF"};
    static const char* const kThree[] = {"BHD", "KWD", "OMR", "JOD", "IQD", "LYD", "TND"};
    for (const char* k : kNone)
        if (c == QLatin1String(k))
            return 0;
    for (const char* k : kThree)
        if (c == QLatin1String(k))
            return 3;
    return 2;
}

int settlementDecimals(const QString& code) {
    const QString c = normalized(code);
    return c == QLatin1String("HUF") ? 0 : isoDecimals(c);
}

}  // namespace currency

}  // namespace vela
