#include "storage/keyedsum.h"

#include <string>
#include <unordered_map>

#include "base/statement.h"
#include "storage/columns.h"
#include "storage/database.h"

namespace vela {

Result<std::vector<KeyedSum>> sumByKeys(Database& db, const TableDef& table,
                                        const QStringList& keyColumns,
                                        const QList<GroupedSum::Part>& parts,
                                        const Condition& where, const QList<OrderKey>& order) {
    QVariantList binds;
    QStringList columns;
    for (const QString& k : keyColumns) {
        if (table.indexOf(k) < 0)
            return Error{QStringLiteral("A(z) %1 táblában nincs „%2” oszlop.").arg(table.name, k)};
        columns << schema::quoteName(k);
    }
    for (const GroupedSum::Part& p : parts) {
        if (p.where.isAll())
            columns << p.amount.sql(db.dialect());
        else
            columns << QStringLiteral("CASE WHEN %1 THEN %2 END")
                           .arg(p.where.sql(binds, db.dialect()), p.amount.sql(db.dialect()));
    }
    QString sql = QStringLiteral("SELECT %1 FROM %2")
                      .arg(columns.join(QStringLiteral(", ")), schema::quoteName(table.name));
    if (!where.isAll())
        sql += QStringLiteral(" WHERE ") + where.sql(binds, db.dialect());
    if (!order.isEmpty()) {
        QStringList keys;
        for (const OrderKey& o : order)
            keys << schema::quoteName(o.column) +
                        (o.descending ? QStringLiteral(" DESC") : QString());
        sql += QStringLiteral(" ORDER BY ") + keys.join(QStringLiteral(", "));
    }

    const int nKeys = int(keyColumns.size());
    const int nParts = int(parts.size());
    std::vector<KeyedSum> out;
    std::unordered_map<std::string, size_t> index;
    std::string key;
    Statement st(db.handle(), sql);
    if (Status bound = st.bind(binds); !bound)
        return bound.error();
    while (st.next()) {
        // The key's bytes as stored, one unit separator between columns.
        key.clear();
        for (int i = 0; i < nKeys; ++i) {
            const QByteArray text = st.utf8(i);
            key.append(text.constData(), size_t(text.size()));
            key.push_back('\x1f');
        }
        auto [at, inserted] = index.try_emplace(key, out.size());
        if (inserted) {
            KeyedSum g;
            for (int i = 0; i < nKeys; ++i) g.keys << (st.isNull(i) ? QString() : st.text(i));
            g.sums.assign(size_t(nParts), 0.0);
            out.push_back(std::move(g));
        }
        KeyedSum& g = out[at->second];
        ++g.rows;
        for (int i = 0; i < nParts; ++i) g.sums[size_t(i)] += st.value(nKeys + i).toDouble();
    }
    if (!st.status())
        return st.status().error();
    return out;
}

}  // namespace vela
