#pragma once

#include <QString>
#include <QStringView>
#include <QtGlobal>
#include <optional>

namespace vela {

// An exact signed amount of money in hundred-thousandths: a bank statement's
// amount has at most five decimals, so comparisons never meet the rounding
// noise of binary floating point. 18 digits fit, the most a statement holds.
class BankAmount {
  public:
    static constexpr int kDecimals = 5;
    static constexpr qint64 kScale = 100000;

    constexpr BankAmount() = default;
    static constexpr BankAmount fromUnits(qint64 units) { return BankAmount(units); }
    // A ledger's REAL figure, rounded to the nearest unit; nullopt when it is
    // not finite or too large.
    static std::optional<BankAmount> fromDouble(double value);
    // "-1234.56", "+7", "0.12345": an optional sign, digits, one decimal point
    // (the given one) and up to five decimals; nothing else.
    static std::optional<BankAmount> parse(QStringView text, QChar decimalPoint = u'.');

    constexpr qint64 units() const { return units_; }
    // Rounded half away from zero to the given number of decimals, in those
    // minor units (2 decimals: cents).
    qint64 toMinor(int decimals) const;
    // The amount rounded to the given number of decimals.
    BankAmount rounded(int decimals) const;
    double toDouble() const { return double(units_) / double(kScale); }
    // "1234.5", "-0.01": a point, no grouping, no trailing zeros.
    QString toString() const;

    constexpr bool isZero() const { return units_ == 0; }
    constexpr bool isNegative() const { return units_ < 0; }
    constexpr BankAmount abs() const { return BankAmount(units_ < 0 ? -units_ : units_); }

    friend constexpr BankAmount operator+(BankAmount a, BankAmount b) {
        return BankAmount(a.units_ + b.units_);
    }
    friend constexpr BankAmount operator-(BankAmount a, BankAmount b) {
        return BankAmount(a.units_ - b.units_);
    }
    constexpr BankAmount operator-() const { return BankAmount(-units_); }
    BankAmount& operator+=(BankAmount o) {
        units_ += o.units_;
        return *this;
    }
    BankAmount& operator-=(BankAmount o) {
        units_ -= o.units_;
        return *this;
    }
    friend constexpr auto operator<=>(BankAmount, BankAmount) = default;

  private:
    constexpr explicit BankAmount(qint64 units) : units_(units) {}
    qint64 units_ = 0;
};

// Currency codes as the ledgers and the banks write them.
namespace currency {

// Upper case, trimmed; "Ft", "FT" and "HUF" are one currency, "HUF".
QString normalized(const QString& code);
// The decimals of ISO 4217 (2 unless the code is known to differ).
int isoDecimals(const QString& code);
// The smallest unit a payment is settled in: whole forints (the fillér left
// circulation long ago and transfers are made in forints), ISO elsewhere.
int settlementDecimals(const QString& code);

}  // namespace currency

}  // namespace vela
