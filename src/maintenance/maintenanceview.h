#pragma once

#include <QString>

namespace velarep {

// What the maintenance run shows while it works; the window implements it,
// the default does nothing.
class MaintenanceView {
  public:
    virtual ~MaintenanceView() = default;

    virtual void setDatabaseText(const QString&) {}                      // l1
    virtual void setTableText(const QString&) {}                         // l2
    virtual void setStatusText(const QString&) {}                        // Label1
    virtual void setDatabaseProgress(int /*value*/, int /*maximum*/) {}  // pb1
    virtual void setTableProgress(int /*value*/, int /*maximum*/) {}     // pb2
    // Buttons disabled and the hourglass shown while the run is busy.
    virtual void setRunning(bool) {}
    // The hourglass alone: it is taken away before every message box.
    virtual void setWaitCursor(bool) {}
    // Lets the window repaint between steps.
    virtual void repaint() {}
};

}  // namespace velarep
