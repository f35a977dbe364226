#pragma once

#include <QSet>
#include <QString>
#include <QStringView>
#include <utility>
#include <vector>

#include "import/bankamount.h"
#include "import/bankstatement.h"

namespace vela {

enum class OpenLedger { Payables, Receivables };

// An open invoice of a ledger as the matcher sees it: its base row, with what
// its part-payment rows already paid.
struct OpenItem {
    OpenLedger ledger = OpenLedger::Receivables;
    qint64 key = 0;  // the row's key in its table
    qint64 sorszam = 0;
    QString invoiceNumber;
    QString partnerName;
    BankAmount gross;
    BankAmount paid;
    QString currency;

    BankAmount remaining() const { return gross - paid; }
};

// A partner of the register with its bank account (BerSzamlaszam).
struct PartnerAccount {
    QString name;
    QString account;
};

enum class ProposalKind {
    None,           // nothing to propose: the user books it by hand, or not at all
    Whole,          // settles one invoice
    Part,           // pays part of one invoice
    Several,        // pays several invoices
    AlreadyBooked,  // booked from this statement before
};

// What the proposal rests on, strongest first.
enum class MatchBasis { None, InvoiceNumber, Account, Name };

struct ProposalLine {
    int item = -1;         // index into the matcher's items
    BankAmount amount;     // what this transaction pays on it
    bool settles = false;  // the invoice is paid in full with it
};

// The matcher's proposal for one transaction. One that is not sure (more
// money than is open, a number on several rows, a guess from the name alone,
// less money than the invoices named) is shown but never booked unless the
// user confirms it.
struct Proposal {
    ProposalKind kind = ProposalKind::None;
    MatchBasis basis = MatchBasis::None;
    bool sure = false;
    std::vector<ProposalLine> lines;
    BankAmount excess;  // paid beyond what was open
    QString note;       // why it is not sure, or why there is nothing (Hungarian)
};

// Proposes for each transaction of a bank statement which open invoices it
// pays: credits against receivables, debits against payables. It looks, in
// this order, for invoice numbers in the remittance text, then for the
// counterparty's account in the partner register, then for the
// counterparty's name; amounts decide between a whole, a part and several
// payments. It reads and writes nothing: the open rows, the partners and
// what was booked before come in as values, proposals go out as values.
class StatementMatcher {
  public:
    StatementMatcher(std::vector<OpenItem> items, const std::vector<PartnerAccount>& partners);

    const std::vector<OpenItem>& items() const { return items_; }

    // One proposal per entry of the statement, in its order. An invoice a
    // transaction pays is not offered again to a later one beyond what is
    // left open. bookedReferences holds the bookingReference() of every
    // transaction booked before.
    std::vector<Proposal> match(const BankStatement& statement,
                                const QSet<QString>& bookedReferences) const;

    // The normal forms compared. An invoice number: letters folded, blanks,
    // '/', '-', '.' and leading zeros ignored, words such as "számla",
    // "szla", "SZ", "INV" in front dropped; empty when fewer than three
    // digits are written (too short to be found in a text safely).
    static QString invoiceKey(QStringView number);
    // A Hungarian account: its 24 digits (16-digit accounts padded with
    // zeros, a HU IBAN unwrapped), hyphens and blanks ignored; other
    // accounts upper case without blanks.
    static QString accountKey(QStringView account);
    // A name folded for case and accents, company forms (Kft., Bt., Zrt.,
    // Nyrt.) and punctuation dropped.
    static QString nameKey(QStringView name);

  private:
    struct Context;
    Proposal propose(const StatementEntry& entry, Context& ctx) const;
    std::vector<std::vector<int>> numberHits(const QString& text, const Context& ctx) const;
    std::vector<int> lookup(const std::vector<quint64>& index, size_t hash) const;

    std::vector<OpenItem> items_;
    std::vector<QString> currencies_;  // normalized, per item
    // The upper half of a key's hash above the item index, sorted: a million
    // rows in two flat arrays of plain numbers. Every hit is checked against
    // the key itself, so two keys that share the half only cost a look.
    std::vector<quint64> numberIndex_;
    std::vector<quint64> nameIndex_;
    std::vector<QString> itemNameKeys_;
    std::vector<std::pair<size_t, QString>> accountIndex_;  // account key hash -> name key
};

}  // namespace vela
