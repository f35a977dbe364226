#include "ui/fieldrules.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QTimer>
#include <QWidget>

#include "ui/dialogservice.h"

namespace vela {

FocusHighlighter* FocusHighlighter::install(QWidget* widget) {
    auto* f = new FocusHighlighter(widget);
    widget->installEventFilter(f);
    // A field can hear the focus arrive and never hear it leave (given
    // while its window was not active): every change of the application's
    // focus widget settles the colour.
    connect(qApp, &QApplication::focusChanged, f, [widget](QWidget*, QWidget* now) {
        if (now && now->window() == widget->window())
            paint(widget, now == widget);
    });
    return f;
}

void FocusHighlighter::paint(QWidget* w, bool focused) {
    QPalette p = w->palette();
    p.setColor(QPalette::Base,
               focused ? focusColor() : QApplication::palette(w).color(QPalette::Base));
    w->setPalette(p);
}

bool FocusHighlighter::eventFilter(QObject* watched, QEvent* event) {
    auto* w = qobject_cast<QWidget*>(watched);
    if (w && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut))
        paint(w, event->type() == QEvent::FocusIn);
    return false;
}

SelectOnEntry* SelectOnEntry::install(QWidget* lineEdit) {
    auto* s = new SelectOnEntry(lineEdit);
    lineEdit->installEventFilter(s);
    return s;
}

bool SelectOnEntry::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        if (auto* e = qobject_cast<QLineEdit*>(watched)) {
            // After the click that gave the focus has placed the cursor.
            QTimer::singleShot(0, e, [e] { e->selectAll(); });
        }
    }
    return false;
}

KeyRules::KeyRules(DialogService* dialogs, Allowed allowed, int lengthLimit, QObject* parent)
    : QObject(parent), dialogs_(dialogs), allowed_(allowed), limit_(lengthLimit) {}

KeyRules* KeyRules::install(QWidget* editor, DialogService* dialogs, Allowed allowed,
                            int lengthLimit) {
    auto* k = new KeyRules(dialogs, allowed, lengthLimit, editor);
    editor->installEventFilter(k);
    return k;
}

KeyRules::Allowed KeyRules::allowedFor(KeyClass keys) {
    switch (keys) {
        case KeyClass::Numeric:
            return Allowed::Numeric;
        case KeyClass::Date:
            return Allowed::Date;
        case KeyClass::Any:
            break;
    }
    return Allowed::Any;
}

bool KeyRules::accepts(const QString& typed, const QString& currentText) const {
    const bool backspace = typed == QStringLiteral("\b");
    if (!backspace) {
        for (const QChar c : typed) {
            const bool digit = c >= QLatin1Char('0') && c <= QLatin1Char('9');
            switch (allowed_) {
                case Allowed::Any:
                    break;
                case Allowed::Numeric:
                    if (!digit && c != QLatin1Char(',') && c != QLatin1Char('-'))
                        return false;
                    break;
                case Allowed::Date:
                    if (!digit && c != QLatin1Char('.'))
                        return false;
                    break;
                case Allowed::Digits:
                    if (!digit)
                        return false;
                    break;
            }
        }
    }
    if (limit_ > 0 && currentText.size() >= limit_ && !backspace && typed != QStringLiteral(","))
        return false;
    return true;
}

namespace {

QString currentText(QObject* o) {
    if (auto* e = qobject_cast<QLineEdit*>(o)) {
        // A selection is replaced by the key, so it does not count as held.
        return e->hasSelectedText()
                   ? e->text().remove(e->selectionStart(), e->selectedText().size())
                   : e->text();
    }
    if (auto* e = qobject_cast<QPlainTextEdit*>(o))
        return e->toPlainText();
    if (auto* e = qobject_cast<QTextEdit*>(o))
        return e->toPlainText();
    return {};
}

}  // namespace

bool KeyRules::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    QString typed = key->text();
    if (key->key() == Qt::Key_Backspace)
        typed = QStringLiteral("\b");
    // Navigation, Delete and shortcuts are no typed characters.
    if (typed.isEmpty() || (typed.size() == 1 && typed[0].isPrint() == false && typed != "\b"))
        return false;
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
        return false;
    if (accepts(typed, currentText(watched)))
        return false;
    if (dialogs_)
        dialogs_->beep();
    return true;
}

}  // namespace vela
