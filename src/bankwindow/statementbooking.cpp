#include "bankwindow/statementbooking.h"

#include "ledgercore/ledgerbook.h"
#include "storage/bankbookings.h"
#include "storage/columns.h"
#include "storage/database.h"

namespace vela {

namespace {

QString rowName(const LedgerRow& row) {
    return QStringLiteral("%1 sorszámú%2")
        .arg(row.sorszam.value_or(0))
        .arg(row.szamlaszam.isEmpty() ? QString()
                                      : QStringLiteral(" (%1 számú)").arg(row.szamlaszam));
}

}  // namespace

StatementBooking::StatementBooking(Database& veladata)
    : db_(veladata), clock_([] { return QDateTime::currentDateTime(); }) {}

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
    // Both books join the one transaction held below.
    LedgerBook payables(db_, schema::velaData(), LedgerBook::Transaction::Joined);
    LedgerBook receivables(db_, schema::velanakData(), LedgerBook::Transaction::Joined);
    for (LedgerBook* b : {&payables, &receivables}) b->setClock(clock_);
    const QString number = statement.number();

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
                LedgerBook& book = line.ledger == OpenLedger::Payables ? payables : receivables;
                const TableDef& table = book.table();
                const Result<QHash<QString, QVariant>> read = rows.read(table, line.key);
                if (!read)
                    return read.error();
                const LedgerRow base = LedgerRow::fromValues(*read);
                if (!ledger::isOpenInvoice(base))
                    return Error{QStringLiteral("A(z) %1 tételt időközben kivezették vagy "
                                                "megváltoztatták; olvassa be újra a kivonatot!")
                                     .arg(rowName(base))};
                QString recordId = base.recordId;
                if (line.settles) {
                    if (Status s = book.settleInvoice(line.key, {number, paidOn, performedOn}); !s)
                        return s;
                    ++out.settledRows;
                } else {
                    ledger::PartialPayment payment;
                    payment.paidGross = line.amount.toDouble();
                    payment.bankStatement = number;
                    payment.paidOn = paidOn;
                    payment.performedOn = performedOn;
                    const Result<LedgerBook::Booked> added =
                        book.bookPartialPayment(line.key, payment);
                    if (!added)
                        return added.error();
                    recordId = added->rowId;
                    ++out.partRows;
                }
                const QHash<QString, QVariant> record{
                    {QStringLiteral("KivonatAzonosito"), statement.id},
                    {QStringLiteral("TetelHivatkozas"), reference},
                    {QStringLiteral("Kivonatszam"), number},
                    {QStringLiteral("Tabla"), table.name},
                    {QStringLiteral("Sorszám"), base.value(QStringLiteral("Sorszám"))},
                    {QStringLiteral("recordID"), recordId},
                    {QStringLiteral("Szamlaszam"), base.value(QStringLiteral("Szamlaszam"))},
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

    // The invoices paid stand all over a big ledger.
    const WidePageCache wide(db_);
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
