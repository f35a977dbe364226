#include "storage/bulkwrite.h"

#include "base/statement.h"
#include "storage/columns.h"
#include "storage/database.h"
#include "storage/values.h"

namespace vela {

BulkInsert::BulkInsert(Database& db, const TableDef& table, const QStringList& columns,
                       BadValue badValue)
    : db_(db), table_(table), names_(columns), badValue_(badValue) {}

Status BulkInsert::begin() {
    if (inTransaction_)
        return {};
    columns_.clear();
    maxText_.clear();
    QStringList names;
    QStringList marks;
    for (const QString& c : std::as_const(names_)) {
        const ColumnDef* def = table_.column(c);
        if (!def)
            return Error{
                QStringLiteral("A(z) „%1” táblában nincs „%2” oszlop.").arg(table_.name, c)};
        columns_.push_back(def);
        maxText_.push_back(values::maxTextLength(*def));
        names << schema::quoteName(c);
        marks << QStringLiteral("?");
    }
    insert_ = std::make_unique<Statement>(
        db_.handle(), QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                          .arg(schema::quoteName(table_.name), names.join(QStringLiteral(", ")),
                               marks.join(QStringLiteral(", "))));
    if (const Status& prepared = insert_->status(); !prepared) {
        const Status failed = prepared;
        insert_.reset();
        return failed;
    }
    if (Status s = db_.begin(); !s) {
        insert_.reset();
        return s;
    }
    inTransaction_ = true;
    return {};
}

BulkInsert::~BulkInsert() {
    insert_.reset();
    // Left open by its user: what was written is kept when the commit can
    // be made, and undone by finish() when it cannot; no one is left to
    // hear which.
    if (inTransaction_)
        (void)finish();
}

namespace {

// A value that is already of its column's kind, in the form it is stored in;
// null when it needs the full conversion.
QVariant storedAsIs(const ColumnDef& column, int maxText, const QVariant& v) {
    switch (v.typeId()) {
        case QMetaType::QString:
            if (column.type == ColumnType::Text && v.toString().size() <= maxText)
                return v;
            break;
        case QMetaType::Double:
            if (column.type == ColumnType::Real)
                return v;
            break;
        case QMetaType::LongLong:
        case QMetaType::Int:
            if (column.type == ColumnType::Integer)
                return v;
            break;
        case QMetaType::QDate:
            if (column.type == ColumnType::Date && v.toDate().isValid())
                return v.toDate().toString(Qt::ISODate);
            break;
        default:
            break;
    }
    return {};
}

}  // namespace

Status BulkInsert::append(const QVariantList& values) {
    if (!inTransaction_ || !insert_)
        return Error{QStringLiteral("A sorok írása nem kezdődött el.")};
    if (Status s = insert_->reset(); !s)
        return s;
    for (int i = 0; i < int(columns_.size()); ++i) {
        const ColumnDef& column = *columns_[size_t(i)];
        const QVariant& in = i < values.size() ? values.at(i) : QVariant();
        // A value that cannot be bound leaves the statement failed; its
        // exec() below tells why.
        if (in.isNull() && column.type != ColumnType::Boolean) {
            insert_->bind(i + 1, QVariant());
            continue;
        }
        if (const QVariant direct = storedAsIs(column, maxText_[size_t(i)], in); !direct.isNull()) {
            insert_->bind(i + 1, direct);
            continue;
        }
        Result<QVariant> stored = values::toColumnValue(column, in);
        if (!stored) {
            if (badValue_ == BadValue::RefuseRow)
                return stored.error();
            ++badValues_;
            stored = QVariant();
        }
        insert_->bind(i + 1, values::toStorage(*stored));
    }
    if (Status s = insert_->exec(); !s)
        return s;
    ++written_;
    return {};
}

Status BulkInsert::finish() {
    if (!inTransaction_)
        return {};
    inTransaction_ = false;
    insert_.reset();
    if (Status s = db_.commit(); !s) {
        db_.rollback();
        return s;
    }
    return {};
}

namespace bulk {

Result<QVariant> highestValue(Database& db, const TableDef& table, const QString& column) {
    return db.scalar(QStringLiteral("SELECT max(%1) FROM %2")
                         .arg(schema::quoteName(column), schema::quoteName(table.name)));
}

Result<QSet<QString>> distinctTexts(Database& db, const TableDef& table, const QString& column) {
    QSet<QString> out;
    Statement st(db.handle(), QStringLiteral("SELECT DISTINCT %1 FROM %2 WHERE %1 IS NOT NULL")
                                  .arg(schema::quoteName(column), schema::quoteName(table.name)));
    while (st.next()) out.insert(st.value(0).toString().trimmed());
    if (!st.status())
        return st.status().error();
    return out;
}

Result<int> countIn(Database& db, const Query& query, const QString& column,
                    const QSet<QString>& texts) {
    if (!query.table || texts.isEmpty())
        return 0;
    QVariantList binds;
    QString sql = QStringLiteral("SELECT %1 FROM %2")
                      .arg(schema::quoteName(column), schema::quoteName(query.table->name));
    if (!query.where.isAll())
        sql += QStringLiteral(" WHERE ") + query.where.sql(binds, db.dialect());
    Statement st(db.handle(), sql);
    if (Status s = st.bind(binds); !s)
        return s.error();
    int n = 0;
    while (st.next()) {
        if (!st.isNull(0) && texts.contains(st.value(0).toString().trimmed()))
            ++n;
    }
    if (!st.status())
        return st.status().error();
    return n;
}

}  // namespace bulk
}  // namespace vela
