#pragma once

#include <memory>

#include "storage/recordsource.h"
#include "ui/windowbase.h"

class QLabel;
class QLineEdit;
class QMenuBar;
class QModelIndex;
class QProgressBar;
class QPushButton;
class QTextEdit;

namespace vela {

struct AppContext;
class Database;
class FieldBinder;
class FormKit;
class MenuTable;
class NavigationBar;
class RecordGrid;
class RecordGridModel;

// The partner register: customers and suppliers of betarol.kdb in a grid and
// in bound boxes, with a name finder, filters by kind, a country pick, new
// partners, deletion, renumbering of the identifiers, a full check on leaving,
// the partner list print, and "Vissza", which hands the chosen partner's
// name, seat and street address to the ledger window that opened it.
class BeraktarozokFormX : public WindowBase {
    Q_OBJECT
  public:
    // The rights level of this run (see AppContext::rightsLevel); deletion
    // needs 0 or 1.
    int rightsLevel() const;

    // Needs betarol.kdb open in the context (see openModal).
    explicit BeraktarozokFormX(AppContext& ctx, QWidget* parent = nullptr);
    ~BeraktarozokFormX() override;

    // Opens the register modally through the context's window opener; true
    // when the user chose a partner with "Vissza" (then ctx.selectedPartner
    // holds it). Without betarol.kdb the user is told why and nothing opens.
    static bool openModal(AppContext& ctx, QWidget* parent = nullptr);

    RecordSource& rows() { return Beraktarozok; }
    RecordSource& countries() { return Data1; }
    bool selectionFlag() const { return selected_; }
    int pageCounter() const { return pageCounter_; }
    QAction* menuItem(const QString& name) const;

  public slots:
    void Form_Activate();
    void Text15_Change();
    void Vevok_Click();
    void Beszallitok_Click();
    void Minden_Click();
    void Command1_Click();  // "Ország"
    void DBGrid2_DblClick(const QModelIndex& index);
    void UjAdat_Click();
    void Command4_Click();  // "OK - Mentés"
    void BeszallTorol_Click();
    void Szerviz_Click();
    void Valtozasok_Click();
    void Kilepes_Click();
    void Command2_Click();  // "Vissza"
    void DBGrid1_HeadClick(int column);
    void DBGrid2_HeadClick(int column);
    void BeszNyom_Click();
    void Segedlet_Click();

  protected:
    void showEvent(QShowEvent* event) override;
    void exitAction() override { Kilepes_Click(); }
    QStringList writingControls() const override;
    void closedWithoutExit() override;
    bool staysOpen() const override { return !unloaded_; }
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildRecordSources();
    void buildControls();
    void buildMenus();
    void applyKeyRules();
    QLineEdit* text(const char* name) const;
    void Form_Load();
    bool addFirstRow();
    void applyFilter(const Condition& where);
    void storeCurrentRow();
    void unload();

    Database* betarol_;

    // The record sources, under their names.
    RecordSource Beraktarozok;
    RecordSource Data1;

    RecordGrid* DBGrid1 = nullptr;
    RecordGrid* DBGrid2 = nullptr;
    RecordGridModel* gridModel1_ = nullptr;
    RecordGridModel* gridModel2_ = nullptr;
    QLabel* Data1Caption = nullptr;
    NavigationBar* navigation_ = nullptr;
    FieldBinder* binder_ = nullptr;
    std::unique_ptr<FormKit> kit_;
    QMenuBar* menuBar_ = nullptr;
    MenuTable* menus_ = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QTextEdit* RichTextBox1 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command4 = nullptr;

    QString criterion_;  // the last find condition; "i" after the full check met a row without id
    qint64 savedMark_ = -1;  // the last found row, or the row current before a save
    bool selected_ = false;  // the user chose a partner with "Vissza"
    bool unloaded_ = false;
    int pageCounter_ = 0;
};

}  // namespace vela
