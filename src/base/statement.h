#pragma once

#include <QString>
#include <QVariant>
#include <QVariantList>

struct sqlite3;
struct sqlite3_stmt;
struct sqlite3_value;

namespace vela {

// One prepared SQLite statement with bound values, finalized with the object.
// Values bind as they are stored (QDate as 'YYYY-MM-DD', bool as 0/1). The
// first error is kept as text and as SQLite's (extended) result code.
class Statement {
  public:
    Statement(sqlite3* db, const QString& sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool ok() const { return stmt_ != nullptr && error_.isEmpty(); }
    QString error() const { return error_; }
    // SQLite's extended result code of the error; 0 without one.
    int errorCode() const { return code_; }
    // Whether a result code says the file is damaged or is no database.
    static bool isDamage(int code);
    // The Hungarian text of a write that waited in vain for another
    // connection (another workstation) to let go of the file.
    static QString busyText(sqlite3* db);

    // Damage (SQLITE_CORRUPT, SQLITE_NOTADB) that any statement meets is told
    // to this process-wide listener with its connection. On a connection
    // marked damaged no statement is prepared any more, so nothing more is
    // written into that file.
    using DamageListener = void (*)(sqlite3* db, int code, const QString& message);
    static void setDamageListener(DamageListener listener);
    static void markDamaged(sqlite3* db, bool damaged = true);
    static bool isMarkedDamaged(sqlite3* db);

    bool bind(const QVariantList& values);
    bool bind(int index, const QVariant& value);  // 1-based
    // Binds a value read by another statement, exactly as stored.
    bool bindValue(int index, const sqlite3_value* value);
    // Steps once: true while a row is there; false at the end or on error.
    bool next();
    bool exec();  // runs to the end; false on error
    bool reset();

    int columnCount() const;
    QString columnName(int i) const;
    QVariant value(int i) const;
    QString text(int i) const;
    sqlite3_value* rawValue(int i) const;
    qint64 int64(int i) const;
    bool isNull(int i) const;

  private:
    void fail(int code);

    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
    QString error_;
    int code_ = 0;
};

}  // namespace vela
