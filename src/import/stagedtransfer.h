#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVariantList>
#include <functional>

#include "base/result.h"

namespace vela {

class Database;
class RecordSource;
struct TableDef;

// Hands the staged invoices of the staging table's record source over into
// the receivables ledger through LedgerBook::handOver: one new open ledger
// row per staged row, numbered on from the ledger's highest sequence number,
// all in one transaction. A row that cannot be written stops the
// hand-over; the rows written before it stay (and the call succeeds, telling
// which row stopped it). A failure before the first row, or of the closing
// commit, stops it at the first row with none written.
class StagedTransfer {
  public:
    // The row identifier of a row made at a moment.
    using RowIdMaker = std::function<QString(const QDateTime&)>;
    // The moment now (the tests and benchmarks fix it).
    using Clock = std::function<QDateTime()>;

    struct Transferred {
        int written = 0;
        qint64 firstSorszam = 0;  // the sequence number of the first row written
        // A row that could not be written stopped the hand-over after `written` rows.
        bool stopped = false;
        qint64 failedInvoice = 0;  // the staged invoice number of that row
        QString failedWhy;         // why it could not be written
    };

    // Writes the rows of staged from row position from to its end into the
    // ledger table of veladata.
    static vela::Result<Transferred> run(const RecordSource& staged, int from, Database& veladata,
                                         const TableDef& ledger, const RowIdMaker& newRowId,
                                         const Clock& clock);
};

}  // namespace vela
