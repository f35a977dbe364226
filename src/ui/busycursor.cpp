#include "ui/busycursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace vela {

namespace {
int depth = 0;
bool suspended = false;
}  // namespace

BusyCursor::BusyCursor() {
    if (depth++ == 0 && !suspended)
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

BusyCursor::~BusyCursor() {
    if (--depth == 0 && !suspended)
        QGuiApplication::restoreOverrideCursor();
}

bool BusyCursor::active() {
    return depth > 0 && !suspended;
}

BusyCursor::Suspend::Suspend() : wasActive_(active()) {
    if (wasActive_) {
        QGuiApplication::restoreOverrideCursor();
        suspended = true;
    }
}

BusyCursor::Suspend::~Suspend() {
    if (wasActive_) {
        suspended = false;
        if (depth > 0)
            QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    }
}

}  // namespace vela
