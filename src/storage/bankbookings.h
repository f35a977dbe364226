#pragma once

#include <QDate>
#include <QHash>
#include <QSet>
#include <QString>
#include <QVariant>
#include <map>
#include <memory>
#include <vector>

#include "base/result.h"
#include "storage/query.h"

namespace vela {

class Database;
class Statement;
struct TableDef;

// What the bank statement window reads and writes, in storage's own SQL: the
// open rows it matches against, the partners' accounts, the record of what
// each statement transaction booked, and the CSV mapping kept for the next
// file.
namespace bankbook {

// An open invoice of a ledger with what the rows of its sequence number
// have paid of it.
struct OpenRow {
    qint64 key = 0;  // the row's key
    qint64 sorszam = 0;
    QString invoiceNumber;
    QString partnerName;
    double gross = 0;
    double paid = 0;  // RészÖsszegBruttó of the paying rows of its sequence number
    QString currency;
    QDate due;
};
// The rows of invoices, each with the sum of RészÖsszegBruttó over the rows
// of paying that share its sequence number.
Result<std::vector<OpenRow>> openRows(Database& db, const TableDef& ledger,
                                      const Condition& invoices, const Condition& paying);

struct PartnerAccount {
    QString name;
    QString account;
};
// Every partner of the register that has a bank account.
Result<std::vector<PartnerAccount>> partnerAccounts(Database& betarol);

// An older veladata.mdb has no booking table until VelaRep rebuilds it.
bool hasBookingTable(Database& db);
// statement id + "|" + transaction reference of everything booked before.
Result<QSet<QString>> bookedReferences(Database& db);

// The stored CSV mapping text; empty when none was kept yet (or the file is
// older than the table).
Result<QString> readCsvMapping(Database& parameters);
[[nodiscard]] Status writeCsvMapping(Database& parameters, const QString& text);

// Single rows of one database by key, through statements prepared once, for a
// booking of many rows inside one transaction the caller holds.
class RowWriter {
  public:
    explicit RowWriter(Database& db);
    ~RowWriter();
    RowWriter(const RowWriter&) = delete;
    RowWriter& operator=(const RowWriter&) = delete;

    Database& database() { return db_; }

    // Every column of the row with key, as the column tables type them; an
    // error when the row is gone.
    Result<QHash<QString, QVariant>> read(const TableDef& table, qint64 key);
    // Writes the given columns of the row with key; an error when it is gone.
    [[nodiscard]] Status update(const TableDef& table, qint64 key,
                                const QHash<QString, QVariant>& values);
    Result<qint64> insert(const TableDef& table, const QHash<QString, QVariant>& values);
    // Whether a transaction of a statement was booked before.
    Result<bool> booked(const QString& statementId, const QString& reference);

  private:
    Statement& prepared(const QString& sql);

    Database& db_;
};

}  // namespace bankbook
}  // namespace vela
