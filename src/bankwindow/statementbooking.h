#pragma once

#include <QDate>
#include <QDateTime>
#include <QSet>
#include <QString>
#include <functional>
#include <vector>

#include "base/result.h"
#include "import/bankstatement.h"
#include "import/statementmatcher.h"

namespace vela {

class Database;
struct TableDef;

// What the user confirmed for one transaction of a statement: the invoices
// it pays and how much of each.
struct BookingOrder {
    struct Line {
        OpenLedger ledger = OpenLedger::Receivables;
        qint64 key = 0;  // the base row's rowid
        BankAmount amount;
        bool settles = false;  // the invoice is paid in full: settle it
    };
    const StatementEntry* entry = nullptr;
    std::vector<Line> lines;
};

struct BookingOutcome {
    int booked = 0;            // transactions booked now
    int alreadyBooked = 0;     // transactions found booked from this statement before
    int settledRows = 0;       // invoices settled
    int partRows = 0;          // part-payment rows made
    QSet<QString> references;  // the transactions booked now (StatementEntry::reference)
};

// Books the confirmed transactions of a bank statement into the ledgers of
// veladata.mdb in one transaction, through the ledger book's own bookings: a
// whole payment settles its invoice ("Kivezetés" "I", the statement's number,
// the booking and the value date), a part payment adds the duplication's
// part-payment row with the paid amount. Each booked transaction is recorded
// with what it settled, so the same statement read again books nothing
// twice. Any row that cannot be written undoes the whole booking.
class StatementBooking {
  public:
    using Clock = std::function<QDateTime()>;

    explicit StatementBooking(Database& veladata);
    void setClock(Clock clock) { clock_ = std::move(clock); }

    Result<BookingOutcome> book(const BankStatement& statement,
                                const std::vector<BookingOrder>& orders, const QDate& today);

    static const TableDef& ledgerTable(OpenLedger ledger);

  private:
    Database& db_;
    Clock clock_;
};

}  // namespace vela
