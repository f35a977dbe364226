#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "ledgercore/stagedinvoice.h"
#include "storage/recordsource.h"
#include "ui/windowbase.h"

class QAction;
class QLabel;
class QLineEdit;
class QMenuBar;
class QPushButton;

namespace vela {

struct AppContext;
class FieldBinder;
class FormKit;
class InvoiceSource;
class MenuTable;
class NavigationBar;
class RecordGrid;
class StagingGridModel;
class ValueLabel;

// The invoice import window: loads the invoicing program's documents,
// grouped one row per invoice, into the staging table, lets the user browse,
// filter and prune them, and hands them over into the receivables ledger.
class SzamlaImportFormX : public WindowBase {
    Q_OBJECT
  public:
    // The row identifier a new ledger row gets at a moment.
    using RowIdMaker = std::function<QString(const QDateTime&)>;
    // An entry of the "Szűrés" menu (in the window's table of them).
    struct Filter;

    SzamlaImportFormX(AppContext& ctx, RowIdMaker newRowId, QWidget* parent = nullptr);
    ~SzamlaImportFormX() override;

    RecordSource& staging() { return Data; }
    QAction* menuItem(const QString& name) const;
    // The filter entry that carries the check mark.
    QString checkedFilter() const;
    // How many of the rows shown the receivables ledger already holds.
    int presentCount() const { return presentCount_; }
    bool isPresent(int row) const;
    // Rows written into the ledger by the last hand-over.
    int transferred() const { return transferred_; }

  public slots:
    void Command1_Click();  // "Feltöltés"
    void Command2_Click();  // "Adatsort töröl"
    void Command3_Click();  // "Vissza-átadás"
    void Command4_Click();  // "Összes törlése"
    void Text1_Change();
    void DBGrid1_Click();
    void DBGrid1_HeadClick(int column);
    void Kilepes_Click();

  protected:
    void showEvent(QShowEvent* event) override;
    void exitAction() override { Kilepes_Click(); }

  private:
    void buildControls();
    void buildMenus();
    void Form_Load();
    void Form_Activate();
    void closeSoon();
    void filter_Click(const Filter& f);
    void checkOnly(const QString& name);
    void setButtons(bool enabled);
    void afterRowsShown();
    void storePending();
    // Asks for a kind's starting number and adds its grouped invoices to out.
    void loadKind(int kind, QList<StagedInvoice>* out);
    void writeFromCurrent();
    void refreshPresent();
    void showError(const QString& text);
    const Filter* checked() const;

    RowIdMaker newRowId_;
    Database* staging_;
    Database* veladata_;

    // The staging table, the record source the grid and Label2 follow.
    RecordSource Data;
    // The invoicing program's database, read by the six document kinds.
    std::unique_ptr<InvoiceSource> invoices_;
    double kindFrom_[6] = {0, 0, 0, 0, 0, 0};

    std::unique_ptr<FormKit> kit_;
    FieldBinder* binder_ = nullptr;
    QMenuBar* menuBar_ = nullptr;
    MenuTable* menus_ = nullptr;
    RecordGrid* DBGrid1 = nullptr;
    StagingGridModel* gridModel_ = nullptr;
    QLabel* gridCaption_ = nullptr;
    NavigationBar* navigation_ = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command4 = nullptr;
    QLineEdit* Text1 = nullptr;
    ValueLabel* Label2 = nullptr;
    ValueLabel* Label3 = nullptr;

    bool activated_ = false;
    bool closing_ = false;
    int presentCount_ = 0;
    int transferred_ = 0;
};

}  // namespace vela
