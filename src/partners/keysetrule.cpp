#include "partners/keysetrule.h"

#include <QKeyEvent>
#include <QLineEdit>

#include "ui/dialogservice.h"

namespace vela {

KeySetRule::KeySetRule(DialogService* dialogs, QString allowed, int limit, QObject* parent)
    : QObject(parent), dialogs_(dialogs), allowed_(std::move(allowed)), limit_(limit) {}

KeySetRule* KeySetRule::install(QWidget* editor, DialogService* dialogs, const QString& allowed,
                                int limit) {
    auto* rule = new KeySetRule(dialogs, allowed, limit, editor);
    editor->installEventFilter(rule);
    return rule;
}

bool KeySetRule::accepts(QChar typed, const QString& currentText) const {
    if (!allowed_.isEmpty() && !allowed_.contains(typed))
        return false;
    return limit_ <= 0 || currentText.size() < limit_;
}

bool KeySetRule::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    // Backspace, navigation, Delete and shortcuts (paste included: the
    // column's rule judges a pasted value) are no typed characters.
    if (key->key() == Qt::Key_Backspace || key->text().isEmpty() ||
        (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        return false;
    const QString typed = key->text();
    if (typed.size() != 1 || !typed[0].isPrint())
        return false;
    QString held;
    if (auto* e = qobject_cast<QLineEdit*>(watched)) {
        held = e->text();
        if (e->hasSelectedText())
            held.remove(e->selectionStart(), e->selectedText().size());
    }
    if (accepts(typed[0], held))
        return false;
    if (dialogs_)
        dialogs_->beep();
    return true;
}

}  // namespace vela
