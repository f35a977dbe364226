#pragma once

#include <QString>

#include "storage/recordsource.h"
#include "ui/windowbase.h"

class QLabel;
class QMenuBar;
class QPushButton;

namespace vela {

struct AppContext;
class Database;
class RecordGrid;
class RecordGridModel;

// The parameters window: the one row of EmblemaPath in a grid, edited under
// per-column key rules; "OK" tests the logo picture and hands the invoicing
// program's folder to the rest of the program. Below the grid it says which
// database the program works on; a new server address counts from the next
// start.
class VelaDataParameterFormX : public WindowBase {
    Q_OBJECT
  public:
    explicit VelaDataParameterFormX(AppContext& ctx, QWidget* parent = nullptr);
    ~VelaDataParameterFormX() override;

    RecordSource& rows() { return EmblemaData; }

    // A key typed into the cell of a column that holds cellText: true when
    // it may go in; otherwise the window has beeped (and told the user why).
    bool DBGrid1_KeyPress(int column, const QString& typed, const QString& cellText);

  public slots:
    void Form_Activate();
    void Command1_Click();  // "OK"
    void Command2_Click();  // "NAV technikai felhasználó…"
    void Segedlet_Click();
    void Kilepes_Click();

  protected:
    void showEvent(QShowEvent* event) override;
    void exitAction() override { Kilepes_Click(); }

  private:
    class KeyDelegate;
    void storePending();
    void showError(const QString& text);

    Database* parameters_;
    RecordSource EmblemaData;
    RecordGrid* DBGrid1 = nullptr;
    RecordGridModel* gridModel_ = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QMenuBar* menuBar_ = nullptr;
    QLabel* WhereLabel = nullptr;
    bool activated_ = false;
};

}  // namespace vela
