#include "ui/datepicker.h"

#include <QCalendarWidget>
#include <QKeyEvent>
#include <QRegularExpression>

namespace vela {

namespace {

bool isSeparator(const QString& key) {
    return key.size() == 1 && QStringLiteral(".-/, ").contains(key.at(0));
}

bool isDigit(const QString& key) {
    return key.size() == 1 && key.at(0).isDigit() && key.at(0).unicode() < 128;
}

}  // namespace

DatePicker::DatePicker(QWidget* parent) : QDateEdit(parent) {
    setCalendarPopup(true);
    setDisplayFormat(QStringLiteral("yyyy.MM.dd."));
    setMinimumDate(QDate(100, 1, 1));
    setMaximumDate(QDate(9999, 12, 31));
    setSpecialValueText(QStringLiteral(" "));
    setNull();
    // A pick from the calendar replaces whatever was typed.
    connect(calendarWidget(), &QCalendarWidget::clicked, this, &DatePicker::clearTyped);
    connect(calendarWidget(), &QCalendarWidget::activated, this, &DatePicker::clearTyped);
}

QVariant DatePicker::value() const {
    return isNull() ? QVariant() : QVariant(date());
}

void DatePicker::setValue(const QVariant& v) {
    clearTyped();
    const QDate d = v.toDate();
    if (v.isNull() || !d.isValid() || d <= minimumDate())
        setNull();
    else
        setDate(d);
}

QString DatePicker::typedText() const {
    // Year, month and day apart ("2025.3.15", "2025-03-15") or run together
    // ("20250315"); a closing dot may follow.
    static const QRegularExpression apart(
        QStringLiteral("^(\\d{4})[.\\-/, ](\\d{1,2})[.\\-/, ](\\d{1,2})[.]?$"));
    static const QRegularExpression together(QStringLiteral("^(\\d{4})(\\d{2})(\\d{2})[.]?$"));
    QRegularExpressionMatch m = apart.match(typed_);
    if (!m.hasMatch())
        m = together.match(typed_);
    if (!m.hasMatch())
        return {};
    const auto two = [&](int part) { return m.captured(part).rightJustified(2, QLatin1Char('0')); };
    return QStringLiteral("%1.%2.%3.").arg(m.captured(1), two(2), two(3));
}

void DatePicker::clearTyped() {
    typed_.clear();
    advanced_ = false;
}

void DatePicker::focusInEvent(QFocusEvent* event) {
    clearTyped();
    QDateEdit::focusInEvent(event);
    emit focusGained();
}

void DatePicker::keyPressEvent(QKeyEvent* event) {
    const QString key = event->text();
    const bool plain = !(event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier));
    if (plain && (isDigit(key) || isSeparator(key))) {
        typed_ += key;
        if (isSeparator(key) && advanced_) {
            // The section before it already moved on by itself.
            advanced_ = false;
            event->accept();
            return;
        }
        const Section before = currentSection();
        QDateEdit::keyPressEvent(event);
        advanced_ = isDigit(key) && currentSection() != before;
        return;
    }
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Escape:
        case Qt::Key_Shift:
        case Qt::Key_Control:
        case Qt::Key_Alt:
        case Qt::Key_Meta:
            break;  // the typing is finished or goes on: it is kept
        default:
            clearTyped();  // editing by other keys: the picker's own date counts
            break;
    }
    QDateEdit::keyPressEvent(event);
}

void DatePicker::wheelEvent(QWheelEvent* event) {
    clearTyped();
    QDateEdit::wheelEvent(event);
}

void DatePicker::stepBy(int steps) {
    clearTyped();
    QDateEdit::stepBy(steps);
}

}  // namespace vela
