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

// Hands staged invoices over into the receivables ledger: one new open
// ledger row per staged row, numbered on from the ledger's highest sequence
// number, all in one transaction. A row that cannot be written stops the
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

    // The ledger columns a staged row fills, in the order of ledgerValues().
    static const QStringList& ledgerColumns();

    // The ledger values of one staged row (its 22 values in table order).
    static QVariantList ledgerValues(const QVariantList& staged, qint64 sorszam,
                                     const QString& rowId, const QDate& today);

    // Writes the rows of staged from row position from to its end into the
    // ledger table of veladata.
    static vela::Result<Transferred> run(const RecordSource& staged, int from, Database& veladata,
                                         const TableDef& ledger, const RowIdMaker& newRowId,
                                         const Clock& clock);
};

}  // namespace vela
