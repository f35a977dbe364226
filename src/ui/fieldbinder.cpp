#include "ui/fieldbinder.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

#include "storage/recordsource.h"
#include "storage/values.h"
#include "ui/datepicker.h"
#include "ui/dialogservice.h"
#include "ui/fieldrules.h"
#include "ui/formkit.h"

namespace vela {

FieldBinder::FieldBinder(RecordSource* source, DialogService* dialogs, QObject* parent)
    : QObject(parent), source_(source), dialogs_(dialogs) {
    // A window's record source is a member and goes before the window's
    // widgets, whose last focus change (the window closing) still reaches
    // this filter: from then on nothing is read or written.
    connect(source_, &QObject::destroyed, this, [this] { source_ = nullptr; });
    connect(source_, &RecordSource::currentChanged, this, &FieldBinder::load);
    connect(source_, &RecordSource::rowsReset, this, &FieldBinder::load);
    connect(source_, &RecordSource::aboutToLeaveRow, this, [this] { commit(); });
    // A change of the current row made elsewhere (the grid, the window) shows
    // in every field except one the user is still typing in.
    connect(source_, &RecordSource::rowChanged, this, [this](int position) {
        if (position != source_->position())
            return;
        for (Binding& b : bindings_) {
            if (!b.dirty)
                show(b);
        }
    });
}

FieldBinder::Binding* FieldBinder::find(QObject* widget) {
    for (Binding& b : bindings_) {
        if (b.widget == widget)
            return &b;
    }
    return nullptr;
}

void FieldBinder::bind(QLineEdit* edit, const QString& column) {
    bindings_.append({edit, column, false});
    edit->installEventFilter(this);
    // The field's own length (the form kit's, from the column) is kept, but a
    // longer paste is now told instead of cut without a word; a column's finer
    // rule (a one-letter flag) keeps its own message.
    TextGuard::install(edit, dialogs_, edit->maxLength());
    connect(edit, &QLineEdit::textEdited, this, [this, edit] {
        if (Binding* b = find(edit))
            b->dirty = true;
    });
    connect(edit, &QLineEdit::returnPressed, this, [this, edit] {
        if (Binding* b = find(edit))
            commit(*b);
    });
    show(bindings_.last());
}

void FieldBinder::bind(DatePicker* picker, const QString& column) {
    bindings_.append({picker, column, false});
    picker->installEventFilter(this);
    // Each key typed into a picker changes its date: the date is taken only
    // when the user has finished it (the picker left, Enter, a calendar pick).
    connect(picker, &QDateEdit::dateChanged, this, [this, picker] {
        if (loading_)
            return;
        if (Binding* b = find(picker))
            b->dirty = true;
    });
    const auto picked = [this, picker] {
        // After the popup has given the date to the picker.
        QTimer::singleShot(0, this, [this, picker] {
            if (Binding* b = find(picker))
                commit(*b);
        });
    };
    connect(picker->calendarWidget(), &QCalendarWidget::clicked, this, picked);
    connect(picker->calendarWidget(), &QCalendarWidget::activated, this, picked);
    show(bindings_.last());
}

void FieldBinder::bind(QCheckBox* box, const QString& column) {
    bindings_.append({box, column, false});
    connect(box, &QCheckBox::toggled, this, [this, box] {
        if (loading_)
            return;
        if (Binding* b = find(box)) {
            b->dirty = true;
            commit(*b);
        }
    });
    show(bindings_.last());
}

void FieldBinder::bind(QLabel* label, const QString& column) {
    bindings_.append({label, column, false});
    show(bindings_.last());
}

QWidget* FieldBinder::widgetFor(const QString& column) const {
    for (const Binding& b : bindings_) {
        if (b.column == column)
            return b.widget;
    }
    return nullptr;
}

void FieldBinder::setReadOnly(bool on) {
    readOnly_ = on;
    for (Binding& b : bindings_) {
        if (auto* edit = qobject_cast<QLineEdit*>(b.widget))
            edit->setReadOnly(on);
        else if (auto* picker = qobject_cast<DatePicker*>(b.widget))
            picker->setReadOnly(on);
        else if (auto* box = qobject_cast<QCheckBox*>(b.widget))
            box->setEnabled(!on);
    }
}

bool FieldBinder::typing() const {
    for (const Binding& b : bindings_) {
        if (b.dirty)
            return true;
        if (const auto* p = qobject_cast<const DatePicker*>(b.widget.data());
            p && !p->typedText().isEmpty())
            return true;
    }
    return false;
}

bool FieldBinder::eventFilter(QObject* watched, QEvent* event) {
    const bool picker = qobject_cast<DatePicker*>(watched) != nullptr;
    if (event->type() == QEvent::FocusOut) {
        // The calendar popup taking the focus leaves the date unfinished.
        if (picker && static_cast<QFocusEvent*>(event)->reason() == Qt::PopupFocusReason)
            return false;
        if (Binding* b = find(watched))
            commit(*b);
    } else if (picker && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (Binding* b = find(watched))
                commit(*b);
        }
    }
    return false;
}

