#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

#include "base/result.h"
#include "ledgercore/ledgerrow.h"

namespace vela {

class Database;
class RecordSource;
struct TableDef;

// One invoice of the invoicing program, grouped from its item lines, as it
// waits in the staging table (OsszesSzamla) to be handed over into the
// receivables ledger. The members keep what the reader found: a value that
// is not of its kind (a date text that is no date) is passed on as it was
// stored, for the staging table to leave empty.
struct StagedInvoice {
    QVariant number;     // Számlaszám
    QVariant customer;   // Vevö
    QVariant seat;       // Székhely
    QVariant address;    // Cim
    QVariant payment;    // FizMód
    QVariant issued;     // Kelt
    QVariant due;        // Esedékes
    QVariant item;       // Megnevezés
    QVariant vat;        // ÁFA
    QVariant settled;    // Részösszeg
    QVariant currency;   // Pénznem
    QVariant net;        // Nettó
    QVariant gross;      // Bruttó
    QVariant performed;  // Teljesités

    // The staging table's columns of the members, in member order.
    static const QStringList& stagingColumns();
    QVariantList stagingValues() const;
    // Row row of a record source over the staging table.
    static StagedInvoice fromStaging(const RecordSource& staging, int row);

    // The open ledger row it becomes, numbered sorszam, made today.
    LedgerRow toLedgerRow(qint64 sorszam, const QString& rowId, const QDate& today) const;
};

// The report of staging invoices.
struct StagingReport {
    int written = 0;     // rows saved
    int badValues = 0;   // values left empty because they did not fit
    int failedRows = 0;  // rows that could not be saved
    QString firstError;  // why the first row failed
};

// Appends invoices to the staging table in one transaction; a row that
// cannot be written is counted and the rest go on. The error when the
// transaction could not be opened or committed: then no row was saved.
Result<StagingReport> stageInvoices(Database& db, const TableDef& staging,
                                    const QList<StagedInvoice>& invoices);

}  // namespace vela
