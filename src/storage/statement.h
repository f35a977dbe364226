#pragma once

#include <QString>
#include <QVariant>
#include <QVariantList>

struct sqlite3;
struct sqlite3_stmt;

namespace vela {

// One prepared SQLite statement with bound values; the fast path under the
// record sources. Values bind as they are (QDate and bool as stored).
class Statement {
  public:
    Statement(sqlite3* db, const QString& sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // The Hungarian text of a statement that found the file busy (written by
    // another connection) after waiting the busy timeout.
    static QString busyText(sqlite3* db);

    bool ok() const { return stmt_ != nullptr && error_.isEmpty(); }
    QString error() const { return error_; }

    bool bind(const QVariantList& values);
    bool bind(int index, const QVariant& value);  // 1-based
    // Steps once: true while a row is there; false at the end or on error.
    bool next();
    bool exec();  // runs to the end; false on error
    bool reset();

    int columnCount() const;
    QString columnName(int i) const;
    QVariant value(int i) const;
    qint64 int64(int i) const;
    bool isNull(int i) const;

  private:
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
    QString error_;
};

}  // namespace vela
