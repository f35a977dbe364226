#pragma once

#include <QDate>
#include <QString>
#include <QVariant>

#include "base/result.h"
#include "storage/columns.h"

namespace vela::values {

// Numbers and dates as text, the Hungarian way: decimal comma, no digit
// grouping, dates as "2024.03.07.".
QString formatNumber(double value);
QString formatDate(const QDate& date);
QString toText(const QVariant& value);

// Strict readers of typed-in text; nullopt when the text is no such value.
// Numbers take the decimal comma (a point is read too); dates take
// "2024.03.07", "2024.03.07.", "2024. 03. 07." and "2024-03-07".
std::optional<double> parseNumber(const QString& text);
std::optional<qint64> parseWhole(const QString& text);
std::optional<QDate> parseDate(const QString& text);

// Converts a value given for a column into the value it is stored as
// (qlonglong, double, QString, QDate, bool or null). An empty text is null.
// Fails with a Hungarian reason when the value cannot stand there.
Result<QVariant> toColumnValue(const ColumnDef& column, const QVariant& in);

// SQLite binding form and back: dates as 'YYYY-MM-DD', booleans 0/1.
QVariant toStorage(const QVariant& value);
QVariant fromStorage(ColumnType type, const QVariant& stored);

// The longest text a column holds.
int maxTextLength(const ColumnDef& column);

}  // namespace vela::values
