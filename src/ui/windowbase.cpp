#include "ui/windowbase.h"

#include <QCloseEvent>

#include "storage/recordsource.h"
#include "ui/appcontext.h"
#include "ui/busycursor.h"
#include "ui/dialogservice.h"

namespace vela {

namespace {

const QString kErrorTitle = QStringLiteral("FIGYELEM! HIBA!");
const QString kDatabaseError = QStringLiteral("Adatbázis-hiba: %1");

constexpr int kClicksBeforeReread = 10;

}  // namespace

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
