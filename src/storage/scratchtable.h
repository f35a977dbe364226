#pragma once

#include <QString>
#include <QVariantList>
#include <functional>

#include "base/result.h"

namespace vela {

class Database;
struct TableDef;

// The scratch table VelaIdeigl that the ledger print fills with the rows it
// prints, beside the ledger tables in veladata.mdb.
class ScratchTable {
  public:
    // Gives the values of row i (0 <= i < count) by column position.
    using RowFn = std::function<QVariantList(int i)>;

    struct FillResult {
        int written = 0;
        int failed = 0;  // rows the table refused; the fill went on without them
    };

    explicit ScratchTable(Database& db) : db_(db) {}

    // Empties the table and writes count rows in their order. Each row with
    // an invoice number then gets as RészösszegÖsszesen the sum of the
    // positive RészÖsszeg of every row of ledger with that number (settled
    // ones too), 0 when there is none; a row without one keeps its own.
    // All in one transaction: the error, and the table as it was, when any
    // step but a single row's insert fails.
    Result<FillResult> fill(const TableDef& ledger, int count, const RowFn& row);

    // Empties the table.
    [[nodiscard]] Status clear();
    Result<int> rowCount();

  private:
    [[nodiscard]] Status fillInTransaction(const TableDef& ledger, int count, const RowFn& row,
                                           FillResult& result);

    Database& db_;
};

}  // namespace vela
