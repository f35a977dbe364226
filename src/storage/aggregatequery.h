#pragma once

#include <QString>
#include <QVariant>
#include <QVariantList>

namespace vela {

class Database;

// A read-only result of one row, such as "select sum(...) where ...": the
// windows' total sources. A sum over no rows reads as null.
class AggregateQuery {
  public:
    void setDatabase(Database* db) { db_ = db; }
    void setQuery(const QString& sql, const QVariantList& binds = {});
    QString query() const { return sql_; }
    QVariantList binds() const { return binds_; }

    bool requery();
    void close();
    bool isOpen() const { return open_; }
    // The first row's field (null when there is none or the result is closed).
    QVariant value(int field = 0) const { return row_.value(field); }
    QString lastError() const { return error_; }

  private:
    Database* db_ = nullptr;
    QString sql_;
    QVariantList binds_;
    QVariantList row_;
    bool open_ = false;
    QString error_;
};

}  // namespace vela
