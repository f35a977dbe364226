#include "ledgercore/ledgerbook.h"

#include "storage/bulkwrite.h"
#include "storage/columns.h"
#include "storage/database.h"
#include "storage/funcs.h"

namespace vela {

namespace {

const QString kSorszam = QStringLiteral("Sorszám");
const QString kRecordId = QStringLiteral("recordID");

// The columns a hand-over fills; the others keep their defaults (a row
// without a note leaves the note's default, empty).
const QStringList& handOverColumns() {
    static const QStringList columns{kSorszam,
                                     QStringLiteral("Szamlaszam"),
                                     QStringLiteral("CegNev"),
                                     QStringLiteral("CegCim"),
                                     QStringLiteral("Megnevezes"),
                                     QStringLiteral("Netto"),
                                     QStringLiteral("AFA"),
                                     QStringLiteral("Brutto"),
                                     QStringLiteral("Datumtol"),
                                     QStringLiteral("Datumig"),
                                     QStringLiteral("Teljesités"),
                                     QStringLiteral("Adatfelvetel"),
                                     QStringLiteral("Devizanem"),
                                     QStringLiteral("RészÖsszeg"),
                                     kRecordId,
                                     QStringLiteral("FizetésMódja"),
                                     QStringLiteral("Kivezetés"),
                                     QStringLiteral("Megjegyzés")};
    return columns;
}

// The values of a row without its null columns: what an insert writes.
QHash<QString, QVariant> stored(const LedgerRow& row) {
    QHash<QString, QVariant> v = row.values();
    for (auto it = v.begin(); it != v.end();) {
        if (it.value().isNull())
            it = v.erase(it);
        else
            ++it;
    }
    return v;
}

}  // namespace

LedgerBook::LedgerBook(Database& db, const TableDef& ledger, Transaction transaction)
    : db_(db),
      table_(ledger),
      transaction_(transaction),
      clock_([] { return QDateTime::currentDateTime(); }) {}

// Runs work inside one write transaction: committed when it succeeds,
// undone when it or the commit fails. A joined book leaves both to the
// caller's transaction.
template <class T>
Result<T> LedgerBook::inTransaction(const std::function<Result<T>()>& work) {
    if (transaction_ == Transaction::Joined)
        return work();
    if (Status s = db_.begin(); !s)
        return s.error();
    Result<T> r = work();
    if (!r) {
        db_.rollback();
        return r;
    }
    if (Status s = db_.commit(); !s) {
        db_.rollback();
        return s.error();
    }
    return r;
}

Result<QString> LedgerBook::freeRowId(const QDateTime& when, const Condition& within) {
    Status failed;
    const QString id = ledger::freeRowId(when, [&](const QString& candidate) {
        const Condition same = Condition::equals(kRecordId, candidate);
        const Result<bool> taken =
            rows::any(db_, Query(table_, within.isAll() ? same : within && same));
        if (!taken)
            failed = taken.error();
        return taken && *taken;
    });
    if (!failed)
        return failed.error();
    return id;
}

Status LedgerBook::number(QHash<QString, QVariant>& values) {
    const Result<QVariant> highest = rows::highest(db_, table_, kSorszam);
    if (!highest)
        return highest.error();
    values.insert(kSorszam, qlonglong(ledger::nextSorszam(*highest)));
    const Result<QString> id = freeRowId(clock_());
    if (!id)
        return id.error();
    values.insert(kRecordId, *id);
    return {};
}

std::function<Status(QHash<QString, QVariant>&)> LedgerBook::insertHook() {
    return [this](QHash<QString, QVariant>& values) { return number(values); };
}

Result<qint64> LedgerBook::add(const LedgerRow& row) {
    return inTransaction<qint64>([&]() -> Result<qint64> {
        QHash<QString, QVariant> values = stored(row);
        if (Status s = number(values); !s)
            return s.error();
        return rows::insert(db_, table_, values);
    });
}

Result<LedgerRow> LedgerBook::settleRow(qint64 key, const ledger::Settlement& how) {
    const Result<rows::Values> read = rows::read(db_, table_, key);
    if (!read)
        return read.error();
    const LedgerRow before = LedgerRow::fromValues(*read);
    LedgerRow after = before;
    ledger::settle(after, how);
    if (Status s = rows::update(db_, table_, key, after.changedFrom(before)); !s)
        return s.error();
    return before;
}

Status LedgerBook::settle(qint64 key, const ledger::Settlement& how) {
    const Result<bool> done = inTransaction<bool>([&]() -> Result<bool> {
        if (const Result<LedgerRow> settled = settleRow(key, how); !settled)
            return settled.error();
        return true;
    });
    if (!done)
        return done.error();
    return {};
}

Status LedgerBook::settleInvoice(qint64 key, const ledger::Settlement& how) {
    const Result<bool> done = inTransaction<bool>([&]() -> Result<bool> {
        const Result<LedgerRow> invoice = settleRow(key, how);
        if (!invoice)
            return invoice.error();
        const LedgerRow& before = *invoice;
        if (!before.sorszam)
            return true;
        const Result<QList<qint64>> parts =
            rows::keys(db_, Query(table_, Condition::equals(kSorszam, *before.sorszam) &&
                                              !ledger::notPartialRows() && ledger::openRows()));
        if (!parts)
            return parts.error();
        const QHash<QString, QVariant> settled{{QStringLiteral("Kivezetés"), QStringLiteral("I")}};
        for (qint64 part : *parts)
            if (Status s = rows::update(db_, table_, part, settled); !s)
                return s.error();
        return true;
    });
    if (!done)
        return done.error();
    return {};
}

Result<LedgerBook::Booked> LedgerBook::bookPartialPayment(qint64 key,
                                                          const ledger::PartialPayment& payment,
                                                          const TableDef* scratch) {
    return inTransaction<Booked>([&]() -> Result<Booked> {
        const Result<rows::Values> read = rows::read(db_, table_, key);
        if (!read)
            return read.error();
        const LedgerRow base = LedgerRow::fromValues(*read);
        // The identifier tells apart the rows that share a sequence number.
        const Result<QString> id =
            freeRowId(clock_(), base.sorszam ? Condition::equals(kSorszam, *base.sorszam)
                                             : Condition::isNull(kSorszam));
        if (!id)
            return id.error();
        const LedgerRow row = ledger::partialPaymentRow(base, payment, *id);
        const QHash<QString, QVariant> values = stored(row);
        if (scratch) {
            if (const Result<qint64> copy = rows::insert(db_, *scratch, values); !copy)
                return copy.error();
        }
        const Result<qint64> inserted = rows::insert(db_, table_, values);
        if (!inserted)
            return inserted.error();
        return Booked{*inserted, *id};
    });
}

Result<LedgerBook::HandedOver> LedgerBook::handOver(const QList<StagedInvoice>& invoices,
                                                    const RowIdMaker& newRowId) {
    Result<HandedOver> r = handOver(
        invoices.size(),
        [&](qsizetype i, qint64 sorszam, const QString& rowId, const QDate& today) {
            return invoices[i].toLedgerRow(sorszam, rowId, today);
        },
        newRowId);
    if (r && r->stopped)
        r->failedInvoice = qint64(Funcs::NumOrZero(invoices[r->failedAt].number).toDouble());
    return r;
}

Result<LedgerBook::HandedOver> LedgerBook::handOver(qsizetype count, const RowMaker& rowAt,
                                                    const RowIdMaker& newRowId) {
    HandedOver result;
    // The hand-over stopped at invoice i: the message names that invoice.
    auto stopAt = [&](qsizetype i, const QString& why) {
        result.stopped = true;
        result.failedAt = i;
        result.failedWhy = why;
    };
    // Before the first row is written, a failure stops it at the first invoice.
    auto stopBeforeFirst = [&](const Error& error) -> Result<HandedOver> {
        if (count == 0)
            return error;
        stopAt(0, error.text);
        return result;
    };
    // A transaction its owner opened is its owner's to undo.
    const bool owned = !db_.inTransaction();
    BulkInsert insert(db_, table_, handOverColumns());
    if (const Status begun = insert.begin(); !begun)
        return stopBeforeFirst(begun.error());
    // Read under the writer taken by begin(): no other workstation can take
    // the same numbers meanwhile.
    const Result<QVariant> highest = rows::highest(db_, table_, kSorszam);
    if (!highest) {
        if (owned)
            db_.rollback();
        return stopBeforeFirst(highest.error());
    }
    qint64 next = ledger::nextSorszam(*highest);
    result.firstSorszam = next;
    // Within one millisecond the identifier cannot change, so it is made
    // only when the clock has moved on.
    QDateTime idMoment;
    QString rowId;
    auto identifierAt = [&](const QDateTime& now) {
        if (rowId.isNull() || now.date() != idMoment.date() ||
            now.time().msecsSinceStartOfDay() != idMoment.time().msecsSinceStartOfDay()) {
            idMoment = now;
            rowId = newRowId(now);
        }
    };
    identifierAt(clock_());
    const QStringList& columns = handOverColumns();
    QVariantList values;
    values.reserve(columns.size());
    for (qsizetype i = 0; i < count; ++i) {
        const LedgerRow row = rowAt(i, next, rowId, idMoment.date());
        values.clear();
        for (const QString& c : columns) values << row.value(c);
        if (const Status appended = insert.append(values); !appended) {
            stopAt(i, appended.errorText());
            break;
        }
        ++next;
        identifierAt(clock_());
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

Result<PassCounts> LedgerBook::writePartialTotals(const Condition& shown,
                                                  const std::function<void()>& onFailedRow) {
    const Result<QHash<QString, double>> sums =
        rows::sumsBy(db_, table_, QStringLiteral("Szamlaszam"), QStringLiteral("RészÖsszeg"),
                     Condition::greater(QStringLiteral("RészÖsszeg"), 0));
    if (!sums)
        return sums.error();
    const QStringList read{QStringLiteral("Szamlaszam"), QStringLiteral("RészösszegÖsszesen")};
    const Condition withNumber = Condition::notEquals(read[0], QString());
    return rows::rewrite(
        db_, table_, shown.isAll() ? withNumber : shown && withNumber, read, {read[1]},
        [&](const QVariantList& in, QVariantList& out) {
            LedgerRow row;
            row.setValue(read[0], in[0]);
            row.setValue(read[1], in[1]);
            const std::optional<double> total = ledger::partialTotalFor(row, *sums);
            if (!total || (row.reszosszegOsszesen && *row.reszosszegOsszesen == *total))
                return false;
            out = {*total};
            return true;
        },
        onFailedRow);
}

Result<PassCounts> LedgerBook::checkRows(const Condition& shown, bool onlyPositive,
                                         const std::function<void()>& onFailedRow) {
    const QStringList read{
        QStringLiteral("Kivezetés"),       QStringLiteral("FizetésMódja"), QStringLiteral("AFA"),
        QStringLiteral("Netto"),           QStringLiteral("RészÖsszeg"),   QStringLiteral("Brutto"),
        QStringLiteral("RészÖsszegBruttó")};
    const QStringList write{read[0], read[5], read[6]};
    qint64 noRate = 0;
    Result<PassCounts> r = rows::rewrite(
        db_, table_, shown, read, write,
        [&](const QVariantList& in, QVariantList& out) {
            LedgerRow before;
            for (int i = 0; i < read.size(); ++i) before.setValue(read[i], in[i]);
            LedgerRow after = before;
            if (ledger::checkRow(after, onlyPositive).noRate)
                ++noRate;
            const QHash<QString, QVariant> changed = after.changedFrom(before);
            if (changed.isEmpty())
                return false;
            out.clear();
            for (const QString& c : write) out << changed.value(c);
            return true;
        },
        onFailedRow);
    if (r)
        r->noRate = noRate;
    return r;
}

}  // namespace vela
