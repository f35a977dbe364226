#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <optional>

namespace vela {

// A postal address of an Online Számla invoice, as the ledger and the
// partner register want it: the street part already run together.
struct NavAddress {
    QString countryCode;
    QString postalCode;
    QString city;
    QString street;  // street, kind, number, building ... or the simple address's detail
};

// The supplier or the customer of an invoice.
struct NavParty {
    QString taxpayerId;  // the 8 digits of the Hungarian tax number
    QString vatCode;
    QString countyCode;
    QString groupMemberTaxpayerId;  // the member's 8 digits when a VAT group is the party
    QString communityVatNumber;     // EU tax number, "DE888888888"
    QString thirdStateTaxId;
    QString vatStatus;  // customerVatStatus: DOMESTIC, OTHER, PRIVATE_PERSON
    QString name;
    NavAddress address;
    QString bankAccount;

    // "12345678-2-41", or the 8 digits alone when the rest is not given.
    QString taxNumberText() const;
};

// One VAT rate of an invoice: a percentage, or a case without one
// (exemption, out of scope, reverse charge ...), named by its element.
struct NavVatRate {
    std::optional<double> percent;  // 27 for 27 %
    QString other;  // "vatExemption", "vatOutOfScope" ... when there is no percentage

    bool operator==(const NavVatRate& o) const { return percent == o.percent && other == o.other; }
};

struct NavLine {
    int number = 0;
    QString description;
    std::optional<NavVatRate> rate;
    double net = 0;  // in the invoice's currency; 0 when the line states none
    double vat = 0;
    double gross = 0;
    bool advance = false;           // advanceIndicator: the line is an advance
    bool advanceDeduction = false;  // it carries advancePaymentData: an earlier advance deducted
};

// What a modification or cancellation document refers to.
struct NavReference {
    QString originalInvoiceNumber;
    int modificationIndex = 0;
    bool modifyWithoutMaster = false;
};

// The invoice kinds the authority knows (invoiceCategory).
enum class NavCategory { Normal, Simplified, Aggregate };

// How the document reached the authority, when known (the interface's
// invoiceOperation; a file alone does not say).
enum class NavOperation { Unknown, Create, Modify, Storno };

// One invoice (or modification document) of an InvoiceData document; a
// batch of modifications gives one per batch member.
struct NavInvoice {
    QString sourceName;  // the file (or "NAV: number") it was read from, for messages
    QString invoiceNumber;
    QDate issueDate;
    QDate deliveryDate;
    QDate paymentDate;  // invalid when the invoice gives none
    QString currencyCode;
    double exchangeRate = 1;
    QString paymentMethod;  // TRANSFER, CASH, CARD, VOUCHER, OTHER or empty
    NavCategory category = NavCategory::Normal;
    bool simplifiedAmounts = false;  // summarySimplified / lineAmountsSimplified
    NavParty supplier;
    NavParty customer;
    std::optional<NavReference> reference;
    int batchIndex = 0;  // its place in a batch of modifications; 0 outside a batch
    QList<NavLine> lines;
    QList<NavVatRate> rates;  // the summary's rates, in document order, each once
    double net = 0;           // the summary's figures in the invoice's currency
    double vat = 0;
    double gross = 0;
    NavOperation operation = NavOperation::Unknown;
    QString transactionId;  // the authority's transaction id, when it came through the interface

    // An advance invoice: every line is an advance and none deducts an
    // earlier one (a final invoice deducts them).
    bool isAdvance() const;
};

}  // namespace vela
