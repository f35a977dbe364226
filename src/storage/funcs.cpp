#include "storage/funcs.h"

#include <QDate>
#include <QDateTime>

#include "storage/values.h"

namespace Funcs {

QVariant NumOrZero(const QVariant& value) {
    if (value.isNull())
        return 0.0;
    switch (value.typeId()) {
        case QMetaType::Double:
        case QMetaType::Float:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
            return value.toDouble();
        case QMetaType::Bool:
            return value.toBool() ? -1.0 : 0.0;  // a true flag counts as -1
        default:
            break;
    }
    if (const auto d = vela::values::parseNumber(value.toString()))
        return *d;
    return emptyValue();
}

QVariant DateOrToday(const QVariant& value) {
    if (value.isNull())
        return QDate::currentDate();
    if (value.typeId() == QMetaType::QDate)
        return value.toDate().isValid() ? value : emptyValue();
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime().date();
    if (const auto d = vela::values::parseDate(value.toString()))
        return *d;
    return emptyValue();
}

QVariant TextOrEmpty(const QVariant& value) {
    if (value.isNull())
        return QString(QLatin1String(""));
    return vela::values::toText(value);
}

}  // namespace Funcs
