#pragma once

#include <QDate>
#include <QString>
#include <cstdint>
#include <vector>

#include "base/connection.h"
#include "base/result.h"
#include "storage/columns.h"

namespace vela::demo {

enum class LedgerSide { Payables, Receivables };

// The tables of the invoicing program; each keeps its own invoice numbers.
enum class InvoiceTable { Szamla, Atutal, Utanvet, Nyugta, Szallito, Szamlahe };
constexpr int kInvoiceTableCount = 6;

// Writes realistic ledger rows (documents, partial payments, remarks) into a
// ledger table: Sorszám ascending with the document dates, recordIDs built
// like the ledger window builds them. The same seed and day give the same rows.
class LedgerGenerator {
  public:
    LedgerGenerator(LedgerSide side, const QDate& today, std::uint64_t seed);

    // Writes rows rows (partial-payment rows included) into table, in one
    // transaction. A large count is written without the indexes, which are
    // built afterwards; that is several times faster. A failure rolls the
    // transaction back.
    [[nodiscard]] Status write(Connection* db, const TableDef& table, int rows);

    int partialRows() const { return partialRows_; }
    // The last receivables invoice number used in the range of one invoicing
    // table (0 before write); the invoicing database goes on from there.
    qint64 lastInvoiceNumber(InvoiceTable table) const;
    qint64 firstInvoiceNumber(InvoiceTable table) const;

    // The row identifier of a row made on date at secondsSinceMidnight: the
    // date's digits without leading zeros, then the seconds as a
    // single-precision number with a decimal comma ("202437" + "45296,52").
    static QString rowId(const QDate& date, double secondsSinceMidnight);
    static InvoiceTable invoiceTableOf(const QString& method);

  private:
    LedgerSide side_;
    QDate today_;
    std::uint64_t seed_;
    int partialRows_ = 0;
    qint64 numberWidth_ = 100000;
    std::vector<qint64> invoiceCounters_;
};

}  // namespace vela::demo
