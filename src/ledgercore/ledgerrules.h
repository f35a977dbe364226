#pragma once

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QString>
#include <QVariant>
#include <functional>
#include <optional>

#include "ledgercore/ledgerkind.h"
#include "ledgercore/ledgerrow.h"
#include "storage/query.h"

namespace vela::ledger {

// ------------------------------------------------------------ numbering

// The row identifier of a row made at a moment: the date's digits without
// leading zeros, then the seconds since midnight as a single-precision
// number (seven significant digits, decimal comma).
QString newRowId(const QDateTime& when);
// The identifier of the moment, or of the first later millisecond whose
// identifier is not taken.
QString freeRowId(QDateTime when, const std::function<bool(const QString&)>& taken);
// The sequence number after the highest one stored (null: the table is empty).
qint64 nextSorszam(const QVariant& highest);

// ------------------------------------------------------------ new row, amounts

// A new row as the ledger window starts it: zero amounts, bank statement
// "0", open ("N"), every date today. Number and identifier come at insert.
LedgerRow newRow(const QDate& today);

// amount * (100 + VAT rate) / 100: 100 at 10 % is 110, not 110.00000000000001.
double grossFromNet(double amount, double vatRate);
// The net amount a gross one stands for: gross * 100 / (100 + VAT rate).
double netFromGross(double gross, double vatRate);

// The save's amounts: "átutalás E" settles the row; a positive net and a
// positive partial amount get their gross values (an empty rate counts as 0 %).
void applySaveAmounts(LedgerRow& row);
// After the save: an empty settled flag is "N", flag and currency in capitals.
void tidySaved(LedgerRow& row);

// ------------------------------------------------------------ the settled flag

// "I" (settled), "N" (open) or empty; anything else is refused.
bool isSettledFlag(const QString& flag);
// The column rule of the flag: rewrites it to capitals, false to refuse it.
bool settledFlagRule(QVariant& value);
// The flag a row of this payment method starts with.
QString flagForPayment(const QString& paymentMethod);

// ------------------------------------------------------------ settling

// How a row was settled; an empty member leaves the row's value as it is.
struct Settlement {
    QString bankStatement;  // BankiKivonatSzáma
    QDate paidOn;           // BankiKiegyenlitésKelte
    QDate performedOn;      // Teljesités
};
void settle(LedgerRow& row, const Settlement& how);

// A partial payment against a row. Without an amount the base row's amounts
// are taken as they stand (the window's duplication, edited afterwards).
struct PartialPayment {
    std::optional<double> amount;  // RészÖsszeg of the payment row
    QString bankStatement;
    QDate paidOn;
    // The gross amount paid (a bank transfer): RészÖsszegBruttó is exactly
    // this and RészÖsszeg the net it stands for; it takes the place of amount.
    std::optional<double> paidGross;
    QDate performedOn;  // Teljesités; empty as the duplication leaves it
};
// The payment row: the base row's columns up to Részkiegyenlités (its
// payment method, partial totals, performance date and partial gross start
// empty), the new identifier, marked as a partial row.
LedgerRow partialPaymentRow(const LedgerRow& base, const PartialPayment& payment,
                            const QString& rowId);

// An invoice still to be paid: a row that is no partial payment and not
// settled (its flag "N", "n" or empty: the check pass makes an empty one "N").
bool isOpenInvoice(const LedgerRow& row);
// The same as a condition.
Condition openInvoices();
// The partial payments made so far on the open invoices: the partial rows
// that are not settled. They share their invoice's sequence number.
Condition openPartialPayments();

// ------------------------------------------------------------ the service passes

// The check pass over one row: an empty flag becomes "N", an "átutalás E"
// row "I"; Brutto and RészÖsszegBruttó from Netto and RészÖsszeg with the
// VAT rate (a missing amount counts as 0); onlyPositive: each only when its
// amount is above 0. Without a VAT rate the gross values stay and noRate
// tells it.
struct CheckOutcome {
    bool noRate = false;
};
CheckOutcome checkRow(LedgerRow& row, bool onlyPositive);

// The per-invoice partial total of a row with an invoice number: the sum of
// the positive partial amounts of all rows with that number, 0 when none.
// No value for a row without an invoice number. An invoice number is one
// invoice whatever its letter case: sums is keyed by the numbers folded
// (vela::foldCase), as rows::sumsBy gives them.
std::optional<double> partialTotalFor(const LedgerRow& row, const QHash<QString, double>& sums);

// ------------------------------------------------------------ the outstanding figure

// What the outstanding figure sums for a ledger: the open gross amount over
// its rows less the open partial gross over its rows.
struct OutstandingRule {
    Amount gross;
    Condition grossWhere;
    Amount partial;
    Condition partialWhere;
    static const OutstandingRule& of(LedgerKind kind);
};
// The rows whose amounts a filter's figure sums: of the rows it names, the
// gross of the open rows ("N") that are no partial payment, less the partial
// gross of all its open rows.
struct OutstandingWhere {
    Condition gross;
    Condition partial;
};
OutstandingWhere outstandingWithin(const Condition& rows);
// Open as the figures count it: the flag is "N".
Condition openRows();
// Rows that are not partial payments of another row.
Condition notPartialRows();
// Rows not settled: the flag is "N", "n" or empty.
Condition unsettledRows();

// The figure from the two sums (a null sum counts as 0).
double outstanding(const QVariant& grossSum, const QVariant& partialSum);
// As Label27 shows it: "4600.-".
QString outstandingText(double figure);

// The figure summed row by row, as the ledger print does over its copied
// rows: an open row ("N") with a partial gross counts that gross less, any
// other open row its gross; settled rows count nothing.
class OutstandingTally {
  public:
    void add(const QVariant& settledFlag, const QVariant& gross, const QVariant& partialGross);
    double figure() const { return gross_ - partial_; }

  private:
    double gross_ = 0;
    double partial_ = 0;
};

}  // namespace vela::ledger
