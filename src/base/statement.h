#pragma once

#include <QString>
#include <QVariant>
#include <QVariantList>
#include <memory>

#include "base/connection.h"
#include "base/result.h"

namespace vela {

// One prepared statement with bound values, finalized with the object: a
// cursor over its rows, on any engine behind the connection seam. Values
// bind as they are stored (QDate as 'YYYY-MM-DD', bool as 0/1).
//
// Every fallible call returns its Status. The cursor is the one place a
// status is also kept on an object: a constructor cannot return one, and
// neither can the condition of a `while (st.next())` loop, so status() tells
// the preparation's failure, or the error that ended the stepping. The
// Error carries the engine's code and its kind.
class Statement {
  public:
    Statement(Connection* db, const QString& sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // Success while the statement is prepared and nothing has failed since
    // (the last reset).
    const Status& status() const { return status_; }
    // The Hungarian text of a write that waited in vain for another
    // connection (another workstation) to let go of the file.
    static QString busyText(const Connection* db);

    // Damage that any statement meets is told to this process-wide listener
    // with its connection. On a connection marked damaged no statement is
    // prepared any more, so nothing more is written into that file.
    using DamageListener = void (*)(Connection* db, const Error& error);
    static void setDamageListener(DamageListener listener);

    Status bind(const QVariantList& values);
    Status bind(int index, const QVariant& value);  // 1-based
    // Binds column `column` of another statement's current row, exactly as stored.
    Status bindColumn(int index, const Statement& from, int column);
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
    QByteArray utf8(int i) const;  // the text as UTF-8
    qint64 int64(int i) const;
    double real(int i) const;  // the value as a number (0 for null)
    bool isNull(int i) const;

    // The key of the row this statement inserted last.
    qint64 insertedKey() const;
    // The rows the last run inserted, changed or deleted.
    qint64 rowsChanged() const;

  private:
    const Status& fail(const Error& error);

    Connection* db_;
    std::unique_ptr<EngineStatement> st_;
    Status status_;
};

}  // namespace vela
