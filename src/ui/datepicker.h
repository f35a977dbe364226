#pragma once

#include <QDateEdit>
#include <QString>

namespace vela {

// A date picker that can also show "no date" (a null column), as a blank.
//
// A date typed key by key ("2025.03.15") goes into its sections as typed: a
// separator right after a section that filled itself (the year's fourth
// digit) is not taken as a second step to the next section. The keys are also
// kept as typed, so a date the picker could not show (2026.02.30, which it
// would turn into another February day) still reaches the column's rule.
class DatePicker : public QDateEdit {
    Q_OBJECT
  public:
    explicit DatePicker(QWidget* parent = nullptr);

    bool isNull() const { return date() == minimumDate(); }
    void setNull() { setDate(minimumDate()); }
    // The picker's value: a QDate, or null.
    QVariant value() const;
    void setValue(const QVariant& v);

    // A whole date the user typed since the picker got the focus, in the
    // picker's form ("2026.02.30."), whether or not it exists; empty when the
    // keys were no whole date or the picker's date was changed otherwise
    // (the arrows, the calendar, editing inside a section).
    QString typedText() const;
    // Forgets the keys typed (their date has been taken).
    void clearTyped();

  signals:
    void focusGained();

  protected:
    void focusInEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void stepBy(int steps) override;

  private:
    QString typed_;
    bool advanced_ = false;  // the last digit moved the cursor to the next section
};

}  // namespace vela
