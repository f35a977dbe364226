#pragma once

#include <QWidget>

#include "maintenance/maintenancerun.h"
#include "maintenance/maintenanceview.h"

class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace velarep {

class RepDialogService;

// VelaRep's one window: starts the maintenance run and shows its progress.
class Form1 : public QWidget, private MaintenanceView {
    Q_OBJECT

  public:
    Form1(const QString& templateDir, RepDialogService& dialogs, QWidget* parent = nullptr);
    ~Form1() override;

    // The command line decides: "/s" in any case runs at once and closes the
    // window afterwards (with "/kiszolgalo" or "/helyi" beside it too);
    // anything else waits for Command1. "/kiszolgalo" moves the data onto
    // the server of the parameters after the rebuild, "/helyi" back into
    // fresh files, "/visszatoltes DIR" restores DIR's server backup.
    static bool isAutoRun(const QString& argumentText);
    void start(const QString& argumentText);

    MaintenanceRun& maintenance() { return run_; }

  public slots:
    void Command1_Click();
    void Command2_Click();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void setDatabaseText(const QString& text) override;
    void setTableText(const QString& text) override;
    void setStatusText(const QString& text) override;
    void setDatabaseProgress(int value, int maximum) override;
    void setTableProgress(int value, int maximum) override;
    void setRunning(bool running) override;
    void setWaitCursor(bool on) override;
    void repaint() override;

    MaintenanceRun run_;
    RepDialogService& dialogs_;
    QString arguments_;
    bool cursorOverridden_ = false;
    QPushButton* Command1;
    QPushButton* Command2;
    QGroupBox* Frame1;
    QLabel* l1;
    QLabel* l2;
    QLabel* Label1;
    QLabel* Label3;
    QProgressBar* pb1;
    QProgressBar* pb2;
};

}  // namespace velarep
