#pragma once

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>
#include <functional>

#include "base/result.h"
#include "ledgercore/ledgerrow.h"
#include "ledgercore/ledgerrules.h"
#include "ledgercore/stagedinvoice.h"
#include "storage/rowaccess.h"

namespace vela {

class Database;
struct TableDef;

// The ledger's bookings over one ledger table: adding a numbered row,
// settling a row, booking a partial payment against it, handing over staged
// invoices and the two service passes. Each booking is one transaction that
// takes the writer at its start, so what it reads (the highest sequence
// number, the identifiers in use) cannot change under it; a booking that
// fails writes nothing (the hand-over keeps the rows before a refused one).
// A book made to join the caller's transaction opens none for add, settle,
// settleInvoice and bookPartialPayment: many bookings then stand or fall
// together, and the caller commits them or rolls them back after a failure.
// The hand-over and the passes always hold their own.
//
// A row is named by its key, the record source's bookmark.
//
//     LedgerBook book(*ctx.db.veladata, schema::velaData());
//     if (const Status s = book.settle(rows.bookmark(), {"12/2024", today, {}}); !s)
//         showDatabaseError(s.errorText());
class LedgerBook {
  public:
    // The moment now (tests fix it) and the identifier of a row made then.
    using Clock = std::function<QDateTime()>;
    using RowIdMaker = std::function<QString(const QDateTime&)>;

    enum class Transaction {
        Own,     // each booking in a transaction of its own
        Joined,  // inside the transaction the caller holds open
    };

    LedgerBook(Database& db, const TableDef& ledger, Transaction transaction = Transaction::Own);

    void setClock(Clock clock) { clock_ = std::move(clock); }
    const TableDef& table() const { return table_; }

    // Numbers a row about to be inserted: Sorszám one above the highest
    // stored, recordID the moment's identifier or the next free one of its
    // form. Only inside a write transaction (the record source's insert hook).
    [[nodiscard]] Status number(QHash<QString, QVariant>& values);
    // number() as a record source's insert hook.
    std::function<Status(QHash<QString, QVariant>&)> insertHook();

    // Adds row numbered as above; the new row's key.
    Result<qint64> add(const LedgerRow& row);

    // Settles the row with key: flag "I" and what how names.
    [[nodiscard]] Status settle(qint64 key, const ledger::Settlement& how);
    // Settles an invoice paid to the end: its row as settle() does, and its
    // open partial-payment rows (its sequence number) take the flag "I" with
    // it, so that the outstanding figure no longer takes their amounts off.
    [[nodiscard]] Status settleInvoice(qint64 key, const ledger::Settlement& how);

    struct Booked {
        qint64 key = -1;  // the payment row
        QString rowId;    // its identifier
    };
    // Books a partial payment against the row with key: a new partial row
    // with the base row's sequence number (ledger::partialPaymentRow) and an
    // identifier no other row of that number has. With a scratch table the
    // same row is also written there (the window's copy).
    Result<Booked> bookPartialPayment(qint64 key, const ledger::PartialPayment& payment,
                                      const TableDef* scratch = nullptr);

    struct HandedOver {
        int written = 0;
        qint64 firstSorszam = 0;  // the sequence number of the first row written
        // A row that could not be written stopped the hand-over after `written` rows.
        bool stopped = false;
        qsizetype failedAt = -1;   // that row's place among the invoices handed over
        qint64 failedInvoice = 0;  // the staged invoice number of that row
        QString failedWhy;         // why it could not be written
    };
    // One new open ledger row per staged invoice, numbered on from the
    // highest sequence number, in one transaction. Identifiers are made
    // afresh whenever the clock has moved on a millisecond. A row that cannot
    // be written stops the hand-over; the rows before it stay. A failure
    // before the first row, or of the closing commit, stops it at the first
    // invoice with none written.
    Result<HandedOver> handOver(const QList<StagedInvoice>& invoices, const RowIdMaker& newRowId);

    // The ledger row the i-th of a hand-over's invoices becomes, numbered
    // sorszam, with the row identifier rowId, made today.
    using RowMaker = std::function<LedgerRow(qsizetype i, qint64 sorszam, const QString& rowId,
                                             const QDate& today)>;
    // The same hand-over for count invoices of another source, whose rows
    // rowAt makes in their order (they may carry a note). Inside a
    // transaction already open the rows join it and its owner commits.
    Result<HandedOver> handOver(qsizetype count, const RowMaker& rowAt, const RowIdMaker& newRowId);

    // The partial-totals pass over the rows of shown (ledger::partialTotalFor).
    Result<PassCounts> writePartialTotals(const Condition& shown,
                                          const std::function<void()>& onFailedRow = {});
    // The check pass over the rows of shown (ledger::checkRow).
    Result<PassCounts> checkRows(const Condition& shown, bool onlyPositive,
                                 const std::function<void()>& onFailedRow = {});

  private:
    // Settles the row with key inside the open transaction; the row as it
    // was before.
    Result<LedgerRow> settleRow(qint64 key, const ledger::Settlement& how);
    // The moment's identifier, or the next one that no row of within has.
    Result<QString> freeRowId(const QDateTime& when, const Condition& within = {});
    template <class T>
    Result<T> inTransaction(const std::function<Result<T>()>& work);

    Database& db_;
    const TableDef& table_;
    Transaction transaction_;
    Clock clock_;
};

}  // namespace vela
