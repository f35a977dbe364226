#pragma once

#include "base/result.h"
#include "ledgercore/ledgerbook.h"

namespace vela {

class RecordSource;

// Hands the staged invoices of the staging table's record source over into
// the receivables ledger through LedgerBook::handOver: one new open ledger
// row per staged row, numbered on from the ledger's highest sequence number,
// all in one transaction. A row that cannot be written stops the
// hand-over; the rows written before it stay (and the call succeeds, telling
// which row stopped it). A failure before the first row, or of the closing
// commit, stops it at the first row with none written.
class StagedTransfer {
  public:
    using RowIdMaker = LedgerBook::RowIdMaker;
    using Clock = LedgerBook::Clock;
    using Transferred = LedgerBook::HandedOver;

    // Writes the rows of staged from row position from to its end into the
    // ledger table of veladata.
    static vela::Result<Transferred> run(const RecordSource& staged, int from, Database& veladata,
                                         const TableDef& ledger, const RowIdMaker& newRowId,
                                         const Clock& clock);
};

}  // namespace vela
