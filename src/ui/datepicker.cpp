#include "ui/datepicker.h"

namespace vela {

DatePicker::DatePicker(QWidget* parent) : QDateEdit(parent) {
    setCalendarPopup(true);
    setDisplayFormat(QStringLiteral("yyyy.MM.dd."));
    setMinimumDate(QDate(100, 1, 1));
    setMaximumDate(QDate(9999, 12, 31));
    setSpecialValueText(QStringLiteral(" "));
    setNull();
}

QVariant DatePicker::value() const {
    return isNull() ? QVariant() : QVariant(date());
}

void DatePicker::setValue(const QVariant& v) {
    const QDate d = v.toDate();
    if (v.isNull() || !d.isValid() || d <= minimumDate())
        setNull();
    else
        setDate(d);
}

void DatePicker::focusInEvent(QFocusEvent* event) {
    QDateEdit::focusInEvent(event);
    emit focusGained();
}

}  // namespace vela