QVariant FieldBinder::typedDate(const DatePicker* picker) {
    // What the user typed, before the picker puts a date it can hold in its
    // place ("2026.02.30." would become a date of February): the keys as
    // typed when they make a whole date, else the picker's text.
    QString typed = picker->typedText();
    if (typed.isEmpty())
        typed = picker->text().trimmed();
    if (typed.isEmpty() || typed == picker->specialValueText().trimmed())
        return picker->value();
    if (const auto d = values::parseDate(typed))
        return *d <= picker->minimumDate() ? QVariant() : QVariant(*d);
    return typed;  // no date: the column's rule refuses it with the date message
}

bool FieldBinder::commit() {
    bool ok = true;
    for (Binding& b : bindings_) ok = commit(b) && ok;
    return ok;
}

bool FieldBinder::commit(Binding& b) {
    // While a refusal is told, the focus leaving for the message box writes
    // nothing: it would only refuse the same value again, box after box.
    if (telling_)
        return false;
    if (!b.widget || !source_)
        return true;
    if (readOnly_) {
        // What the window put into a field is not written either.
        if (b.dirty) {
            b.dirty = false;
            show(b);
        }
        return true;
    }
    auto* picker = qobject_cast<DatePicker*>(b.widget);
    const QVariant typed = picker ? typedDate(picker) : QVariant();
    if (picker)
        picker->clearTyped();  // taken now: a later leaving does not take it again
    if (picker && !b.dirty &&
        (typed.typeId() == QMetaType::QString ||
         typed.toDate() != source_->field(b.column).toDate()))
        b.dirty = true;  // typed without a change of the picker's own date
    if (!b.dirty)
        return true;
    b.dirty = false;
    QVariant value;
    if (auto* e = qobject_cast<QLineEdit*>(b.widget))
        value = e->text();
    else if (picker)
        value = typed;
    else if (auto* c = qobject_cast<QCheckBox*>(b.widget))
        value = c->isChecked();
    else
        return true;
    if (source_->bof() || source_->eof()) {
        show(b);
        return true;
    }
    const ColumnDef* column = source_->table() ? source_->table()->column(b.column) : nullptr;
    std::optional<QString> refusal = column ? refuseOutOfRange(*column, value) : std::nullopt;
    if (!refusal) {
        if (const Status set = source_->setField(b.column, value); !set)
            refusal = set.errorText();
    }
    if (refusal) {
        if (dialogs_) {
            telling_ = true;
            dialogs_->alert(*refusal, QString::fromUtf8(refusedValueTitle()),
                            DialogService::Icon::Warning);
            telling_ = false;
        }
        show(b);
        return false;
    }
    emit written(b.column);
    return true;
}

void FieldBinder::show(Binding& b) {
    if (!b.widget || !source_)
        return;
    const QVariant v = source_->field(b.column);
    const bool was = loading_;
    loading_ = true;
    b.dirty = false;
    if (auto* e = qobject_cast<QLineEdit*>(b.widget)) {
        e->setText(values::toText(v));
        e->setCursorPosition(0);
    } else if (auto* p = qobject_cast<DatePicker*>(b.widget)) {
        p->setValue(v);
    } else if (auto* c = qobject_cast<QCheckBox*>(b.widget)) {
        c->setChecked(!v.isNull() && v.toBool());
    } else if (auto* vl = qobject_cast<ValueLabel*>(b.widget)) {
        vl->setValue(values::toText(v));
    } else if (auto* l = qobject_cast<QLabel*>(b.widget)) {
        l->setText(values::toText(v));
    }
    loading_ = was;
}

void FieldBinder::load() {
    for (Binding& b : bindings_) show(b);
}

void FieldBinder::reload(const QString& column) {
    for (Binding& b : bindings_) {
        if (b.column == column)
            show(b);
    }
}

}  // namespace vela
