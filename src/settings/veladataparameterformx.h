#pragma once

#include <QDialog>
#include <QString>

#include "storage/recordsource.h"

class QLineEdit;
class QMenuBar;
class QPushButton;

namespace vela {

struct AppContext;
class Database;
class RecordGrid;
class RecordGridModel;
class ValueLabel;

// The parameters window: the one row of EmblemaPath in a grid, edited under
// per-column key rules, and below it where the data lives (the data folder's
// files or a database server); "OK" tests the logo picture and hands the
// invoicing program's folder to the rest of the program.
class VelaDataParameterFormX : public QDialog {
    Q_OBJECT
  public:
    explicit VelaDataParameterFormX(AppContext& ctx, QWidget* parent = nullptr);
    ~VelaDataParameterFormX() override;

    RecordSource& rows() { return EmblemaData; }
    void SetQui(bool flag) { closeFlag_ = flag; }
    bool closeFlag() const { return closeFlag_; }

    // A key typed into the cell of a column that holds cellText: true when
    // it may go in; otherwise the window has beeped (and told the user why).
    bool DBGrid1_KeyPress(int column, const QString& typed, const QString& cellText);

  public slots:
    void Form_Activate();
    void Command1_Click();  // "OK"
    void Segedlet_Click();
    void Kilepes_Click();

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

  private:
    class KeyDelegate;
    void storePending();
    // Puts the typed server address into the row; false (told) when it
    // cannot stand there, such as one that carries a password.
    bool storeServer();
    void showDatabase();
    void showError(const QString& text);

    AppContext& ctx_;
    Database* parameters_;
    RecordSource EmblemaData;
    RecordGrid* DBGrid1 = nullptr;
    RecordGridModel* gridModel_ = nullptr;
    QPushButton* Command1 = nullptr;
    QLineEdit* Kiszolgalo = nullptr;
    ValueLabel* Adatbazis = nullptr;
    QMenuBar* menuBar_ = nullptr;
    bool closeFlag_ = true;
    bool activated_ = false;
};

}  // namespace vela
