#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <vector>

#include "base/result.h"
#include "storage/groupedsum.h"
#include "storage/query.h"

namespace vela {

class Database;
struct TableDef;

// Sums of amounts per combination of several key columns (partner, currency,
// due date, say), each amount over its own rows, from one read-only pass.
struct KeyedSum {
    QStringList keys;          // a null key reads as the empty text
    std::vector<double> sums;  // a sum over no rows is 0
    qint64 rows = 0;
};

// The groups come in the order their first row is met, so an order given
// here is the order of the groups. The pass adds up in memory instead of a
// GROUP BY: SQLite would walk the rows in the order of the keys rather than
// by the index that finds the rows of where.
Result<std::vector<KeyedSum>> sumByKeys(Database& db, const TableDef& table,
                                        const QStringList& keyColumns,
                                        const QList<GroupedSum::Part>& parts,
                                        const Condition& where, const QList<OrderKey>& order = {});

}  // namespace vela
