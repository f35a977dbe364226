#include "storage/aggregatequery.h"

#include <QObject>

#include "base/statement.h"
#include "storage/columns.h"
#include "storage/database.h"
#include "storage/recordsource.h"

namespace vela {

namespace {
// After this many followed writes the sums are run whole again, so rounding
// cannot pile up.
constexpr int kMaxAdjustments = 2000;
}  // namespace

void AggregateQuery::setQuery(const QString& sql, const QVariantList& binds) {
    sql_ = sql;
    binds_ = binds;
    expressions_.clear();
    where_.clear();
    amounts_.clear();
    def_ = nullptr;
    condition_ = {};
    live_ = false;
}

void AggregateQuery::setSum(const TableDef& tableDef, const QList<Amount>& amounts,
                            const Condition& condition) {
    // Written in the dialect of the database set (before one is, the data
    // folder's engine's).
    const Dialect& d = db_ ? db_->dialect() : Database::engineDialect();
    QStringList expressions;
    for (const Amount& a : amounts) expressions << a.sql(d);
    QVariantList binds;
    const QString where = condition.isAll() ? QString() : condition.sql(binds, d);
    QStringList parts;
    for (const QString& e : expressions) parts << QStringLiteral("sum(%1)").arg(e);
    for (const QString& e : expressions) parts << QStringLiteral("count(%1)").arg(e);
    def_ = &tableDef;
    selectList_ = parts.join(QStringLiteral(", "));
    sql_ = sumSql(where);
    binds_ = binds;
    key_ = tableDef.keySql();
    expressions_ = expressions;
    where_ = where;
    condition_ = condition;
    amounts_ = amounts;
    live_ = false;
}

QString AggregateQuery::sumSql(const QString& where) const {
    return QStringLiteral("SELECT %1 FROM %2%3")
        .arg(selectList_, schema::quoteName(def_->name),
             where.isEmpty() ? QString() : QStringLiteral(" WHERE (%1)").arg(where));
}

void AggregateQuery::follow(RecordSource* source) {
    QObject::connect(source, &RecordSource::rowWriting, source,
                     [this](qint64 rowid) { rowWriting(rowid); });
    QObject::connect(source, &RecordSource::rowWritten, source,
                     [this](qint64 rowid) { rowWritten(rowid); });
}

qint64 AggregateQuery::changes() const {
    return db_ && db_->handle() ? db_->handle()->totalChanges() : -1;
}

void AggregateQuery::settle() {
    // A delete has no notice after it: once the counter shows it, it is done.
    if (writing_ && changes() == syncedChanges_)
        writing_ = false;
}

qint64 AggregateQuery::othersVersion() const {
    // Changes whenever another connection (another workstation) commits.
    return db_ && db_->handle() ? db_->handle()->changeToken() : -1;
}

Status AggregateQuery::requery() {
    settle();
    if (live_ && !writing_ && changes() == syncedChanges_ && adjustments_ < kMaxAdjustments &&
        othersVersion() == syncedVersion_) {
        open_ = true;
        return {};
    }
    return runFull();
}

Status AggregateQuery::runFull() {
    row_.clear();
    open_ = false;
    live_ = false;
    writing_ = false;
    if (!db_)
        return Error{QStringLiteral("Az adatbázis nincs megnyitva.")};
    ++fullRuns_;
    // Read before the sums: a commit of another connection meanwhile makes
    // the next requery read again.
    syncedVersion_ = othersVersion();
    QString sql = sql_;
    QVariantList binds = binds_;
    if (def_ && !condition_.isAll()) {
        binds.clear();
        const QString where =
            condition_
                .withSpellings([this](const QString& column, const QString& value) {
                    return columnSpellings(*db_, *def_, column, value);
                })
                .sql(binds, db_->dialect());
        sql = sumSql(where);
    }
    Statement st(db_->handle(), sql);
    if (Status s = st.bind(binds); !s)
        return s;
    QVariantList all;
    if (st.next()) {
        for (int i = 0; i < st.columnCount(); ++i) all << st.value(i);
    }
    if (!st.status())
        return st.status();
    open_ = true;
    if (!def_) {
        row_ = all;
        return {};
    }
    const int n = int(expressions_.size());
    sums_.assign(size_t(n), 0.0);
    counts_.assign(size_t(n), 0);
    for (int i = 0; i < n; ++i) {
        sums_[size_t(i)] = all.value(i).toDouble();
        counts_[size_t(i)] = all.value(n + i).toLongLong();
        row_ << all.value(i);
    }
    live_ = true;
    adjustments_ = 0;
    syncedChanges_ = changes();
    return {};
}

bool AggregateQuery::take(const TableDef& table, const Amount& amount, const Condition& where,
                          double sum, qint64 counted, qint64 readAt) {
    if (def_ != &table || !db_ || amounts_ != QList<Amount>{amount} || !(condition_ == where))
        return false;
    // As runFull leaves it: a commit of another connection since the pass
    // began makes the next requery read again.
    sums_.assign(1, sum);
    counts_.assign(1, counted);
    row_ = {counted > 0 ? QVariant(sum) : QVariant()};
    open_ = true;
    live_ = true;
    writing_ = false;
    adjustments_ = 0;
    syncedVersion_ = readAt;
    syncedChanges_ = changes();
    return true;
}

bool AggregateQuery::adjust(qint64 rowid, double sign) {
    QStringList parts = expressions_;
    Statement st(
        db_->handle(),
        QStringLiteral("SELECT %1 FROM %2 WHERE %4 = ?%3")
            .arg(parts.join(QStringLiteral(", ")), schema::quoteName(def_->name),
                 where_.isEmpty() ? QString() : QStringLiteral(" AND (%1)").arg(where_), key_));
    if (!st.bind(QVariantList{rowid} + binds_))
        return false;
    if (st.next()) {
        for (int i = 0; i < int(expressions_.size()); ++i) {
            if (st.isNull(i))
                continue;
            sums_[size_t(i)] += sign * st.value(i).toDouble();
            counts_[size_t(i)] += sign > 0 ? 1 : -1;
        }
    }
    if (!st.status())
        return false;
    ++adjustments_;
    row_.clear();
    for (size_t i = 0; i < sums_.size(); ++i)
        row_ << (counts_[i] > 0 ? QVariant(sums_[i]) : QVariant());
    return true;
}

void AggregateQuery::rowWriting(qint64 rowid) {
    settle();
    if (!live_ || writing_ || changes() != syncedChanges_) {
        live_ = false;
        return;
    }
    writing_ = true;
    if (!adjust(rowid, -1))
        live_ = false;
    // A delete writes nothing back: it counts as done now.
    syncedChanges_ = changes() + 1;
}

void AggregateQuery::rowWritten(qint64 rowid) {
    if (writing_ && changes() == syncedChanges_ + 1)
        writing_ = false;  // not an update's end: an insert after a finished delete
    if (!live_) {
        writing_ = false;
        return;
    }
    // An insert comes without a writing notice before it.
    const qint64 now = changes();
    if (!writing_ && now != syncedChanges_ + 1) {
        live_ = false;
        return;
    }
    if (writing_ && now != syncedChanges_) {
        live_ = false;
        writing_ = false;
        return;
    }
    writing_ = false;
    if (!adjust(rowid, +1))
        live_ = false;
    syncedChanges_ = now;
}

void AggregateQuery::close() {
    row_.clear();
    open_ = false;
    live_ = false;
}

}  // namespace vela
