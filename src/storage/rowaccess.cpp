#include "storage/rowaccess.h"

#include <vector>

#include "base/statement.h"
#include "storage/columns.h"
#include "storage/database.h"
#include "storage/values.h"

namespace vela::rows {

namespace {

using schema::quoteName;

QString whereOf(const Database& db, const Condition& c, QVariantList& binds) {
    return c.isAll() ? QStringLiteral("TRUE") : c.sql(binds, db.dialect());
}

// The values in the columns' kinds, or the first one that cannot stand there.
Status converted(const TableDef& table, const Values& values, QStringList& names,
                 QVariantList& out) {
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        const ColumnDef* c = table.column(it.key());
        if (!c)
            return Error{QStringLiteral("Nincs ilyen oszlop: %1").arg(it.key())};
        Result<QVariant> v = values::toColumnValue(*c, it.value());
        if (!v)
            return v.error();
        names << quoteName(c->name);
        out << *v;
    }
    return {};
}

// The connection's kept statement for sql, rewound when the call is done.
class Kept {
  public:
    Kept(Database& db, const QString& sql) : st_(db.prepared(sql)) {}
    ~Kept() { (void)st_.reset(); }
    Kept(const Kept&) = delete;
    Kept& operator=(const Kept&) = delete;
    Statement& operator*() { return st_; }
    Statement* operator->() { return &st_; }

  private:
    Statement& st_;
};

// The first column of the first row, null without a row.
Result<QVariant> firstValue(Database& db, const QString& sql, const QVariantList& binds = {}) {
    Kept st(db, sql);
    if (Status s = st->bind(binds); !s)
        return s.error();
    QVariant v;
    if (st->next())
        v = st->value(0);
    if (!st->status())
        return st->status().error();
    return v;
}

}  // namespace

Result<Values> read(Database& db, const TableDef& table, qint64 key) {
    Kept st(
        db,
        QStringLiteral("SELECT * FROM %1 WHERE %2 = ?").arg(quoteName(table.name), table.keySql()));
    if (Status s = st->bind(1, key); !s)
        return s.error();
    if (!st->next()) {
        if (!st->status())
            return st->status().error();
        return Error{QStringLiteral("A sort közben egy másik munkaállomás törölte.")};
    }
    Values out;
    for (int i = 0; i < st->columnCount(); ++i) out.insert(st->columnName(i), st->value(i));
    return out;
}

Status update(Database& db, const TableDef& table, qint64 key, const Values& values) {
    if (values.isEmpty())
        return {};
    QStringList names;
    QVariantList binds;
    if (Status s = converted(table, values, names, binds); !s)
        return s;
    for (QString& n : names) n += QStringLiteral(" = ?");
    binds << key;
    Kept st(db, QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?")
                    .arg(quoteName(table.name), names.join(QStringLiteral(", ")), table.keySql()));
    if (Status s = st->bind(binds); !s)
        return s;
    if (Status s = st->exec(); !s)
        return s;
    if (st->rowsChanged() == 0)
        return Error{QStringLiteral("A sort közben egy másik munkaállomás törölte.")};
    return {};
}

Result<qint64> insert(Database& db, const TableDef& table, const Values& values) {
    QStringList names;
    QVariantList binds;
    if (Status s = converted(table, values, names, binds); !s)
        return s.error();
    QStringList marks;
    for (int i = 0; i < names.size(); ++i) marks << QStringLiteral("?");
    Kept st(db, (names.isEmpty()
                     ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoteName(table.name))
                     : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                           .arg(quoteName(table.name), names.join(QStringLiteral(", ")),
                                marks.join(QStringLiteral(", ")))) +
                    db.dialect().returningKey(table.keySql()));
    if (Status s = st->bind(binds); !s)
        return s.error();
    if (Status s = st->exec(); !s)
        return s.error();
    return st->insertedKey();
}

Result<bool> any(Database& db, const Query& query) {
    QVariantList binds;
    const QString where = whereOf(db, query.where, binds);
    Result<QVariant> v = firstValue(db,
                                    QStringLiteral("SELECT 1 FROM %1 WHERE %2 LIMIT 1")
                                        .arg(quoteName(query.table->name), where),
                                    binds);
    if (!v)
        return v.error();
    return !v->isNull();
}

