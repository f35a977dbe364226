#pragma once

#include <QString>
#include <functional>

#include "base/result.h"
#include "storage/query.h"

namespace vela {

class Database;
struct TableDef;

// What a pass over ledger rows did. A row that could not be written is
// counted and reported through the failed-row callback; the pass goes on.
// A pass that could not run at all (nothing written) is an Error instead.
struct PassCounts {
    qint64 rows = 0;       // rows the pass looked at
    qint64 written = 0;    // rows it changed
    qint64 failed = 0;     // rows whose write failed
    qint64 noRate = 0;     // rows whose VAT rate was missing: gross values kept
    QString lastRowError;  // why the last failed row could not be written
};

// The row-by-row service passes of the ledger windows, each inside one
// transaction committed at the end, so a million rows are one disk sync.
namespace ledgerpasses {

// Every row of table that matches shown and has an invoice number gets in
// RészösszegÖsszesen the sum of the positive RészÖsszeg of all rows of the
// table with that number (0 when none). One grouped pass gives every sum.
Result<PassCounts> writePartialTotals(Database& db, const TableDef& table, const Condition& shown,
                                      const std::function<void()>& onFailedRow = {});

// The check pass over the rows of shown: an empty settled flag becomes "N",
// an "átutalás E" row "I"; Brutto and RészÖsszegBruttó are recomputed from
// Netto and RészÖsszeg with the VAT rate: amount * (100 + AFA) / 100 (a
// missing amount counts as 0). onlyPositive: each only when its source
// amount is above 0. A row without a VAT rate keeps its gross values.
Result<PassCounts> checkRows(Database& db, const TableDef& table, const Condition& shown,
                             bool onlyPositive, const std::function<void()>& onFailedRow = {});

}  // namespace ledgerpasses
}  // namespace vela
