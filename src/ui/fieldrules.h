#pragma once

#include <QColor>
#include <QObject>
#include <optional>

#include "storage/columns.h"

class QLineEdit;
class QWidget;

namespace vela {

class DialogService;

// The light cyan an input field or grid wears while it has the focus.
inline QColor focusColor() {
    return QColor(128, 255, 255);
}

// Paints its widget light cyan while it has the focus and gives the system's
// window background back when the focus leaves.
class FocusHighlighter : public QObject {
    Q_OBJECT
  public:
    static FocusHighlighter* install(QWidget* widget);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    explicit FocusHighlighter(QObject* parent) : QObject(parent) {}
    static void paint(QWidget* w, bool focused);
};

// Selects the whole text of a line edit whenever it gets the focus, and at
// the first click into it after the program put a text there or the focus
// came back: a click into a field that already had the focus would otherwise
// only place the cursor, and what is typed would be added to the old text.
class SelectOnEntry : public QObject {
    Q_OBJECT
  public:
    static SelectOnEntry* install(QWidget* lineEdit);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    explicit SelectOnEntry(QObject* parent) : QObject(parent) {}
    bool armed_ = false;
    bool userEdit_ = false;
};

// What reaches a line edit by any road (typed, pasted, dropped): control
// characters other than tab and newline and the bidi embedding, override
// and isolate marks are dropped, and a text longer than the field's limit
// is cut there and the user told so. The line edit itself cuts nothing.
class TextGuard : public QObject {
    Q_OBJECT
  public:
    static TextGuard* install(QLineEdit* edit, DialogService* dialogs, int limit);
    // The guard of a line edit, or null.
    static TextGuard* of(QWidget* edit);
    void setLimit(int limit) { limit_ = limit; }
    int limit() const { return limit_; }

    static QString withoutControls(const QString& text);

  private:
    TextGuard(QLineEdit* edit, DialogService* dialogs, int limit);
    void check();

    QLineEdit* edit_;
    DialogService* dialogs_;
    int limit_;
};

// The number message for a value of a number column that is no sane amount,
// rate or count (a paste of hundreds of digits): none when value may stand.
std::optional<QString> refuseOutOfRange(const ColumnDef& column, const QVariant& value);

// The message of a refused value, with its title.
inline const char* refusedValueTitle() {
    return "FIGYELEM! Hibás adat!";
}

// Per-key rules of an input field or grid cell: a key outside the allowed
// set is dropped with a beep; once the text is as long as the limit, every
// key but Backspace and the comma is dropped with a beep.
class KeyRules : public QObject {
    Q_OBJECT
  public:
    enum class Allowed {
        Any,
        Numeric,  // digits, ",", "-"
        Date,     // digits, "."
        Digits,   // digits only
    };

    KeyRules(DialogService* dialogs, Allowed allowed, int lengthLimit, QObject* parent = nullptr);
    static KeyRules* install(QWidget* editor, DialogService* dialogs, Allowed allowed,
                             int lengthLimit = 0);
    static Allowed allowedFor(KeyClass keys);

    // Whether a typed text (one key) may go into a field holding currentText.
    bool accepts(const QString& typed, const QString& currentText) const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    DialogService* dialogs_;
    Allowed allowed_;
    int limit_;
};

}  // namespace vela
