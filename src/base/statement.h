#pragma once

#include <QString>
#include <QVariant>
#include <QVariantList>

#include "base/result.h"

struct sqlite3;
struct sqlite3_stmt;
struct sqlite3_value;

namespace vela {

// One prepared SQLite statement with bound values, finalized with the object:
// a cursor over its rows. Values bind as they are stored (QDate as
// 'YYYY-MM-DD', bool as 0/1).
//
// Every fallible call returns its Status. The cursor is the one place a
// status is also kept on an object: a constructor cannot return one, and
// neither can the condition of a `while (st.next())` loop, so status() tells
// the preparation's failure, or the error that ended the stepping. The
// Error's code is SQLite's extended result code.
class Statement {
  public:
    Statement(sqlite3* db, const QString& sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // Success while the statement is prepared and nothing has failed since
    // (the last reset).
    const Status& status() const { return status_; }
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

    Status bind(const QVariantList& values);
    Status bind(int index, const QVariant& value);  // 1-based
    // Binds a value read by another statement, exactly as stored.
    Status bindValue(int index, const sqlite3_value* value);
    // Steps once: true while a row is there; false at the end or on error
    // (status() tells which).
    bool next();
    [[nodiscard]] Status exec();  // runs to the end
    // Rewinds for another run and forgets a failure of the last one; a
    // statement that could not be prepared stays failed.
    Status reset();

    int columnCount() const;
    QString columnName(int i) const;
    QVariant value(int i) const;
    QString text(int i) const;
    sqlite3_value* rawValue(int i) const;
    qint64 int64(int i) const;
    bool isNull(int i) const;

  private:
    const Status& fail(int code);
    const Status& failBind(int code);

    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
    Status status_;
};

}  // namespace vela
