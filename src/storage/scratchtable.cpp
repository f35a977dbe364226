#include "storage/scratchtable.h"

#include <algorithm>

#include "base/connection.h"
#include "base/statement.h"
#include "storage/columns.h"
#include "storage/database.h"

namespace vela {

namespace {

using schema::quoteName;

// The scratch rows get keys of their own, in the order they are written.
bool isKey(const ColumnDef& c) {
    return c.name == QLatin1String(schema::kKeyColumn);
}

QString insertSql(const TableDef& t) {
    QStringList names, marks;
    for (const ColumnDef& c : t.columns) {
        if (isKey(c))
            continue;
        names << quoteName(c.name);
        marks << QStringLiteral("?");
    }
    return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
        .arg(quoteName(t.name), names.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
}

}  // namespace

Status ScratchTable::clear() {
    return db_.exec(QStringLiteral("DELETE FROM %1").arg(quoteName(schema::velaIdeigl().name)));
}

Result<int> ScratchTable::rowCount() {
    const Result<QVariant> n = db_.scalar(
        QStringLiteral("SELECT count(*) FROM %1").arg(quoteName(schema::velaIdeigl().name)));
    if (!n)
        return n.error();
    return n->toInt();
}

Result<ScratchTable::FillResult> ScratchTable::fill(const TableDef& ledger, int count,
                                                    const RowFn& row) {
    if (Status s = db_.begin(); !s)
        return s.error();
    FillResult result;
    Status s = fillInTransaction(ledger, count, row, result);
    if (s)
        s = db_.commit();
    if (!s) {
        db_.rollback();
        return s.error();
    }
    return result;
}

Status ScratchTable::fillInTransaction(const TableDef& ledger, int count, const RowFn& row,
                                       FillResult& result) {
    const TableDef& scratch = schema::velaIdeigl();
    if (Status s = clear(); !s)
        return s;

    Statement insert(db_.handle(), insertSql(scratch));
    if (!insert.status())
        return insert.status();
    const int columns = int(std::count_if(scratch.columns.begin(), scratch.columns.end(),
                                          [](const ColumnDef& c) { return !isKey(c); }));
    for (int i = 0; i < count; ++i) {
        const QVariantList values = row(i);
        bool ok = insert.reset().ok();
        for (int c = 0; ok && c < columns; ++c) ok = insert.bind(c + 1, values.value(c)).ok();
        // A row the table refuses is left out; only this statement is undone.
        if (ok && insert.exec())
            ++result.written;
        else
            ++result.failed;
    }

    // The partial amounts of every invoice printed, in one grouped pass over
    // the ledger rows with a partial amount. An invoice number names the same
    // invoice whatever its letter case.
    const QString inv = quoteName(QStringLiteral("Szamlaszam"));
    const QString part = quoteName(QStringLiteral("RészÖsszeg"));
    const QString total = quoteName(QStringLiteral("RészösszegÖsszesen"));
    const QString s = quoteName(scratch.name);
    const QString l = quoteName(ledger.name);
    if (Status zeroed =
            db_.exec(QStringLiteral("UPDATE %1 SET %2 = 0 WHERE %3 IS NOT NULL AND %3 <> ''")
                         .arg(s, total, inv));
        !zeroed)
        return zeroed;
    const Dialect& d = db_.dialect();
    const QString grouped =
        QStringLiteral(
            "UPDATE %1 SET %2 = sums.total FROM ("
            "SELECT %6 AS invoice, sum(%4) AS total FROM %5 "
            "WHERE %4 > 0 AND %3 <> '' GROUP BY %6) AS sums "
            "WHERE %7 = sums.invoice")
            .arg(s, total, inv, part, l, d.foldCase(inv), d.foldCase(s + QLatin1Char('.') + inv));
    return db_.exec(grouped);
}

}  // namespace vela
