#include "ledgercore/ledgerrules.h"

#include <QLocale>

#include "base/textrules.h"
#include "storage/values.h"

namespace vela::ledger {

namespace {

const QString kTransferSettled = QStringLiteral("átutalás E");

double orZero(const std::optional<double>& v) {
    return v.value_or(0.0);
}

}  // namespace

QString newRowId(const QDateTime& when) {
    const QDate d = when.date();
    // The date's digits without leading zeros, read as a number and written back.
    const QString dateDigits = QString::number(
        (QString::number(d.year()) + QString::number(d.month()) + QString::number(d.day()))
            .toLongLong());
    // Seconds since midnight as a single-precision number: at most seven
    // significant digits, the decimal comma, no grouping.
    const float seconds = float(when.time().msecsSinceStartOfDay()) / 1000.0f;
    QLocale hu(QLocale::Hungarian, QLocale::Hungary);
    hu.setNumberOptions(QLocale::OmitGroupSeparator);
    const QString secondsText = hu.toString(double(seconds), 'g', 7);
    return (dateDigits + secondsText).trimmed();
}

QString freeRowId(QDateTime when, const std::function<bool(const QString&)>& taken) {
    QString id = newRowId(when);
    // Seven significant digits of seconds tell apart a hundredth of a second
    // late in the day: step on a millisecond at a time until the text moves.
    while (taken(id)) {
        const QString was = id;
        while (id == was) {
            when = when.addMSecs(1);
            id = newRowId(when);
        }
    }
    return id;
}

qint64 nextSorszam(const QVariant& highest) {
    bool ok = false;
    const double d = highest.toDouble(&ok);
    return (highest.isNull() || !ok ? 0 : qint64(d)) + 1;
}

LedgerRow newRow(const QDate& today) {
    LedgerRow r;
    r.bankiKivonatSzama = QStringLiteral("0");
    r.netto = 0.0;
    r.afa = 0.0;
    r.brutto = 0.0;
    r.kivezetes = QStringLiteral("N");
    r.datumtol = r.datumig = r.adatfelvetel = r.teljesites = r.bankiKiegyenlitesKelte = today;
    return r;
}

double grossFromNet(double amount, double vatRate) {
    return amount * (100 + vatRate) / 100;
}

double netFromGross(double gross, double vatRate) {
    return gross * 100 / (100 + vatRate);
}

void applySaveAmounts(LedgerRow& row) {
    if (row.fizetesModja == kTransferSettled)
        row.kivezetes = QStringLiteral("I");
    const double rate = orZero(row.afa);
    if (orZero(row.reszOsszeg) > 0)
        row.reszOsszegBrutto = grossFromNet(*row.reszOsszeg, rate);
    if (orZero(row.netto) > 0)
        row.brutto = grossFromNet(*row.netto, rate);
}

void tidySaved(LedgerRow& row) {
    if (row.kivezetes.isEmpty())
        row.kivezetes = QStringLiteral("N");
    row.kivezetes = row.kivezetes.toUpper();
    if (!row.devizanem.isNull())
        row.devizanem = row.devizanem.toUpper();
}

bool isSettledFlag(const QString& flag) {
    return flag.isEmpty() || flag == QLatin1String("I") || flag == QLatin1String("N");
}

bool settledFlagRule(QVariant& value) {
    if (value.isNull())
        return true;
    const QString flag = value.toString().toUpper();
    value = flag;
    return isSettledFlag(flag);
}

QString flagForPayment(const QString& paymentMethod) {
    return paymentMethod == kTransferSettled ? QStringLiteral("I") : QStringLiteral("N");
}

void settle(LedgerRow& row, const Settlement& how) {
    row.kivezetes = QStringLiteral("I");
    if (!how.bankStatement.isEmpty())
        row.bankiKivonatSzama = how.bankStatement;
    if (how.paidOn.isValid())
        row.bankiKiegyenlitesKelte = how.paidOn;
    if (how.performedOn.isValid())
        row.teljesites = how.performedOn;
}

LedgerRow partialPaymentRow(const LedgerRow& base, const PartialPayment& payment,
                            const QString& rowId) {
    LedgerRow r = base;
    r.fizetesModja = QString();
    r.reszosszegOsszesen.reset();
    r.teljesites = QDate();
    r.reszOsszegBrutto.reset();
    r.recordId = rowId;
    r.reszkiegyenlites = true;
    if (payment.paidGross) {
        r.reszOsszeg = netFromGross(*payment.paidGross, orZero(base.afa));
        r.reszOsszegBrutto = *payment.paidGross;
    } else if (payment.amount) {
        r.reszOsszeg = *payment.amount;
        r.reszOsszegBrutto = grossFromNet(*payment.amount, orZero(base.afa));
    }
    if (!payment.bankStatement.isEmpty())
        r.bankiKivonatSzama = payment.bankStatement;
    if (payment.paidOn.isValid())
        r.bankiKiegyenlitesKelte = payment.paidOn;
    if (payment.performedOn.isValid())
        r.teljesites = payment.performedOn;
    return r;
}

bool isOpenInvoice(const LedgerRow& row) {
    return !row.reszkiegyenlites &&
           (row.kivezetes.isEmpty() ||
            row.kivezetes.compare(QLatin1String("N"), Qt::CaseInsensitive) == 0);
}

Condition openInvoices() {
    return unsettledRows() && notPartialRows();
}

Condition openPartialPayments() {
    return unsettledRows() && !notPartialRows();
}

CheckOutcome checkRow(LedgerRow& row, bool onlyPositive) {
    CheckOutcome out;
    if (row.kivezetes.isEmpty())
        row.kivezetes = QStringLiteral("N");
    if (row.fizetesModja == kTransferSettled)
        row.kivezetes = QStringLiteral("I");
    if (!row.afa) {
        out.noRate = true;
        return out;
    }
    const double net = orZero(row.netto), partial = orZero(row.reszOsszeg);
    if (!onlyPositive || net > 0)
        row.brutto = grossFromNet(net, *row.afa);
    if (!onlyPositive || partial > 0)
        row.reszOsszegBrutto = grossFromNet(partial, *row.afa);
    return out;
}

std::optional<double> partialTotalFor(const LedgerRow& row, const QHash<QString, double>& sums) {
    if (row.szamlaszam.isEmpty())
        return std::nullopt;
    return sums.value(vela::foldCase(row.szamlaszam), 0.0);
}

const OutstandingRule& OutstandingRule::of(LedgerKind kind) {
    using C = Condition;
    // Payables count every row whose flag is "N", "n", empty or null, less
    // their partial payments; receivables the open rows that are not
    // partial-payment rows.
    static const OutstandingRule payables{{QStringLiteral("Brutto"), QStringLiteral("RészÖsszeg")},
                                          unsettledRows(),
                                          {QStringLiteral("RészÖsszegBruttó")},
                                          C::equals("Kivezetés", "N")};
    static const OutstandingRule receivables{
        {QStringLiteral("Brutto")},
        C::equals("Kivezetés", "N") && C::equals("Részkiegyenlités", 0),
        {QStringLiteral("RészÖsszegBruttó")},
        C::equals("Kivezetés", "N")};
    return kind == LedgerKind::Payables ? payables : receivables;
}

Condition openRows() {
    return Condition::equals(QStringLiteral("Kivezetés"), QStringLiteral("N"));
}

Condition unsettledRows() {
    using C = Condition;
    return C::equals("Kivezetés", "N") || C::equals("Kivezetés", "n") || C::isEmpty("Kivezetés");
}

Condition notPartialRows() {
    return Condition::equals(QStringLiteral("Részkiegyenlités"), 0);
}

OutstandingWhere outstandingWithin(const Condition& rows) {
    return {rows && openRows() && notPartialRows(), rows && openRows()};
}

double outstanding(const QVariant& grossSum, const QVariant& partialSum) {
    auto orZero = [](const QVariant& v) {
        bool ok = false;
        const double d = v.toDouble(&ok);
        return v.isNull() || !ok ? 0.0 : d;
    };
    return orZero(grossSum) - orZero(partialSum);
}

QString outstandingText(double figure) {
    return values::formatNumber(figure) + QStringLiteral(".-");
}

void OutstandingTally::add(const QVariant& settledFlag, const QVariant& gross,
                           const QVariant& partialGross) {
    if (settledFlag.toString() != QStringLiteral("N"))
        return;
    const double pg = outstanding(partialGross, {});
    if (pg == 0)
        gross_ += outstanding(gross, {});
    else
        partial_ += pg;
}

}  // namespace vela::ledger
