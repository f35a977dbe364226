#pragma once

#include <QHash>
#include <QKeySequence>
#include <QLabel>
#include <QList>
#include <QObject>
#include <QString>
#include <functional>

class QAction;
class QLineEdit;
class QMenuBar;
class QPushButton;
class QWidget;

namespace vela {

class DatePicker;
class FieldBinder;
struct TableDef;

// A label that shows a value (a figure, a sequence number). Screen readers
// hear its caption and its value together, kept current as the value changes.
class ValueLabel : public QLabel {
    Q_OBJECT
  public:
    ValueLabel(const QString& caption, QWidget* parent = nullptr);
    void setValue(const QString& value);
    QString value() const { return elided_ ? value_ : text(); }
    QString caption() const { return caption_; }
    // A value of any length takes the width the layout gives and no more: cut
    // with "…" there (screen readers still hear it whole). For values the
    // user's data makes long, which must not widen the window. Call it after
    // the tooltip is set: a cut value shows whole in the tooltip instead.
    void setElided(bool on);

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void showValue();

    QString caption_;
    QString value_;
    QString tip_;
    bool elided_ = false;
};

// The colours of a button whose action runs, and of one at rest.
namespace busy {
inline constexpr const char* kIdleStyle = "background-color: white;";
inline constexpr const char* kRunningStyle = "background-color: rgb(0, 255, 0);";
// Runs action with button green, painted before the action starts, and
// white again after it, however the action ends.
void run(QPushButton* button, const std::function<void()>& action);
}  // namespace busy

// Builds a window's controls the one way every window does: a caption is the
// buddy of its field (so the field's accessible name is the caption), fields
// are bound to columns of the window's record source, buttons carry their
// control names and turn green while their action runs.
class FormKit {
  public:
    // binder and table may be null for a window without bound fields.
    FormKit(QWidget* form, FieldBinder* binder = nullptr, const TableDef* table = nullptr);

    QLabel* caption(const QString& name, const QString& text, QWidget* buddy);
    // A text box bound to column (none when column is empty); the column's
    // tooltip becomes its description and its length the box's limit.
    QLineEdit* textBox(const QString& name, const QString& column = {});
    DatePicker* datePicker(const QString& name, const QString& column);
    // A label showing a value, bound to column when one is given.
    ValueLabel* valueLabel(const QString& name, const QString& caption, const QString& column = {});
    QPushButton* button(const QString& name, const QString& caption,
                        const std::function<void()>& action, const QString& tip = {});

    template <class T = QWidget>
    T* control(const QString& name) const {
        return qobject_cast<T*>(controls_.value(name));
    }

  private:
    void describe(QWidget* w, const QString& column) const;

    QWidget* form_;
    FieldBinder* binder_;
    const TableDef* table_;
    QHash<QString, QWidget*> controls_;
};

// A window's menus from a table: drop-down menus, their items and
// separators, items on the menu bar itself. Items named as given, with their
// handler and the rule that tells when they are enabled.
class MenuTable : public QObject {
    Q_OBJECT
  public:
    enum class Kind { Menu, Item, TopItem, Separator };
    struct Row {
        Kind kind;
        QString name;
        QString caption;
        std::function<void()> handler = {};
        std::function<bool()> enabled = {};  // none: always enabled
        bool checkable = false;
        QKeySequence shortcut = {};
    };

    static Row menu(const QString& name, const QString& caption) {
        return {Kind::Menu, name, caption};
    }
    static Row item(const QString& name, const QString& caption,
                    const std::function<void()>& handler = {},
                    const std::function<bool()>& enabled = {}) {
        return {Kind::Item, name, caption, handler, enabled};
    }
    static Row check(const QString& name, const QString& caption,
                     const std::function<void()>& handler = {},
                     const std::function<bool()>& enabled = {}) {
        return {Kind::Item, name, caption, handler, enabled, true};
    }
    static Row top(const QString& name, const QString& caption,
                   const std::function<void()>& handler = {},
                   const std::function<bool()>& enabled = {}) {
        return {Kind::TopItem, name, caption, handler, enabled};
    }
    static Row separator() { return {Kind::Separator, {}, {}}; }

    MenuTable(QMenuBar* bar, const QList<Row>& rows, QObject* parent = nullptr);

    QAction* action(const QString& name) const { return actions_.value(name); }
    const QHash<QString, QAction*>& actions() const { return actions_; }
    // Applies every item's enabled rule again.
    void refresh();

  private:
    QList<Row> rows_;
    QHash<QString, QAction*> actions_;
};

}  // namespace vela
