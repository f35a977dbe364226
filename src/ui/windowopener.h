#pragma once

#include <QDialog>
#include <QList>
#include <functional>

namespace vela {

// Every modal child window is opened through this, so a test can act on the
// child while it is "open" and close it, without waiting on exec().
class WindowOpener {
  public:
    virtual ~WindowOpener() = default;
    virtual int openModal(QDialog& window) = 0;
};

class QtWindowOpener : public WindowOpener {
  public:
    int openModal(QDialog& window) override { return window.exec(); }
};

// For tests: shows the window, runs the next queued handler on it (or none)
// and closes it if the handler left it open.
class ScriptedWindowOpener : public WindowOpener {
  public:
    using Handler = std::function<void(QDialog&)>;

    int openModal(QDialog& window) override {
        ++opened;
        window.show();
        if (!handlers.isEmpty())
            handlers.takeFirst()(window);
        if (window.isVisible())
            window.close();
        return window.result();
    }

    QList<Handler> handlers;
    int opened = 0;
};

}  // namespace vela
