#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <vector>

#include "base/result.h"
#include "storage/query.h"

namespace vela {

class Database;
class RecordSource;
struct TableDef;

// A read-only result of one row, such as "select sum(...) where ...": the
// windows' total sources. A sum over no rows reads as null.
//
// A sum given by its parts (setSum) can follow the row writes of a record
// source over the same table: each written row moves the sums by what it
// takes away and adds, so a million-row ledger need not be summed again
// after every save. Any other change of the database found since (the
// connection's change counter says so, or SQLite's data version for a commit
// of another connection: another workstation), or a followed row that could
// not be read, makes the next requery a full one, which tells any failure.
class AggregateQuery {
  public:
    void setDatabase(Database* db) { db_ = db; }
    // Any query; requery() always runs it whole.
    void setQuery(const QString& sql, const QVariantList& binds = {});
    // The sums of amounts over the rows of table that match where.
    void setSum(const TableDef& table, const QList<Amount>& amounts, const Condition& where = {});
    QString query() const { return sql_; }
    QVariantList binds() const { return binds_; }

    // Keeps the sums up to date with the rows that source writes.
    void follow(RecordSource* source);

    // Brings the result up to date: at once when only followed writes
    // happened since the last full run, else by running the query.
    [[nodiscard]] Status requery();
    // The sum of amount over the rows of where, found by another pass over
    // the table that began at the change token readAt, with the rows that
    // had an amount: taken as this query's full run when it sums the same
    // (true), so that it need not read the table again.
    bool take(const TableDef& table, const Amount& amount, const Condition& where, double sum,
              qint64 counted, qint64 readAt);
    void close();
    bool isOpen() const { return open_; }
    // The first row's field (null when there is none or the result is closed).
    QVariant value(int field = 0) const { return row_.value(field); }
    int fullRuns() const { return fullRuns_; }

  private:
    [[nodiscard]] Status runFull();
    QString sumSql(const QString& where) const;
    void settle();
    void rowWriting(qint64 rowid);
    void rowWritten(qint64 rowid);
    bool adjust(qint64 rowid, double sign);
    qint64 changes() const;
    qint64 othersVersion() const;

    Database* db_ = nullptr;
    QString sql_;
    QVariantList binds_;
    QVariantList row_;
    bool open_ = false;

    // The parts of a sum query, when it is one.
    QString key_;
    QStringList expressions_;
    QString where_;
    // The table of a sum query (null for any other). The whole run looks the
    // condition's texts up among the spellings in the table, so an index
    // finds them; a followed row is looked at by its key with where_, which
    // needs none.
    const TableDef* def_ = nullptr;
    Condition condition_;
    QList<Amount> amounts_;
    QString selectList_;
    std::vector<double> sums_;
    std::vector<qint64> counts_;
    bool live_ = false;     // sums_ match the table as of syncedChanges_
    bool writing_ = false;  // a followed write is under way
    qint64 syncedChanges_ = 0;
    qint64 syncedVersion_ = -1;  // data_version when the sums were last read in full
    int adjustments_ = 0;
    int fullRuns_ = 0;
};

}  // namespace vela
