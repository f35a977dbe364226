#include "storage/bulkwrite.h"

#include "storage/columns.h"
#include "storage/database.h"
#include "storage/statement.h"
#include "storage/values.h"

namespace vela {

BulkInsert::BulkInsert(Database& db, const TableDef& table, const QStringList& columns,
                       BadValue badValue)
    : db_(db), badValue_(badValue) {
    QStringList names;
    QStringList marks;
    for (const QString& c : columns) {
        const ColumnDef* def = table.column(c);
        if (!def) {
            error_ = QStringLiteral("A(z) „%1” táblában nincs „%2” oszlop.").arg(table.name, c);
            return;
        }
        columns_.push_back(def);
        maxText_.push_back(values::maxTextLength(*def));
        names << schema::quoteName(c);
        marks << QStringLiteral("?");
    }
    insert_ = std::make_unique<Statement>(
        db.handle(), QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                         .arg(schema::quoteName(table.name), names.join(QStringLiteral(", ")),
                              marks.join(QStringLiteral(", "))));
    if (!insert_->ok()) {
        error_ = insert_->error();
        return;
    }
    if (!db.begin(&error_))
        return;
    inTransaction_ = true;
    ok_ = true;
}

BulkInsert::~BulkInsert() {
    insert_.reset();
    if (inTransaction_)
        finish();
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

bool BulkInsert::append(const QVariantList& values) {
    if (!ok_)
        return false;
    insert_->reset();
    for (int i = 0; i < int(columns_.size()); ++i) {
        const ColumnDef& column = *columns_[size_t(i)];
        const QVariant& in = i < values.size() ? values.at(i) : QVariant();
        if (in.isNull() && column.type != ColumnType::Boolean) {
            insert_->bind(i + 1, QVariant());
            continue;
        }
        if (const QVariant direct = storedAsIs(column, maxText_[size_t(i)], in); !direct.isNull()) {
            insert_->bind(i + 1, direct);
            continue;
        }
        QVariant stored;
        QString why;
        if (!values::toColumnValue(column, in, &stored, &why)) {
            if (badValue_ == BadValue::RefuseRow) {
                error_ = why;
                return false;
            }
            ++badValues_;
            stored = QVariant();
        }
        insert_->bind(i + 1, values::toStorage(stored));
    }
    if (!insert_->exec()) {
        error_ = insert_->error();
        return false;
    }
    ++written_;
    return true;
}

bool BulkInsert::finish() {
    if (!inTransaction_)
        return error_.isEmpty() || written_ > 0;
    inTransaction_ = false;
    insert_.reset();
    QString why;
    if (!db_.commit(&why)) {
        db_.rollback();
        error_ = why;
        return false;
    }
    return true;
}

namespace bulk {

bool appendStagedInvoices(Database& db, const TableDef& staging,
                          const std::vector<QVariantList>& invoices, StagingReport* report) {
    QStringList columns;
    for (int i = 0; i <= 12; ++i) columns << staging.columns[size_t(i)].name;
    columns << staging.columns[21].name;
    BulkInsert insert(db, staging, columns, BulkInsert::BadValue::LeaveEmpty);
    StagingReport r;
    if (!insert.ok()) {
        r.failedRows = int(invoices.size());
        r.firstError = insert.error();
        if (report)
            *report = r;
        return false;
    }
    for (const QVariantList& invoice : invoices) {
        if (!insert.append(invoice)) {
            ++r.failedRows;
            if (r.firstError.isEmpty())
                r.firstError = insert.error();
        }
    }
    const bool committed = insert.finish();
    r.written = committed ? insert.written() : 0;
    r.badValues = insert.badValues();
    if (!committed) {
        r.failedRows = int(invoices.size());
        r.firstError = insert.error();
    }
    if (report)
        *report = r;
    return committed;
}

QVariant highestValue(Database& db, const TableDef& table, const QString& column, QString* error) {
    return db.scalar(QStringLiteral("SELECT max(%1) FROM %2")
                         .arg(schema::quoteName(column), schema::quoteName(table.name)),
                     {}, error);
}

QSet<QString> distinctTexts(Database& db, const TableDef& table, const QString& column,
                            QString* error) {
    QSet<QString> out;
    Statement st(db.handle(), QStringLiteral("SELECT DISTINCT %1 FROM %2 WHERE %1 IS NOT NULL")
                                  .arg(schema::quoteName(column), schema::quoteName(table.name)));
    if (!st.ok()) {
        if (error)
            *error = st.error();
        return out;
    }
    while (st.next()) out.insert(st.value(0).toString().trimmed());
    if (error && !st.error().isEmpty())
        *error = st.error();
    return out;
}

int countIn(Database& db, const Query& query, const QString& column, const QSet<QString>& texts,
            QString* error) {
    if (!query.table || texts.isEmpty())
        return 0;
    QVariantList binds;
    QString sql = QStringLiteral("SELECT %1 FROM %2")
                      .arg(schema::quoteName(column), schema::quoteName(query.table->name));
    if (!query.where.isAll())
        sql += QStringLiteral(" WHERE ") + query.where.sql(binds);
    Statement st(db.handle(), sql);
    if (!st.ok() || !st.bind(binds)) {
        if (error)
            *error = st.error();
        return 0;
    }
    int n = 0;
    while (st.next()) {
        if (!st.isNull(0) && texts.contains(st.value(0).toString().trimmed()))
            ++n;
    }
    return n;
}

}  // namespace bulk
}  // namespace vela
