#pragma once

#include <QObject>
#include <functional>

class QWidget;

namespace vela {

// Runs a piece of work once, just after a window's first paint: what the
// user need not wait for before the window stands on the screen.
class AfterFirstPaint : public QObject {
    Q_OBJECT
  public:
    static void run(QWidget* window, std::function<void()> work);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    AfterFirstPaint(QWidget* window, std::function<void()> work);
    std::function<void()> work_;
};

}  // namespace vela
