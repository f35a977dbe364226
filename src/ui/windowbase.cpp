#include "ui/windowbase.h"

#include <QAction>
#include <QCloseEvent>

#include "ui/fieldbinder.h"
#include "ui/recordgrid.h"
#include "ui/recordgridmodel.h"

#include "storage/recordsource.h"
#include "ui/appcontext.h"
#include "ui/busycursor.h"
#include "ui/dialogservice.h"

namespace vela {

namespace {

const QString kErrorTitle = QStringLiteral("FIGYELEM! HIBA!");
const QString kDatabaseError = QStringLiteral("Adatbázis-hiba: %1");

constexpr int kClicksBeforeReread = 10;

// Keeps a widget disabled: whoever enables it again, it turns itself off.
class StayDisabled : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::EnabledChange) {
            auto* w = static_cast<QWidget*>(watched);
            if (w->isEnabled())
                w->setEnabled(false);
        }
        return false;
    }
};

}  // namespace

bool WindowBase::event(QEvent* event) {
    // Before the window's own first-showing work (which may move to a row).
    if (event->type() == QEvent::Show && !editingLocked_ && ctx_.readOnly())
        lockEditing();
    return QDialog::event(event);
}

void WindowBase::lockEditing() {
    if (editingLocked_)
        return;
    editingLocked_ = true;
    for (FieldBinder* binder : findChildren<FieldBinder*>()) binder->setReadOnly(true);
    for (RecordGridModel* model : findChildren<RecordGridModel*>()) model->setReadOnly(true);
    for (RecordGrid* grid : findChildren<RecordGrid*>())
        grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto* keeper = new StayDisabled(this);
    for (const QString& name : writingControls()) {
        for (QWidget* w : findChildren<QWidget*>(name)) {
            w->setEnabled(false);
            w->installEventFilter(keeper);
        }
        for (QAction* a : findChildren<QAction*>(name)) {
            a->setEnabled(false);
            connect(a, &QAction::enabledChanged, a, [a](bool on) {
                if (on)
                    a->setEnabled(false);
            });
        }
    }
}

WindowBase::WindowBase(AppContext& ctx, QWidget* parent, Escape escape)
    : QDialog(parent), ctx_(ctx), escape_(escape) {}

void WindowBase::closeEvent(QCloseEvent* event) {
    if (closeFlag_)
        exitAction();
    else
        closedWithoutExit();
    if (staysOpen())
        event->ignore();
    else
        event->accept();
}

void WindowBase::reject() {
    switch (escape_) {
        case Escape::Ignored:
            return;
        case Escape::ClosesWindow:
            close();
            return;
        case Escape::ExitWhileFlagged:
            if (closeFlag_)
                exitAction();
            else
                QDialog::reject();
            return;
    }
}

bool WindowBase::reportFailure(const Status& status) {
    if (!status)
        showDatabaseError(status.errorText());
    return status.ok();
}

void WindowBase::showDatabaseError(const QString& error) {
    if (!ctx_.dialogs)
        return;
    BusyCursor::Suspend normal;
    ctx_.dialogs->alert(kDatabaseError.arg(error), kErrorTitle, DialogService::Icon::Critical);
}

bool WindowBase::busyRun(const std::function<Status()>& action) {
    Status s;
    {
        BusyCursor busy;
        s = action();
    }
    return reportFailure(s);
}

void WindowBase::sortOnHeader(RecordSource& source, int grid, const HeaderOrder& order) {
    BusyCursor busy;
    int& clicks = headerClicks_[grid];
    if (++clicks >= kClicksBeforeReread) {
        clicks = 0;
        if (!source.refresh())
            return;
    }
    const auto [keys, label] = order(source.sort());
    reportFailure(source.setSort(keys, label));
}

void WindowBase::sortOnHeader(RecordSource& source, int grid, const QString& column) {
    sortOnHeader(source, grid, [&](const QString& shown) {
        return std::pair{QList<OrderKey>{{column, shown == column}}, QString()};
    });
}

}  // namespace vela
