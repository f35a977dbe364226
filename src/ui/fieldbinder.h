#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class QCheckBox;
class QLabel;
class QLineEdit;
class QWidget;

namespace vela {

class DatePicker;
class DialogService;
class RecordSource;

// Binds input fields, date pickers, check boxes and labels to columns of a
// record source: they show its current row, and what the user types is
// written back into that row when the field is left (or by commit()); a
// date picker's date when the user has finished it (left, Enter, a calendar
// pick). The record source stores the row when it is left or saved. A value
// that cannot stand in its column is refused with a message and the field
// shows the row's value again.
class FieldBinder : public QObject {
    Q_OBJECT
  public:
    FieldBinder(RecordSource* source, DialogService* dialogs, QObject* parent = nullptr);

    void bind(QLineEdit* edit, const QString& column);
    void bind(DatePicker* picker, const QString& column);
    void bind(QCheckBox* box, const QString& column);
    void bind(QLabel* label, const QString& column);

    // Writes every field the user changed into the current row; false when a
    // value was refused (its message has been shown).
    bool commit();
    // Shows the current row in every field.
    void load();
    // Shows one column again (after the window wrote it through the source).
    void reload(const QString& column);

    QWidget* widgetFor(const QString& column) const;
    // Every bound field only shows its column (boxes and pickers read-only,
    // check boxes off), and nothing typed reaches the row.
    void setReadOnly(bool on);
    // Whether a field holds typing not yet written into the row.
    bool typing() const;

  signals:
    // A field's value went into the row (by the user, not by load()).
    void written(const QString& column);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Binding {
        QPointer<QWidget> widget;
        QString column;
        bool dirty = false;
    };
    Binding* find(QObject* widget);
    bool commit(Binding& b);
    void show(Binding& b);
    static QVariant typedDate(const DatePicker* picker);

    RecordSource* source_;
    DialogService* dialogs_;
    QList<Binding> bindings_;
    bool loading_ = false;
    bool telling_ = false;
    bool readOnly_ = false;
};

}  // namespace vela
