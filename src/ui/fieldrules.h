#pragma once

#include <QColor>
#include <QObject>

#include "storage/columns.h"

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

// Selects the whole text of a line edit whenever it gets the focus.
class SelectOnEntry : public QObject {
    Q_OBJECT
  public:
    static SelectOnEntry* install(QWidget* lineEdit);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    explicit SelectOnEntry(QObject* parent) : QObject(parent) {}
};

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
