#include "ui/othersfollower.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QScrollBar>
#include <QTimer>

#include "base/postgres/pgconnection.h"
#include "storage/database.h"
#include "storage/recordsource.h"
#include "ui/dialogservice.h"
#include "ui/fieldbinder.h"

namespace vela {

namespace {

const char kLostText[] =
    "Megszakadt a kapcsolat az adatbázis-kiszolgálóval. A beírt adatok a mezőkben "
    "maradnak; amint a kiszolgáló ismét elérhető, a program újra kapcsolódik, és a mentés "
    "akkor kiírja őket. Addig a lista nem frissül.";
const char kLostTitle[] = "Adatbázis-kiszolgáló";

}  // namespace

OthersFollower::OthersFollower(RecordSource* source, FieldBinder* binder, QAbstractItemView* grid,
                               DialogService* dialogs, QObject* parent)
    : QObject(parent), source_(source), binder_(binder), grid_(grid), dialogs_(dialogs) {
    timer_ = new QTimer(this);
    connect(timer_, &QTimer::timeout, this, &OthersFollower::look);
    connect(source_, &QObject::destroyed, this, [this] {
        source_ = nullptr;
        timer_->stop();
    });
    // Started from now: what the window has read is current.
    source_->followOthers(0);
    timer_->start(kIntervalMs);
}

bool OthersFollower::typing() const {
    if (binder_ && binder_->typing())
        return true;
    // A cell being edited has its editor in the grid's viewport, with the focus.
    const QWidget* focus = QApplication::focusWidget();
    return grid_ && focus && focus != grid_->viewport() && grid_->viewport()->isAncestorOf(focus);
}

bool OthersFollower::look() {
    // A message box shown from here runs its own event loop, where this
    // timer goes on.
    if (looking_ || !source_ || !source_->isOpen() || !source_->database())
        return false;
    looking_ = true;
    bool reread = false;
    Connection* c = source_->database()->handle();
    // Only a server can go away; a file once open stays.
    auto* server = dynamic_cast<postgres::PgConnection*>(c);
    const auto lost = [server] { return server && !server->connected(); };
    if (!c || source_->editPending() || source_->addingNew() || typing()) {
        // Waits: the token is looked at again when the typing is over.
        if (lost())
            (void)c->changeToken();  // the server is still looked for meanwhile
    } else {
        QScrollBar* v = grid_ ? grid_->verticalScrollBar() : nullptr;
        QScrollBar* h = grid_ ? grid_->horizontalScrollBar() : nullptr;
        const int top = v ? v->value() : 0;
        const int left = h ? h->value() : 0;
        reread = source_->rereadIfOthersWrote();
        if (reread) {
            if (v)
                v->setValue(top);
            if (h)
                h->setValue(left);
            emit followed();
        }
    }
    if (lost() && !lostTold_) {
        lostTold_ = true;
        if (dialogs_)
            dialogs_->alert(QString::fromUtf8(kLostText), QString::fromUtf8(kLostTitle),
                            DialogService::Icon::Warning);
    } else if (!lost()) {
        lostTold_ = false;
    }
    looking_ = false;
    return reread;
}

}  // namespace vela
