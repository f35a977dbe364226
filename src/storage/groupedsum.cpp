#include "storage/groupedsum.h"

#include "storage/columns.h"
#include "storage/database.h"
#include "storage/statement.h"

namespace vela {

void GroupedSum::setSum(const TableDef& table, const QString& groupColumn, const QList<Part>& parts,
                        bool caseBlind) {
    // SELECT g, sum(CASE WHEN c1 THEN a1 END), ... FROM t WHERE c1 OR c2 ...
    // GROUP BY g: the values of each condition are bound once where it
    // picks the amount and once in the where-clause, in that order.
    QVariantList binds;
    QStringList sums;
    QList<Condition> any;
    for (const Part& p : parts) {
        if (p.where.isAll()) {
            sums << QStringLiteral("sum(%1)").arg(p.amount.sql());
        } else {
            const QString when = p.where.sql(binds);
            sums << QStringLiteral("sum(CASE WHEN %1 THEN %2 END)").arg(when, p.amount.sql());
        }
        any << p.where;
    }
    const Condition where = Condition::anyOf(any);
    const QString whereSql = where.isAll() ? QString() : where.sql(binds);
    const QString group =
        caseBlind ? QStringLiteral("upper(trim(%1))").arg(schema::quoteName(groupColumn))
                  : schema::quoteName(groupColumn);
    sql_ =
        QStringLiteral("SELECT %1, count(*), %2 FROM %3%4 GROUP BY %1 ORDER BY count(*) DESC, %1")
            .arg(group, sums.join(QStringLiteral(", ")), schema::quoteName(table.name),
                 whereSql.isEmpty() ? QString() : QStringLiteral(" WHERE ") + whereSql);
    binds_ = binds;
    parts_ = int(parts.size());
    groups_.clear();
}

bool GroupedSum::requery() {
    groups_.clear();
    if (!db_) {
        error_ = QStringLiteral("Az adatbázis nincs megnyitva.");
        return false;
    }
    Statement st(db_->handle(), sql_);
    if (st.ok() && st.bind(binds_)) {
        while (st.next()) {
            Group g;
            g.key = st.value(0);
            g.rows = st.int64(1);
            for (int i = 0; i < parts_; ++i) g.sums << st.value(2 + i);
            groups_.push_back(std::move(g));
        }
    }
    error_ = st.error();
    if (!error_.isEmpty())
        groups_.clear();
    return error_.isEmpty();
}

}  // namespace vela
