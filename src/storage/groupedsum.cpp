#include "storage/groupedsum.h"

#include <algorithm>

#include "base/statement.h"
#include "storage/columns.h"
#include "storage/database.h"

namespace vela {

void GroupedSum::setSum(const TableDef& table, const QString& groupColumn, const QList<Part>& parts,
                        const std::optional<Condition>& where, bool caseBlind) {
    // SELECT g, CASE WHEN c1 THEN a1 END, ... FROM t WHERE w, added up here:
    // a GROUP BY would make SQLite walk an index in the order of g rather
    // than the one that finds the rows of w, and the groups are few.
    const Dialect& d = db_ ? db_->dialect() : Database::engineDialect();
    QVariantList binds;
    QStringList amounts;
    QList<Condition> any;
    for (const Part& p : parts) {
        if (p.where.isAll()) {
            amounts << p.amount.sql(d);
        } else {
            const QString when = p.where.sql(binds, d);
            amounts << QStringLiteral("CASE WHEN %1 THEN %2 END").arg(when, p.amount.sql(d));
        }
        any << p.where;
    }
    const Condition taken = where ? *where : Condition::anyOf(any);
    const QString whereSql = taken.isAll() ? QString() : taken.sql(binds, d);
    // A server adds up by itself and sends the groups alone.
    grouped_ = db_ && db_->onServer();
    if (grouped_) {
        for (QString& a : amounts) a = QStringLiteral("sum(%1)").arg(a);
        amounts << QStringLiteral("count(*)");
    }
    sql_ = QStringLiteral("SELECT %1, %2 FROM %3%4%5")
               .arg(schema::quoteName(groupColumn), amounts.join(QStringLiteral(", ")),
                    schema::quoteName(table.name),
                    whereSql.isEmpty() ? QString() : QStringLiteral(" WHERE ") + whereSql,
                    grouped_ ? QStringLiteral(" GROUP BY 1") : QString());
    binds_ = binds;
    parts_ = int(parts.size());
    caseBlind_ = caseBlind;
    groups_.clear();
}

Status GroupedSum::requery() {
    groups_.clear();
    if (!db_)
        return Error{QStringLiteral("Az adatbázis nincs megnyitva.")};
    struct Acc {
        QByteArray raw;
        bool null;
        qint64 rows = 0;
        std::vector<double> sums;
        std::vector<bool> any;
    };
    std::vector<Acc> acc;
    Statement st(db_->handle(), sql_);
    if (st.bind(binds_)) {
        Acc* last = nullptr;
        while (st.next()) {
            const bool null = st.isNull(0);
            const QByteArray raw = null ? QByteArray() : st.value(0).toString().toUtf8();
            if (!last || last->null != null || last->raw != raw) {
                last = nullptr;
                for (Acc& a : acc) {
                    if (a.null == null && a.raw == raw)
                        last = &a;
                }
                if (!last) {
                    acc.push_back({raw, null, 0, std::vector<double>(size_t(parts_), 0.0),
                                   std::vector<bool>(size_t(parts_), false)});
                    last = &acc.back();
                }
            }
            last->rows += grouped_ ? st.int64(1 + parts_) : 1;
            for (int i = 0; i < parts_; ++i) {
                if (st.isNull(1 + i))
                    continue;
                last->sums[size_t(i)] += st.value(1 + i).toDouble();
                last->any[size_t(i)] = true;
            }
        }
    }
    if (!st.status())
        return st.status();
    for (const Acc& a : acc) {
        Group g;
        g.key = a.null ? QVariant() : QVariant(QString::fromUtf8(a.raw));
        if (caseBlind_ && !a.null)
            g.key = g.key.toString().trimmed().toUpper();
        g.rows = a.rows;
        for (int i = 0; i < parts_; ++i)
            g.sums << (a.any[size_t(i)] ? QVariant(a.sums[size_t(i)]) : QVariant());
        // Spellings of one key are added into its first group.
        auto same = std::find_if(groups_.begin(), groups_.end(),
                                 [&](const Group& o) { return o.key == g.key; });
        if (same == groups_.end()) {
            groups_.push_back(std::move(g));
            continue;
        }
        same->rows += g.rows;
        for (int i = 0; i < parts_; ++i) {
            if (g.sums[i].isNull())
                continue;
            same->sums[i] = same->sums[i].isNull()
                                ? g.sums[i]
                                : QVariant(same->sums[i].toDouble() + g.sums[i].toDouble());
        }
    }
    // Most rows first; among equals by key, a missing key last.
    std::stable_sort(groups_.begin(), groups_.end(), [](const Group& a, const Group& b) {
        if (a.rows != b.rows)
            return a.rows > b.rows;
        if (a.key.isNull() != b.key.isNull())
            return b.key.isNull();
        return a.key.toString() < b.key.toString();
    });
    return {};
}

}  // namespace vela