Result<qint64> count(Database& db, const Query& query) {
    QVariantList binds;
    const QString where = whereOf(db, query.where, binds);
    Result<QVariant> v = firstValue(
        db,
        QStringLiteral("SELECT count(*) FROM %1 WHERE %2").arg(quoteName(query.table->name), where),
        binds);
    if (!v)
        return v.error();
    return v->toLongLong();
}

Result<QList<qint64>> keys(Database& db, const Query& query) {
    QVariantList binds;
    const QString where = whereOf(db, query.where, binds);
    const QString key = query.table->keySql();
    Kept st(db, QStringLiteral("SELECT %1 FROM %2 WHERE %3 ORDER BY %1")
                    .arg(key, quoteName(query.table->name), where));
    if (Status s = st->bind(binds); !s)
        return s.error();
    QList<qint64> out;
    while (st->next()) out << st->int64(0);
    if (!st->status())
        return st->status().error();
    return out;
}

Result<QVariant> highest(Database& db, const TableDef& table, const QString& column) {
    return firstValue(
        db, QStringLiteral("SELECT max(%1) FROM %2").arg(quoteName(column), quoteName(table.name)));
}

Result<QHash<QString, double>> sumsBy(Database& db, const TableDef& table,
                                      const QString& groupColumn, const QString& amount,
                                      const Condition& where) {
    QVariantList binds;
    const QString w = whereOf(db, where, binds);
    // Grouped folded, the engine reads the few rows of where and sorts them
    // rather than walking the whole grouping column's index.
    const QString key = db.dialect().foldCase(quoteName(groupColumn));
    Statement st(db.handle(), QStringLiteral("SELECT %1, sum(%2) FROM %3 WHERE %4 GROUP BY %1")
                                  .arg(key, quoteName(amount), quoteName(table.name), w));
    if (Status s = st.bind(binds); !s)
        return s.error();
    QHash<QString, double> out;
    while (st.next()) {
        if (!st.isNull(0))
            out.insert(st.value(0).toString(), st.value(1).toDouble());
    }
    if (!st.status())
        return st.status().error();
    return out;
}

Result<PassCounts> rewrite(Database& db, const TableDef& table, const Condition& where,
                           const QStringList& read, const QStringList& write,
                           const RowChange& change, const std::function<void()>& onFailedRow) {
    PassCounts result;
    const QString t = quoteName(table.name);
    QStringList readNames;
    for (const QString& c : read) readNames << quoteName(c);
    QVariantList binds;
    const QString w = whereOf(db, where, binds);
    struct Change {
        qint64 rowid;
        QVariantList values;
    };
    std::vector<Change> changes;
    {
        Statement st(db.handle(),
                     QStringLiteral("SELECT %4, %1 FROM %2 WHERE %3")
                         .arg(readNames.join(QStringLiteral(", ")), t, w, table.keySql()));
        if (Status s = st.bind(binds); !s)
            return s.error();
        QVariantList in;
        in.reserve(read.size());
        while (st.next()) {
            ++result.rows;
            in.clear();
            for (int i = 0; i < read.size(); ++i) in << st.value(i + 1);
            QVariantList out;
            if (change(in, out))
                changes.push_back({st.int64(0), std::move(out)});
        }
        if (!st.status())
            return st.status().error();
    }
    if (changes.empty())
        return result;
    // Rows all over a big ledger move entries of its indexes all over them.
    const WidePageCache wide(db);
    const Dialect& d = db.dialect();
    QStringList sets;
    for (const QString& c : write)
        sets << QStringLiteral("%1 = %2").arg(quoteName(c),
                                              d.ifNull(QStringLiteral("?"), quoteName(c)));
    if (Status s = db.begin(); !s)
        return s.error();
    Statement st(db.handle(), QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?")
                                  .arg(t, sets.join(QStringLiteral(", ")), table.keySql()));
    if (!st.status()) {
        db.rollback();
        return st.status().error();
    }
    for (const Change& c : changes) {
        // A reset only forgets the last row's failure on a prepared statement.
        st.reset();
        bool bound = true;
        for (int i = 0; i < write.size() && bound; ++i)
            bound = st.bind(i + 1, c.values.value(i)).ok();
        if (bound && st.bind(int(write.size()) + 1, c.rowid).ok() && st.exec()) {
            ++result.written;
        } else {
            ++result.failed;
            result.lastRowError = st.status().errorText();
            if (onFailedRow)
                onFailedRow();
        }
    }
    if (Status s = db.commit(); !s)
        return s.error();
    return result;
}

}  // namespace vela::rows
