#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>
#include <memory>
#include <vector>

#include "base/result.h"
#include "ledgercore/stagedinvoice.h"

namespace vela {

class JetReader;
class StandInReader;

// The invoicing program's database LFAKTURO.MDB, read only. The file's header
// tells which reader serves it: an Access (Jet 3/Jet 4) file goes through
// JetReader, an SQLite file is the stand-in read by StandInReader; anything
// else is an error that names the file.
//
// A grouped row has 14 values, named by groupedColumns(): the invoice number
// (qint64), the customer's name, seat and address and the payment method
// (QString), issue and due date (QDate), the item description (QString), VAT
// and settled amount (double), currency (QString), net and gross sums (double),
// date of performance (QDate). The text columns and numbers are those of the
// invoice's last line, the sums add every line. A value that is null stays
// null; one that is not of its kind (a date text that is no date) is passed on
// as it was stored, for the caller to refuse.
class InvoiceSource {
  public:
    enum class Format { Jet, StandIn };
    using Row = QVariantList;

    ~InvoiceSource();
    InvoiceSource(const InvoiceSource&) = delete;
    InvoiceSource& operator=(const InvoiceSource&) = delete;

    // The database's name in the invoicing program's folder.
    static QString databaseName() { return QStringLiteral("LFAKTURO.MDB"); }
    // SZAMLA, ATUTAL, UTANVET, NYUGTA, SZALLITO, SZAMLAHE: the document kinds in order.
    static const QStringList& documentTables();
    // The fourteen item-line columns read, in order.
    static const QStringList& sourceColumns();
    // The names of the grouped columns, Számlaszám ... Teljesit.
    static const QStringList& groupedColumns();

    // Opens LFAKTURO.MDB in folder (the name matched case-insensitively).
    static Result<std::unique_ptr<InvoiceSource>> open(const QString& folder);
    // Opens a file by its path.
    static Result<std::unique_ptr<InvoiceSource>> openFile(const QString& path);

    Format format() const { return format_; }
    QString path() const { return path_; }
    QString fileName() const;

    // Whether table has at least one line; a missing table is an error.
    Result<bool> hasRows(const QString& table);
    // The invoices of table numbered from on, one row each, by invoice number.
    Result<std::vector<Row>> groupedRows(const QString& table, double from);
    // The invoices of groupedRows() as the staging table takes them.
    Result<QList<StagedInvoice>> groupedInvoices(const QString& table, double from);
    // One grouped row as a staged invoice.
    static StagedInvoice toStaged(const Row& grouped);
    // What the user should know about the last groupedRows() that still
    // succeeded (a stored row count that differs from the lines read); empty
    // when there is nothing to tell.
    QString notice() const { return notice_; }

    // Brings a raw grouped row to the kinds above (numbers to double, date
    // texts and date-times to QDate, a whole invoice number to qint64).
    static Row normalised(Row raw);
    // Groups item lines (the fourteen source columns, in the order they were
    // read) into invoices numbered from on, the way the Access engine's
    // GROUP BY with last() and SUM() does; by invoice number.
    static std::vector<Row> groupLines(std::vector<Row> lines, double from);

  private:
    InvoiceSource() = default;

    Format format_ = Format::StandIn;
    QString path_;
    QString notice_;
    std::unique_ptr<JetReader> jet_;
    std::unique_ptr<StandInReader> standIn_;
};

}  // namespace vela
