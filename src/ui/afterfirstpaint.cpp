#include "ui/afterfirstpaint.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace vela {

AfterFirstPaint::AfterFirstPaint(QWidget* window, std::function<void()> work)
    : QObject(window), work_(std::move(work)) {
    window->installEventFilter(this);
}

void AfterFirstPaint::run(QWidget* window, std::function<void()> work) {
    new AfterFirstPaint(window, std::move(work));
}

bool AfterFirstPaint::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Paint && watched == parent()) {
        watched->removeEventFilter(this);
        // Once the paint has reached the screen.
        QTimer::singleShot(0, this, [this] {
            const std::function<void()> work = std::move(work_);
            deleteLater();
            work();
        });
    }
    return false;
}

}  // namespace vela
