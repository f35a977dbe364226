#include "import/stagedtransfer.h"

#include "storage/recordsource.h"

namespace vela {

Result<StagedTransfer::Transferred> StagedTransfer::run(const RecordSource& staged, int from,
                                                        Database& veladata, const TableDef& ledger,
                                                        const RowIdMaker& newRowId,
                                                        const Clock& clock) {
    QList<StagedInvoice> invoices;
    const int count = staged.recordCount();
    invoices.reserve(std::max(0, count - from));
    for (int r = std::max(0, from); r < count; ++r)
        invoices << StagedInvoice::fromStaging(staged, r);
    LedgerBook book(veladata, ledger);
    book.setClock(clock);
    return book.handOver(invoices, newRowId);
}

}  // namespace vela
