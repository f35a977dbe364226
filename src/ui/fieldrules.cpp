#include "ui/fieldrules.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTextEdit>
#include <QTimer>
#include <QWidget>
#include <cmath>

#include "storage/values.h"
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
    if (auto* e = qobject_cast<QLineEdit*>(lineEdit)) {
        // textEdited comes before textChanged: a change without it is the program's.
        connect(e, &QLineEdit::textEdited, s, [s] { s->userEdit_ = true; });
        connect(e, &QLineEdit::textChanged, s, [s] {
            s->armed_ = !s->userEdit_;
            s->userEdit_ = false;
        });
    }
    return s;
}

bool SelectOnEntry::eventFilter(QObject* watched, QEvent* event) {
    auto* e = qobject_cast<QLineEdit*>(watched);
    if (!e)
        return false;
    switch (event->type()) {
        case QEvent::FocusIn:
            armed_ = true;
            // After the click that gave the focus has placed the cursor.
            QTimer::singleShot(0, e, [e] { e->selectAll(); });
            break;
        case QEvent::MouseButtonRelease:
            if (armed_ && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
                !e->hasSelectedText())
                e->selectAll();
            armed_ = false;
            break;
        case QEvent::KeyPress:
            armed_ = false;
            break;
        default:
            break;
    }
    return false;
}

TextGuard::TextGuard(QLineEdit* edit, DialogService* dialogs, int limit)
    : QObject(edit), edit_(edit), dialogs_(dialogs), limit_(limit) {
    edit->setMaxLength(32767);
    connect(edit, &QLineEdit::textEdited, this, &TextGuard::check);
}

TextGuard* TextGuard::install(QLineEdit* edit, DialogService* dialogs, int limit) {
    if (TextGuard* g = of(edit)) {
        g->limit_ = limit;
        return g;
    }
    return new TextGuard(edit, dialogs, limit);
}

TextGuard* TextGuard::of(QWidget* edit) {
    return edit ? edit->findChild<TextGuard*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

QString TextGuard::withoutControls(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool control = c.category() == QChar::Other_Control && u != u'\t' && u != u'\n';
        const bool bidi = (u >= 0x202A && u <= 0x202E) || (u >= 0x2066 && u <= 0x2069);
        if (!control && !bidi)
            out += c;
    }
    return out;
}

namespace {

const char* const kCutTitle = "FIGYELEM!";
const char* const kCutMessage =
    "A beírt szöveg %1 karakter, de ide legfeljebb %2 karakter fér: a(z) %3. karaktertől "
    "kezdve a többi lemaradt. Nézze meg, mi maradt a mezőben!";

}  // namespace

void TextGuard::check() {
    const QString typed = edit_->text();
    QString kept = withoutControls(typed);
    const qsizetype length = kept.size();
    const bool cut = limit_ > 0 && length > limit_;
    if (cut)
        kept.truncate(limit_);
    if (kept == typed)
        return;
    const int cursor = edit_->cursorPosition();
    edit_->setText(kept);
    edit_->setCursorPosition(std::min<int>(cursor, int(kept.size())));
    if (cut && dialogs_) {
        dialogs_->alert(QString::fromUtf8(kCutMessage).arg(length).arg(limit_).arg(limit_ + 1),
                        QString::fromUtf8(kCutTitle), DialogService::Icon::Warning);
    }
}

std::optional<QString> refuseOutOfRange(const ColumnDef& column, const QVariant& value) {
    if (column.type != ColumnType::Real && column.type != ColumnType::Integer)
        return std::nullopt;
    // Fifteen digits: more than any amount, and a double still holds it exactly.
    constexpr double kLargest = 1e15;
    double number = 0;
    if (value.typeId() == QMetaType::QString) {
        static const QRegularExpression digits(QStringLiteral("^\\s*[-+]?\\d+([.,]\\d*)?\\s*$"));
        const auto parsed = values::parseNumber(value.toString());
        if (!parsed && !digits.match(value.toString()).hasMatch())
            return std::nullopt;  // not a number at all: the column's own rule tells that
        number = parsed ? *parsed : HUGE_VAL;  // digits beyond what a double holds
    } else if (value.canConvert<double>() && !value.isNull()) {
        number = value.toDouble();
    } else {
        return std::nullopt;
    }
    if (std::isfinite(number) && std::fabs(number) < kLargest)
        return std::nullopt;
    QString shown = values::toText(value);
    if (shown.size() > 20)
        shown = shown.left(20) + QStringLiteral("…");
    return QStringLiteral("A(z) „%1” mezőbe csak szám írható (például 1234,5), a(z) „%2” nem szám.")
        .arg(column.name, shown);
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
