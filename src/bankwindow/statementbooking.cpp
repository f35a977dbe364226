#include "bankwindow/statementbooking.h"

#include "storage/bankbookings.h"
#include "storage/columns.h"
#include "storage/database.h"

namespace vela {

namespace {

const QString kKivezetes = QStringLiteral("Kivezetés");
const QString kReszkiegyenlites = QStringLiteral("Részkiegyenlités");
const QString kRecordId = QStringLiteral("recordID");
const QString kSorszam = QStringLiteral("Sorszám");
const QString kSzamlaszam = QStringLiteral("Szamlaszam");
// The duplication copies the base row's columns up to Részkiegyenlités.
constexpr int kCopiedColumns = 21;

QString rowName(const QHash<QString, QVariant>& row) {
    const QString number = row.value(kSzamlaszam).toString();
    return QStringLiteral("%1 sorszámú%2")
        .arg(row.value(kSorszam).toLongLong())
        .arg(number.isEmpty() ? QString() : QStringLiteral(" (%1 számú)").arg(number));
}

}  // namespace

StatementBooking::StatementBooking(Database& veladata, RowIdMaker newRowId)
    : db_(veladata),
      newRowId_(std::move(newRowId)),
      clock_([] { return QDateTime::currentDateTime(); }) {}

const TableDef& StatementBooking::ledgerTable(OpenLedger ledger) {
    return ledger == OpenLedger::Payables ? schema::velaData() : schema::velanakData();
}

Result<BookingOutcome> StatementBooking::book(const BankStatement& statement,
                                              const std::vector<BookingOrder>& orders,
                                              const QDate& today) {
    if (!bankbook::hasBookingTable(db_))
        return Error{
            QStringLiteral("A veladata.mdb régi: nincs benne a banki tételek táblája "
                           "(BankiTetel). Futtassa a VelaRep programot!")};
    BookingOutcome out;
    bankbook::RowWriter rows(db_);
    const QString number = statement.number();
    QDateTime moment = clock_();

    // Everything below is one transaction: the first failure undoes it all.
    auto work = [&]() -> Status {
        for (const BookingOrder& order : orders) {
            if (!order.entry || order.lines.empty())
                continue;
            const StatementEntry& e = *order.entry;
            const QString reference = e.reference();
            // Asked again under the writer's lock: another window may have
            // booked it since the statement was read.
            const Result<bool> before = rows.booked(statement.id, reference);
            if (!before)
                return before.error();
            if (*before) {
                ++out.alreadyBooked;
                continue;
            }
            const QDate paidOn = e.bookingDate.isValid() ? e.bookingDate : today;
            const QDate performedOn = e.valueDate.isValid() ? e.valueDate : paidOn;
            for (const BookingOrder::Line& line : order.lines) {
                const TableDef& table = ledgerTable(line.ledger);
                const Result<QHash<QString, QVariant>> read = rows.read(table, line.key);
                if (!read)
                    return read.error();
                const QHash<QString, QVariant>& base = *read;
                if (base.value(kKivezetes).toString() == QLatin1String("I") ||
                    base.value(kReszkiegyenlites).toBool())
                    return Error{QStringLiteral("A(z) %1 tételt időközben kivezették vagy "
                                                "megváltoztatták; olvassa be újra a kivonatot!")
                                     .arg(rowName(base))};
                QString recordId = base.value(kRecordId).toString();
                if (line.settles) {
                    const QHash<QString, QVariant> settled{
                        {kKivezetes, QStringLiteral("I")},
                        {QStringLiteral("BankiKivonatSzáma"), number},
                        {QStringLiteral("BankiKiegyenlitésKelte"), paidOn},
                        {QStringLiteral("Teljesités"), performedOn}};
                    if (Status s = rows.update(table, line.key, settled); !s)
                        return s;
                    // Its part-payment rows go out with it, or the open figure
                    // would take their amounts off once more.
                    const Result<std::vector<qint64>> parts =
                        rows.openPartRows(table, base.value(kSorszam).toLongLong());
                    if (!parts)
                        return parts.error();
                    for (qint64 part : *parts)
                        if (Status s =
                                rows.update(table, part, {{kKivezetes, QStringLiteral("I")}});
                            !s)
                            return s;
                    ++out.settledRows;
                } else {
                    QHash<QString, QVariant> payment;
                    for (int i = 0; i < kCopiedColumns; ++i) {
                        const QString& c = table.columns[size_t(i)].name;
                        payment.insert(c, base.value(c));
                    }
                    // A free identifier: the moment's, or a later one's.
                    for (;;) {
                        recordId = newRowId_(moment);
                        const Result<bool> taken =
                            rows.recordIdTaken(table, base.value(kSorszam).toLongLong(), recordId);
                        if (!taken)
                            return taken.error();
                        if (!*taken)
                            break;
                        moment = moment.addMSecs(10);
                    }
                    const double rate = base.value(QStringLiteral("AFA")).toDouble();
                    const double gross = line.amount.toDouble();
                    payment.insert(kRecordId, recordId);
                    payment.insert(kReszkiegyenlites, true);
                    payment.insert(QStringLiteral("RészÖsszeg"), gross * 100.0 / (100.0 + rate));
                    payment.insert(QStringLiteral("RészÖsszegBruttó"), gross);
                    payment.insert(QStringLiteral("BankiKivonatSzáma"), number);
                    payment.insert(QStringLiteral("BankiKiegyenlitésKelte"), paidOn);
                    payment.insert(QStringLiteral("Teljesités"), performedOn);
                    if (const Result<qint64> added = rows.insert(table, payment); !added)
                        return added.error();
                    ++out.partRows;
                }
                const QHash<QString, QVariant> record{
                    {QStringLiteral("KivonatAzonosito"), statement.id},
                    {QStringLiteral("TetelHivatkozas"), reference},
                    {QStringLiteral("Kivonatszam"), number},
                    {QStringLiteral("Tabla"), table.name},
                    {kSorszam, base.value(kSorszam)},
                    {kRecordId, recordId},
                    {kSzamlaszam, base.value(kSzamlaszam)},
                    {QStringLiteral("Osszeg"), line.amount.toDouble()},
                    {QStringLiteral("Teljes"), line.settles},
                    {QStringLiteral("Konyvelve"), today}};
                if (const Result<qint64> r = rows.insert(schema::bankiTetel(), record); !r)
                    return r.error();
            }
            ++out.booked;
            out.references.insert(reference);
        }
        return {};
    };

    if (Status s = db_.begin(); !s)
        return s.error();
    if (Status s = work(); !s) {
        db_.rollback();
        return s.error();
    }
    if (Status s = db_.commit(); !s) {
        db_.rollback();
        return s.error();
    }
    return out;
}

}  // namespace vela
