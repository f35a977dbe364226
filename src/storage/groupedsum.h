#pragma once

#include <QList>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <optional>
#include <vector>

#include "base/result.h"
#include "storage/query.h"

namespace vela {

class Database;
struct TableDef;

// Sums of amounts per value of one column (per currency, say), each amount
// over its own rows, all from one pass over the table: a read-only result
// with one row per group, most rows first.
class GroupedSum {
  public:
    // An amount and the rows it is summed over.
    struct Part {
        Amount amount;
        Condition where;
    };
    // One value of the grouping column with its sums; a sum over no rows is
    // null, like SQL's sum().
    struct Group {
        QVariant key;
        QVariantList sums;
        qint64 rows = 0;  // rows of the group that the pass took
    };

    void setDatabase(Database* db) { db_ = db; }
    // The pass takes the rows of where, or of any part when none is given (a
    // where that holds every part's rows lets an index serve the pass).
    // caseBlind: texts that differ only in letter case or outer blanks are
    // one group, keyed by their upper-case form ("Ft" and "FT" are "FT").
    void setSum(const TableDef& table, const QString& groupColumn, const QList<Part>& parts,
                const std::optional<Condition>& where = std::nullopt, bool caseBlind = false);
    QString query() const { return sql_; }
    QVariantList binds() const { return binds_; }

    [[nodiscard]] Status requery();
    // Whether the engine adds up the groups itself (a server): then the pass
    // costs about what one sum does.
    bool addsUpOnEngine() const;
    const std::vector<Group>& groups() const { return groups_; }
    // A part's sum over every group, and the rows it took that had an
    // amount: what a sum of the part alone gives.
    double total(int part) const { return totals_.value(part); }
    qint64 counted(int part) const { return counts_.value(part); }
    // The parts as set.
    const QList<Part>& parts() const { return partList_; }
    // The database's change token as the last pass began (another
    // workstation's commit since moves it).
    qint64 readAt() const { return readAt_; }

  private:
    Database* db_ = nullptr;
    QString sql_;
    QVariantList binds_;
    int parts_ = 0;
    QList<Part> partList_;
    QList<double> totals_;
    QList<qint64> counts_;
    qint64 readAt_ = -1;
    bool caseBlind_ = false;
    bool grouped_ = false;  // the engine groups (GROUP BY), else the rows are added up here
    std::vector<Group> groups_;
};

}  // namespace vela
