#include "ledgercore/stagedinvoice.h"

#include <cmath>

#include "ledgercore/ledgerrules.h"
#include "storage/bulkwrite.h"
#include "storage/funcs.h"
#include "storage/recordsource.h"

namespace vela {

namespace {

double num(const QVariant& v) {
    return Funcs::NumOrZero(v).toDouble();
}

QString txt(const QVariant& v) {
    return Funcs::TextOrEmpty(v).toString();
}

QDate day(const QVariant& v) {
    return Funcs::DateOrToday(v).toDate();
}

// The invoice number as the ledger's text: whole numbers without decimals.
QString invoiceText(const QVariant& v) {
    const double d = num(v);
    if (std::isfinite(d) && d == std::floor(d) && std::fabs(d) < 9.0e15)
        return QString::number(qint64(d));
    return txt(d);
}

using Member = QVariant StagedInvoice::*;
const Member kMembers[] = {
    &StagedInvoice::number,  &StagedInvoice::customer, &StagedInvoice::seat,
    &StagedInvoice::address, &StagedInvoice::payment,  &StagedInvoice::issued,
    &StagedInvoice::due,     &StagedInvoice::item,     &StagedInvoice::vat,
    &StagedInvoice::settled, &StagedInvoice::currency, &StagedInvoice::net,
    &StagedInvoice::gross,   &StagedInvoice::performed};

}  // namespace

const QStringList& StagedInvoice::stagingColumns() {
    static const QStringList columns{
        QStringLiteral("Számlaszám"), QStringLiteral("Vevö"),       QStringLiteral("Székhely"),
        QStringLiteral("Cim"),        QStringLiteral("FizMód"),     QStringLiteral("Kelt"),
        QStringLiteral("Esedékes"),   QStringLiteral("Megnevezés"), QStringLiteral("ÁFA"),
        QStringLiteral("Részösszeg"), QStringLiteral("Pénznem"),    QStringLiteral("Nettó"),
        QStringLiteral("Bruttó"),     QStringLiteral("Teljesités")};
    return columns;
}

QVariantList StagedInvoice::stagingValues() const {
    QVariantList out;
    out.reserve(int(std::size(kMembers)));
    for (Member m : kMembers) out << this->*m;
    return out;
}

StagedInvoice StagedInvoice::fromStaging(const RecordSource& staging, int row) {
    StagedInvoice s;
    const QStringList& names = stagingColumns();
    for (int i = 0; i < names.size(); ++i)
        s.*kMembers[i] = staging.valueAt(row, staging.columnIndex(names[i]));
    return s;
}

LedgerRow StagedInvoice::toLedgerRow(qint64 sorszam, const QString& rowId,
                                     const QDate& today) const {
    LedgerRow r;
    r.sorszam = sorszam;
    r.szamlaszam = invoiceText(number);
    r.cegNev = txt(customer);
    r.cegCim = txt(seat) + QLatin1Char(' ') + txt(address);
    r.megnevezes = txt(item);
    r.netto = num(net);
    r.afa = num(vat);
    r.brutto = num(gross);
    r.datumtol = day(issued);
    r.datumig = day(due);
    r.teljesites = day(performed);
    r.adatfelvetel = today;
    r.devizanem = txt(currency);
    r.reszOsszeg = num(settled);
    r.recordId = rowId;
    r.fizetesModja = txt(payment);
    r.kivezetes = ledger::flagForPayment(r.fizetesModja);
    return r;
}

Result<StagingReport> stageInvoices(Database& db, const TableDef& staging,
                                    const QList<StagedInvoice>& invoices) {
    BulkInsert insert(db, staging, StagedInvoice::stagingColumns(),
                      BulkInsert::BadValue::LeaveEmpty);
    if (Status s = insert.begin(); !s)
        return s.error();
    StagingReport r;
    for (const StagedInvoice& invoice : invoices) {
        if (Status s = insert.append(invoice.stagingValues()); !s) {
            ++r.failedRows;
            if (r.firstError.isEmpty())
                r.firstError = s.errorText();
        }
    }
    if (Status s = insert.finish(); !s)
        return s.error();
    r.written = insert.written();
    r.badValues = insert.badValues();
    return r;
}

}  // namespace vela
