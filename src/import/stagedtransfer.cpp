#include "import/stagedtransfer.h"

#include <cmath>

#include "storage/bulkwrite.h"
#include "storage/columns.h"
#include "storage/database.h"
#include "storage/funcs.h"
#include "storage/recordsource.h"

namespace vela {

namespace {

// Positions in the staging table.
enum Staged {
    SNumber = 0,
    SCustomer = 1,
    SSeat = 2,
    SAddress = 3,
    SPayment = 4,
    SIssued = 5,
    SDue = 6,
    SItem = 7,
    SVat = 8,
    SSettled = 9,
    SCurrency = 10,
    SNet = 11,
    SGross = 12,
    SPerformed = 21,
    kStagedColumns = 22,
};

double num(const QVariant& v) {
    return Funcs::NumOrZero(v).toDouble();
}

QString txt(const QVariant& v) {
    return Funcs::TextOrEmpty(v).toString();
}

QVariant day(const QVariant& v) {
    return Funcs::DateOrToday(v);
}

// The invoice number as the ledger's text: whole numbers without decimals.
QString invoiceText(const QVariant& v) {
    const double d = num(v);
    if (std::isfinite(d) && d == std::floor(d) && std::fabs(d) < 9.0e15)
        return QString::number(qint64(d));
    return txt(d);
}

}  // namespace

const QStringList& StagedTransfer::ledgerColumns() {
    static const QStringList columns{QStringLiteral("Sorszám"),    QStringLiteral("Szamlaszam"),
                                     QStringLiteral("CegNev"),     QStringLiteral("CegCim"),
                                     QStringLiteral("Megnevezes"), QStringLiteral("Netto"),
                                     QStringLiteral("AFA"),        QStringLiteral("Brutto"),
                                     QStringLiteral("Datumtol"),   QStringLiteral("Datumig"),
                                     QStringLiteral("Teljesités"), QStringLiteral("Adatfelvetel"),
                                     QStringLiteral("Devizanem"),  QStringLiteral("RészÖsszeg"),
                                     QStringLiteral("recordID"),   QStringLiteral("FizetésMódja"),
                                     QStringLiteral("Kivezetés")};
    return columns;
}

QVariantList StagedTransfer::ledgerValues(const QVariantList& s, qint64 sorszam,
                                          const QString& rowId, const QDate& today) {
    const QString payment = txt(s.value(SPayment));
    return {sorszam,
            invoiceText(s.value(SNumber)),
            txt(s.value(SCustomer)),
            txt(s.value(SSeat)) + QLatin1Char(' ') + txt(s.value(SAddress)),
            txt(s.value(SItem)),
            num(s.value(SNet)),
            num(s.value(SVat)),
            num(s.value(SGross)),
            day(s.value(SIssued)),
            day(s.value(SDue)),
            day(s.value(SPerformed)),
            today,
            txt(s.value(SCurrency)),
            num(s.value(SSettled)),
            rowId,
            payment,
            payment == QStringLiteral("átutalás E") ? QStringLiteral("I") : QStringLiteral("N")};
}

Result<StagedTransfer::Transferred> StagedTransfer::run(const RecordSource& staged, int from,
                                                        Database& veladata, const TableDef& ledger,
                                                        const RowIdMaker& newRowId,
                                                        const Clock& clock) {
    Transferred result;
    const int count = staged.recordCount();
    const int first = std::max(0, from);
    // The hand-over stopped at row r: the message names that row's invoice.
    auto stopAt = [&](int r, const QString& why) {
        result.stopped = true;
        result.failedInvoice = qint64(num(staged.valueAt(r, SNumber)));
        result.failedWhy = why;
    };
    // Before the first row is written, a failure stops it at the first row.
    auto stopBeforeFirst = [&](const Error& error) -> Result<Transferred> {
        if (first >= count)
            return error;
        stopAt(first, error.text);
        return result;
    };
    const auto highest = bulk::highestValue(veladata, ledger, QStringLiteral("Sorszám"));
    if (!highest)
        return stopBeforeFirst(highest.error());
    qint64 next = qint64(num(*highest)) + 1;
    result.firstSorszam = next;
    // The identifier is made afresh after each row; within one millisecond
    // it cannot change, so it is made only when the clock has moved on.
    QDateTime idMoment;
    QString rowId;
    auto identifierAt = [&](const QDateTime& now) {
        if (rowId.isNull() || now.date() != idMoment.date() ||
            now.time().msecsSinceStartOfDay() != idMoment.time().msecsSinceStartOfDay()) {
            idMoment = now;
            rowId = newRowId(now);
        }
        return rowId;
    };
    identifierAt(clock());

    BulkInsert insert(veladata, ledger, ledgerColumns());
    if (const Status begun = insert.begin(); !begun)
        return stopBeforeFirst(begun.error());
    QVariantList row;
    row.reserve(kStagedColumns);
    for (int r = first; r < count; ++r) {
        row.clear();
        for (int c = 0; c < kStagedColumns; ++c) row << staged.valueAt(r, c);
        if (const Status appended = insert.append(ledgerValues(row, next, rowId, idMoment.date()));
            !appended) {
            stopAt(r, appended.errorText());
            break;
        }
        ++next;
        identifierAt(clock());
    }
    if (const Status committed = insert.finish(); !committed) {
        // Undone as a whole: none of the rows stayed. A row whose failure
        // took the transaction with it (a full disk) is still the one named.
        result.written = 0;
        if (result.stopped)
            return result;
        return stopBeforeFirst(committed.error());
    }
    result.written = insert.written();
    return result;
}

}  // namespace vela
