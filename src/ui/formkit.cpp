#include "ui/formkit.h"

#include <QAccessible>
#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include "storage/columns.h"
#include "storage/values.h"
#include "ui/datepicker.h"
#include "ui/fieldbinder.h"

namespace vela {

ValueLabel::ValueLabel(const QString& caption, QWidget* parent)
    : QLabel(parent), caption_(caption) {
    setAccessibleName(caption_);
}

void ValueLabel::setValue(const QString& value) {
    if (value == this->value() && !value.isEmpty())
        return;
    value_ = value;
    showValue();
    // setAccessibleName tells the accessibility bus that the name changed.
    setAccessibleName(value.isEmpty() ? caption_ : caption_ + QLatin1Char(' ') + value);
}

void ValueLabel::setElided(bool on) {
    elided_ = on;
    value_ = on ? text() : value_;
    tip_ = toolTip();
    QSizePolicy p = sizePolicy();
    p.setHorizontalPolicy(on ? QSizePolicy::Ignored : QSizePolicy::Preferred);
    setSizePolicy(p);
    setWordWrap(false);
    showValue();
}

void ValueLabel::showValue() {
    if (!elided_) {
        setText(value_);
        return;
    }
    const QString shown = fontMetrics().elidedText(value_, Qt::ElideRight, std::max(0, width()));
    setText(shown);
    // What the line cannot show is read in its tooltip.
    setToolTip(shown == value_ ? tip_ : value_);
}

void ValueLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    if (elided_)
        showValue();
}

void busy::run(QPushButton* button, const std::function<void()>& action) {
    if (button) {
        button->setStyleSheet(QLatin1String(kRunningStyle));
        button->repaint();
    }
    struct Restore {
        QPushButton* b;
        ~Restore() {
            if (b)
                b->setStyleSheet(QLatin1String(kIdleStyle));
        }
    } restore{button};
    action();
}

FormKit::FormKit(QWidget* form, FieldBinder* binder, const TableDef* table)
    : form_(form), binder_(binder), table_(table) {}

void FormKit::describe(QWidget* w, const QString& column) const {
    const ColumnDef* col = table_ && !column.isEmpty() ? table_->column(column) : nullptr;
    if (col && !col->tooltip.isEmpty()) {
        w->setToolTip(col->tooltip);
        w->setAccessibleDescription(col->tooltip);
    }
}

QLabel* FormKit::caption(const QString& name, const QString& text, QWidget* buddy) {
    auto* l = new QLabel(text, form_);
    if (!name.isEmpty()) {
        l->setObjectName(name);
        controls_.insert(name, l);
    }
    if (buddy) {
        l->setBuddy(buddy);
        QString plain = text;
        buddy->setAccessibleName(plain.remove(QLatin1Char('&')));
    }
    return l;
}

QLineEdit* FormKit::textBox(const QString& name, const QString& column) {
    auto* e = new QLineEdit(form_);
    e->setObjectName(name);
    controls_.insert(name, e);
    if (!column.isEmpty()) {
        describe(e, column);
        if (const ColumnDef* col = table_ ? table_->column(column) : nullptr)
            e->setMaxLength(values::maxTextLength(*col) > 255 ? 32767 : 255);
        if (binder_)
            binder_->bind(e, column);
    }
    return e;
}

DatePicker* FormKit::datePicker(const QString& name, const QString& column) {
    auto* p = new DatePicker(form_);
    p->setObjectName(name);
    controls_.insert(name, p);
    describe(p, column);
    if (binder_)
        binder_->bind(p, column);
    return p;
}

ValueLabel* FormKit::valueLabel(const QString& name, const QString& caption,
                                const QString& column) {
    auto* l = new ValueLabel(caption, form_);
    l->setObjectName(name);
    controls_.insert(name, l);
    if (!column.isEmpty() && binder_)
        binder_->bind(l, column);
    return l;
}

QPushButton* FormKit::button(const QString& name, const QString& caption,
                             const std::function<void()>& action, const QString& tip) {
    auto* b = new QPushButton(caption, form_);
    b->setObjectName(name);
    b->setAutoDefault(false);
    b->setStyleSheet(QLatin1String(busy::kIdleStyle));
    if (!tip.isEmpty()) {
        b->setToolTip(tip);
        b->setAccessibleDescription(tip);
    }
    controls_.insert(name, b);
    if (action)
        QObject::connect(b, &QPushButton::clicked, form_, [b, action] { busy::run(b, action); });
    return b;
}

MenuTable::MenuTable(QMenuBar* bar, const QList<Row>& rows, QObject* parent)
    : QObject(parent), rows_(rows) {
    QMenu* current = nullptr;
    for (const Row& r : rows_) {
        QAction* a = nullptr;
        switch (r.kind) {
            case Kind::Menu:
                current = bar->addMenu(r.caption);
                current->setObjectName(r.name);
                connect(current, &QMenu::aboutToShow, this, &MenuTable::refresh);
                continue;
            case Kind::Separator:
                if (current)
                    current->addSeparator();
                continue;
            case Kind::TopItem:
                current = nullptr;
                a = bar->addAction(r.caption);
                break;
            case Kind::Item:
                a = current ? current->addAction(r.caption) : bar->addAction(r.caption);
                break;
        }
        a->setObjectName(r.name);
        a->setCheckable(r.checkable);
        if (!r.shortcut.isEmpty())
            a->setShortcut(r.shortcut);
        if (r.handler)
            connect(a, &QAction::triggered, this, [h = r.handler] { h(); });
        actions_.insert(r.name, a);
    }
    refresh();
}

void MenuTable::refresh() {
    for (const Row& r : std::as_const(rows_)) {
        if (r.enabled)
            if (QAction* a = actions_.value(r.name))
                a->setEnabled(r.enabled());
    }
}

}  // namespace vela
