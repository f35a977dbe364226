#pragma once

#include <QDateEdit>

namespace vela {

// A date picker that can also show "no date" (a null column), as a blank.
class DatePicker : public QDateEdit {
    Q_OBJECT
  public:
    explicit DatePicker(QWidget* parent = nullptr);

    bool isNull() const { return date() == minimumDate(); }
    void setNull() { setDate(minimumDate()); }
    // The picker's value: a QDate, or null.
    QVariant value() const;
    void setValue(const QVariant& v);

  signals:
    void focusGained();

  protected:
    void focusInEvent(QFocusEvent* event) override;
};

}  // namespace vela
