#pragma once

#include <QVariant>

// The null-safe readers every window reads a possibly null field through.
// None of them ever fails: a value that cannot be converted gives the empty
// value, an empty text, which adds as 0 and reads as "".
namespace Funcs {

// Null: 0. A number: itself. A text in the Hungarian form ("12,5"): the number.
QVariant NumOrZero(const QVariant& value);
// Null: today. A date, or a text of one: that date.
QVariant DateOrToday(const QVariant& value);
// Null: "". Anything else: its text (numbers with the decimal comma).
QVariant TextOrEmpty(const QVariant& value);

// The empty value the readers give for what they cannot convert.
inline QVariant emptyValue() {
    return QVariant(QString());
}
// Whether a reader's result is that empty value.
inline bool isEmptyValue(const QVariant& v) {
    return v.typeId() == QMetaType::QString && v.toString().isEmpty();
}

}  // namespace Funcs
