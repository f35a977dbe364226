#include "storage/aggregatequery.h"

#include "storage/database.h"
#include "storage/statement.h"

namespace vela {

void AggregateQuery::setQuery(const QString& sql, const QVariantList& binds) {
    sql_ = sql;
    binds_ = binds;
}

bool AggregateQuery::requery() {
    row_.clear();
    open_ = false;
    if (!db_) {
        error_ = QStringLiteral("Az adatbázis nincs megnyitva.");
        return false;
    }
    Statement st(db_->handle(), sql_);
    if (st.ok() && st.bind(binds_) && st.next()) {
        for (int i = 0; i < st.columnCount(); ++i) row_ << st.value(i);
    }
    error_ = st.error();
    open_ = error_.isEmpty();
    return open_;
}

void AggregateQuery::close() {
    row_.clear();
    open_ = false;
}

}  // namespace vela
