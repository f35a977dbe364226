#include "ui/fieldbinder.h"

#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>

#include "storage/recordsource.h"
#include "storage/values.h"
#include "ui/datepicker.h"
#include "ui/dialogservice.h"
#include "ui/formkit.h"

namespace vela {

FieldBinder::FieldBinder(RecordSource* source, DialogService* dialogs, QObject* parent)
    : QObject(parent), source_(source), dialogs_(dialogs) {
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
    connect(picker, &QDateEdit::dateChanged, this, [this, picker] {
        if (loading_)
            return;
        if (Binding* b = find(picker)) {
            b->dirty = true;
            commit(*b);
        }
    });
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

bool FieldBinder::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        if (Binding* b = find(watched))
            commit(*b);
    }
    return false;
}

bool FieldBinder::commit() {
    bool ok = true;
    for (Binding& b : bindings_) ok = commit(b) && ok;
    return ok;
}

bool FieldBinder::commit(Binding& b) {
    if (!b.dirty || !b.widget)
        return true;
    b.dirty = false;
    QVariant value;
    if (auto* e = qobject_cast<QLineEdit*>(b.widget))
        value = e->text();
    else if (auto* p = qobject_cast<DatePicker*>(b.widget))
        value = p->value();
    else if (auto* c = qobject_cast<QCheckBox*>(b.widget))
        value = c->isChecked();
    else
        return true;
    if (source_->bof() || source_->eof()) {
        show(b);
        return true;
    }
    if (const Status set = source_->setField(b.column, value); !set) {
        if (dialogs_) {
            dialogs_->alert(set.errorText(), QStringLiteral("FIGYELEM! Hibás adat!"),
                            DialogService::Icon::Warning);
        }
        show(b);
        return false;
    }
    emit written(b.column);
    return true;
}

void FieldBinder::show(Binding& b) {
    if (!b.widget)
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
