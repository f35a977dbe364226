#include "storage/scratchtable.h"

#include "base/statement.h"
#include "storage/columns.h"
#include "storage/database.h"

namespace vela {

namespace {

using schema::quoteName;

QString insertSql(const TableDef& t) {
    QStringList names, marks;
    for (const ColumnDef& c : t.columns) {
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
    const int columns = int(scratch.columns.size());
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
    // the ledger rows of those invoice numbers.
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
    const QString grouped = QStringLiteral(
                                "UPDATE %1 SET %2 = sums.total FROM ("
                                "SELECT %3 AS invoice, sum(%4) AS total FROM %5 "
                                "WHERE %4 > 0 AND %3 IN (SELECT %3 FROM %1 WHERE %3 <> '') "
                                "GROUP BY %3) AS sums WHERE %1.%3 = sums.invoice")
                                .arg(s, total, inv, part, l);
    return db_.exec(grouped);
}

}  // namespace vela
