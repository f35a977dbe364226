#pragma once

#include <QDate>
#include <QString>
#include <optional>

#include "base/result.h"
#include "import/navinvoice.h"

namespace vela {

// Which ledger an Online Számla invoice belongs in, seen from the business.
enum class NavLedger {
    Payables,    // we are the customer: "Tartozunk (Szállító)", table VelaData
    Receivables  // we are the supplier: "Tartoznak (Vevő)", table VelanakData
};

// What the document does to the ledger.
enum class NavEntryKind { Invoice, Advance, Modification, Cancellation };

// One ledger row made from an invoice: the values named after the ledger's
// columns. Sequence number, row identifier, data-entry date and settled flag
// are the hand-over's to give.
struct NavLedgerEntry {
    NavLedger ledger = NavLedger::Payables;
    NavEntryKind kind = NavEntryKind::Invoice;
    QString Szamlaszam;
    QString CegNev;
    QString CegCim;
    QString Megnevezes;
    double Netto = 0;
    std::optional<double> AFA;  // per cent; empty when the invoice has more than one rate or none
    double Brutto = 0;
    QDate Datumtol;
    QDate Datumig;
    QString Devizanem;
    QString FizetesModja;  // FizetésMódja
    QString Megjegyzes;    // Megjegyzés

    // For the "already in the ledger" check and the partner lookup.
    QString partnerTaxNumber;  // the partner's 8 digits; empty for a private person
    QString originalInvoiceNumber;
    QString navTransactionId;
};

// A partner as the register (beraktar) would get it, named after its columns.
struct NavPartnerRecord {
    QString BerNev;
    QString BerIrszam;
    QString BerSzekhely;
    QString BerCim;
    QString BerAdoszam;  // "99887764-2-02"
    QString BerEUAdoszam;
    QString BerSzamlaszam;
};

// What the mapping needs of the business.
struct NavBusiness {
    QString ownTaxNumber;                         // SajatAdoszam: the 8 digits of our tax number
    QString homeCurrency = QStringLiteral("Ft");  // DevizaNem: how the ledger writes forints
};

// The ledger's present figures of the invoice a modification refers to
// (its own row and the modifications already handed over, less what has been
// settled), when the original is in the ledger.
struct NavOriginalFigures {
    double netto = 0;
    double brutto = 0;
    double invoicedBrutto = 0;  // the original invoice's own gross, for telling a cancellation
};

// Turns Online Számla invoices into ledger rows and partner records: a pure
// rule over typed values, so it can be checked without a database.
class NavLedgerMapper {
  public:
    // The ledger row of invoice for business; original, when given, is what
    // the ledger holds of the invoice a modification refers to.
    static Result<NavLedgerEntry> map(const NavInvoice& invoice, const NavBusiness& business,
                                      const std::optional<NavOriginalFigures>& original = {});

    // The partner of the row (the customer of our invoice, the supplier of an
    // invoice to us); empty for a partner without a tax number.
    static std::optional<NavPartnerRecord> partner(const NavInvoice& invoice, NavLedger ledger);

    // The 8 digits of a tax number written any way ("12345678-2-41",
    // "HU12345678"); empty when there are not 8 leading digits.
    static QString taxpayerDigits(const QString& written);

    // "átutalás", "készpénzes" ... for an Online Számla payment method.
    static QString paymentText(const QString& method);
};

}  // namespace vela
