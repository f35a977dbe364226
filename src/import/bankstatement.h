#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "base/result.h"
#include "import/bankamount.h"

namespace vela {

// One side of a transfer as the bank names it.
struct StatementParty {
    QString name;
    QString account;  // an IBAN, or the bank's other identification
};

// One transaction of a statement. An entry the bank booked as one amount
// for several transactions (a batch) is split into one StatementEntry per
// transaction; entryIndex, transactionIndex and transactionCount tell where
// it came from.
struct StatementEntry {
    int entryIndex = 0;  // 0-based position of the entry in its statement
    int transactionIndex = 0;
    int transactionCount = 1;

    // What this transaction moved: the transaction's own amount when the
    // entry was split, the entry's otherwise.
    BankAmount amount;
    QString currency;
    bool credit = false;  // money came in

    // The entry as booked.
    BankAmount entryAmount;
    QString entryCurrency;
    bool reversal = false;
    QString status;  // BOOK, PDNG, INFO
    QDate bookingDate;
    QDate valueDate;
    QString servicerReference;  // the bank's reference of the entry
    QString entryReference;     // the entry's own reference, unique in the statement
    QString additionalInfo;

    // The transaction's details.
    std::optional<BankAmount> transactionAmount;
    QString transactionCurrency;
    QString endToEndId;
    StatementParty debtor;
    StatementParty creditor;
    QStringList unstructured;          // free remittance lines
    QStringList structuredReferences;  // creditor references, referred document numbers
    QString additionalTransactionInfo;

    // The other party: who paid us for a credit, whom we paid for a debit.
    const StatementParty& counterparty() const { return credit ? debtor : creditor; }
    // Every remittance text, free lines first, one blank between.
    QString remittanceText() const;
    // Names this transaction within its statement, the same on every reading:
    // the entry's reference, else the bank's, else its position; a split
    // entry's transactions add their number.
    QString reference() const;
};

// A bank's statement of one account over one period.
struct BankStatement {
    QString sourceName;  // the file it was read from
    int version = 0;     // camt.053.001.NN; 0 for a CSV statement
    QString messageId;
    QString id;
    QString electronicSequence;
    QString legalSequence;
    QDateTime created;
    QString account;
    QString accountCurrency;
    QString accountName;
    std::vector<StatementEntry> entries;

    // What goes onto a settled row as the statement's number: the legal
    // sequence number the bank prints, else the statement's id.
    QString number() const { return legalSequence.isEmpty() ? id : legalSequence; }
};

// What the ledger stores to know a transaction was booked: statement id and
// the transaction's reference.
QString bookingReference(const BankStatement& statement, const StatementEntry& entry);

// Refuses a statement file that is missing, not a plain file, or larger than
// maxBytes, before a reader spends a byte on it.
Status checkStatementFile(const QString& path, qint64 maxBytes);

}  // namespace vela
