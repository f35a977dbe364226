#include "storage/ledgerpasses.h"

#include <cmath>
#include <vector>

#include "base/statement.h"
#include "storage/columns.h"
#include "storage/database.h"

namespace vela::ledgerpasses {

namespace {

// The column every row is followed by.
QString keyOf(const TableDef& table) {
    return table.keySql();
}

QString whereOf(const Database& db, const Condition& c, QVariantList& binds) {
    return c.isAll() ? QStringLiteral("1") : c.sql(binds, db.dialect());
}

// Runs write for each change inside one transaction; a failed row is
// counted and the pass goes on.
template <class Change, class Bind>
Status writeAll(Database& db, const QString& sql, const std::vector<Change>& changes,
                const Bind& bind, const std::function<void()>& onFailedRow, PassCounts& result) {
    if (changes.empty())
        return {};
    // Rows all over a big ledger move entries of its indexes all over them:
    // a larger page cache for the pass saves reading the same pages again.
    // The cache size only speeds the pass up: when it cannot be read or set
    // the pass runs with the cache it has.
    const Result<QVariant> cache = db.scalar(QStringLiteral("PRAGMA cache_size"));
    (void)db.exec(QStringLiteral("PRAGMA cache_size = -131072"));
    struct RestoreCache {
        Database& db;
        QVariant size;
        ~RestoreCache() {
            if (size.isValid())
                (void)db.exec(QStringLiteral("PRAGMA cache_size = %1").arg(size.toLongLong()));
        }
    } restore{db, cache ? *cache : QVariant()};
    if (Status s = db.begin(); !s)
        return s;
    Statement st(db.handle(), sql);
    if (!st.status()) {
        db.rollback();
        return st.status();
    }
    for (const Change& c : changes) {
        // A reset only forgets the last row's failure on a prepared statement.
        st.reset();
        if (bind(st, c) && st.exec()) {
            ++result.written;
        } else {
            ++result.failed;
            result.lastRowError = st.status().errorText();
            if (onFailedRow)
                onFailedRow();
        }
    }
    return db.commit();
}

}  // namespace

Result<PassCounts> writePartialTotals(Database& db, const TableDef& table, const Condition& shown,
                                      const std::function<void()>& onFailedRow) {
    PassCounts result;
    const QString t = schema::quoteName(table.name);
    QVariantList binds;
    const QString where = whereOf(db, shown, binds);
    // The sums of all invoices in one grouped pass, joined to the shown rows;
    // only rows whose total changes are written. An invoice number is the
    // same invoice whatever its letter case. Kept from the index, the
    // grouping reads the table once and sorts the few rows with a partial
    // amount rather than walking the whole invoice-number index.
    const Dialect& d = db.dialect();
    const QString number = schema::quoteName(QStringLiteral("Szamlaszam"));
    const QString sql =
        QStringLiteral(
            "SELECT r.%3, %4, r.\"RészösszegÖsszesen\" "
            "FROM (SELECT %3, \"Szamlaszam\", \"RészösszegÖsszesen\" FROM %1 WHERE (%2) "
            "AND \"Szamlaszam\" <> '') AS r "
            "LEFT JOIN (SELECT %5 AS k, sum(\"RészÖsszeg\") AS total FROM %1 "
            "WHERE \"RészÖsszeg\" > 0 GROUP BY %6) AS s ON s.k = %7")
            .arg(t, where, keyOf(table), d.ifNull(QStringLiteral("s.total"), QStringLiteral("0")),
                 d.foldCase(number), d.foldCase(d.withoutIndex(number)),
                 d.foldCase(QStringLiteral("r.") + number));
    struct Change {
        qint64 rowid;
        double total;
    };
    std::vector<Change> changes;
    {
        Statement st(db.handle(), sql);
        if (Status s = st.bind(binds); !s)
            return s.error();
        while (st.next()) {
            ++result.rows;
            const double total = st.value(1).toDouble();
            if (st.isNull(2) || st.value(2).toDouble() != total)
                changes.push_back({st.int64(0), total});
        }
        if (!st.status())
            return st.status().error();
    }
    if (Status s = writeAll(
            db,
            QStringLiteral("UPDATE %1 SET \"RészösszegÖsszesen\" = ? WHERE %2 = ?")
                .arg(t, keyOf(table)),
            changes,
            [](Statement& st, const Change& c) {
                return st.bind(1, c.total).ok() && st.bind(2, c.rowid).ok();
            },
            onFailedRow, result);
        !s)
        return s.error();
    return result;
}

Result<PassCounts> checkRows(Database& db, const TableDef& table, const Condition& shown,
                             bool onlyPositive, const std::function<void()>& onFailedRow) {
    PassCounts result;
    const QString t = schema::quoteName(table.name);
    QVariantList binds;
    const QString where = whereOf(db, shown, binds);
    const QString sql =
        QStringLiteral(
            "SELECT %3, \"Kivezetés\", \"FizetésMódja\", \"AFA\", \"Netto\", \"RészÖsszeg\", "
            "\"Brutto\", \"RészÖsszegBruttó\" FROM %1 WHERE %2")
            .arg(t, where, keyOf(table));
    // The new values of a changed row; NaN: the column keeps its value.
    struct Change {
        qint64 rowid;
        char flag;  // 0: kept, else 'N' or 'I'
        double brutto;
        double partialGross;
    };
    std::vector<Change> changes;
    {
        Statement st(db.handle(), sql);
        if (Status s = st.bind(binds); !s)
            return s.error();
        while (st.next()) {
            ++result.rows;
            Change c{st.int64(0), 0, NAN, NAN};
            const QString flag = st.isNull(1) ? QString() : st.value(1).toString();
            if (flag.isEmpty())
                c.flag = 'N';
            if (!st.isNull(2) && st.value(2).toString() == QStringLiteral("átutalás E"))
                c.flag = flag == QLatin1String("I") ? 0 : 'I';
            if (st.isNull(3)) {
                ++result.noRate;
            } else {
                // amount * (100 + AFA) / 100, as the save computes it: 100 at
                // 10 % is 110, not 110.00000000000001.
                const double rate = st.value(3).toDouble() + 100;
                const double net = st.isNull(4) ? 0 : st.value(4).toDouble();
                const double partial = st.isNull(5) ? 0 : st.value(5).toDouble();
                auto differs = [&](int column, double v) {
                    return st.isNull(column) || st.value(column).toDouble() != v;
                };
                const double gross = net * rate / 100, partialGross = partial * rate / 100;
                if ((!onlyPositive || net > 0) && differs(6, gross))
                    c.brutto = gross;
                if ((!onlyPositive || partial > 0) && differs(7, partialGross))
                    c.partialGross = partialGross;
            }
            if (c.flag || !std::isnan(c.brutto) || !std::isnan(c.partialGross))
                changes.push_back(c);
        }
        if (!st.status())
            return st.status().error();
    }
    if (Status s = writeAll(
            db,
            QStringLiteral("UPDATE %1 SET \"Kivezetés\" = %2, \"Brutto\" = %3, "
                           "\"RészÖsszegBruttó\" = %4 WHERE %5 = ?")
                .arg(t, db.dialect().ifNull(QStringLiteral("?"), QStringLiteral("\"Kivezetés\"")),
                     db.dialect().ifNull(QStringLiteral("?"), QStringLiteral("\"Brutto\"")),
                     db.dialect().ifNull(QStringLiteral("?"),
                                         QStringLiteral("\"RészÖsszegBruttó\"")),
                     keyOf(table)),
            changes,
            [](Statement& st, const Change& c) {
                auto orNull = [](double v) { return std::isnan(v) ? QVariant() : QVariant(v); };
                return st.bind(1, c.flag ? QVariant(QString(QLatin1Char(c.flag))) : QVariant())
                           .ok() &&
                       st.bind(2, orNull(c.brutto)).ok() &&
                       st.bind(3, orNull(c.partialGross)).ok() && st.bind(4, c.rowid).ok();
            },
            onFailedRow, result);
        !s)
        return s.error();
    return result;
}

}  // namespace vela::ledgerpasses
