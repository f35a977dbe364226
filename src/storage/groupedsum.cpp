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
    sql_ = QStringLiteral("SELECT %1, %2 FROM %3%4")
               .arg(schema::quoteName(groupColumn), amounts.join(QStringLiteral(", ")),
                    schema::quoteName(table.name),
                    whereSql.isEmpty() ? QString() : QStringLiteral(" WHERE ") + whereSql);
    // A server adds up by itself and sends the groups alone: each amount's
    // sum, its count, and the group's rows.
    grouped_ = addsUpOnEngine();
    if (grouped_) {
        QStringList inner{QStringLiteral("g")}, sums, counts;
        for (qsizetype i = 0; i < amounts.size(); ++i) {
            inner << QStringLiteral("a%1").arg(i);
            sums << QStringLiteral("sum(a%1)").arg(i);
            counts << QStringLiteral("count(a%1)").arg(i);
        }
        sql_ = QStringLiteral("SELECT g, %1, %2, count(*) FROM (%3) AS r(%4) GROUP BY g")
                   .arg(sums.join(QStringLiteral(", ")), counts.join(QStringLiteral(", ")), sql_,
                        inner.join(QStringLiteral(", ")));
    }
    binds_ = binds;
    parts_ = int(parts.size());
    partList_ = parts;
    caseBlind_ = caseBlind;
    groups_.clear();
}

bool GroupedSum::addsUpOnEngine() const {
    return db_ && db_->onServer();
}

Status GroupedSum::requery() {
    groups_.clear();
    totals_.fill(0.0, parts_);
    counts_.fill(0, parts_);
    if (!db_)
        return Error{QStringLiteral("Az adatbázis nincs megnyitva.")};
    readAt_ = db_->handle() ? db_->handle()->changeToken() : -1;
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
            const QByteArray raw = null ? QByteArray() : st.utf8(0);
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
            last->rows += grouped_ ? st.int64(1 + 2 * parts_) : 1;
            for (int i = 0; i < parts_; ++i) {
                if (st.isNull(1 + i))
                    continue;
                const double amount = st.real(1 + i);
                last->sums[size_t(i)] += amount;
                last->any[size_t(i)] = true;
                totals_[i] += amount;
                counts_[i] += grouped_ ? st.int64(1 + parts_ + i) : 1;
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
