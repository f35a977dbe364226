#pragma once

#include <QHash>
#include <QPointer>
#include <memory>

#include "ledger/ledgertraits.h"
#include "ledgercore/ledgerbook.h"
#include "storage/aggregatequery.h"
#include "storage/groupedsum.h"
#include "storage/recordsource.h"
#include "ui/windowbase.h"

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenuBar;
class QPushButton;

namespace vela {

struct AppContext;
class Database;
class DatePicker;
class FieldBinder;
class FormKit;
class MenuTable;
class NavigationBar;
class OthersFollower;
class ValueLabel;
class RecordGrid;
class RecordGridModel;

// The ledger window: the payables window the program starts on, or the
// receivables window opened from it. One class serves both; LedgerTraits
// holds where they differ. The grid shows the ledger, the field block the
// current row, Label27 the outstanding figure.
class LedgerWindow : public WindowBase {
    Q_OBJECT
  public:
    // Takes veladata.mdb (required) and parameter.kdb (may be missing: no
    // parameters are read) from the context.
    LedgerWindow(AppContext& ctx, LedgerKind kind, QWidget* parent = nullptr);
    ~LedgerWindow() override;

    LedgerKind kind() const { return traits_.kind; }
    const LedgerTraits& traits() const { return traits_; }
    RecordSource& rows() { return VelaData1; }
    QString openTotalText() const;
    // The outstanding amount per currency beside Label27.
    QString currencyTotalsText() const;
    QAction* menuItem(const QString& name) const;

    bool closeOnUnload() const { return closeFlag(); }
    QString lastRowId() const { return lastRowId_; }
    int sortClicks() const { return headerClicks(); }

    // The row identifier of a new row made at the given moment.
    static QString NewRowId(const QDateTime& when);

  public slots:
    void ShowOpenTotal();
    void Command2_Click();  // "Új adat"
    void Command3_Click();  // "OK": save
    void Command4_Click();  // "Törlés"
    void MindTorol_Click();
    void VelaKivezet_Click();
    void Kilepes_Click();
    void Tartoznak_Click();
    void VevoTorzs_Click();
    void szamlabol_Click();
    void NavSzamla_Click();
    void Kezikonyv_Click();
    void Parameter_Click();
    void Valtozasok_Click();
    void Command7_Click();  // "Nyomtatás"
    void DBGrid1_HeadClick(int column);
    void ExcelExp_Click();  // payables: "MS Excel 8"
    void Excelbe_Click();   // receivables: "MS Excel 8"

    // "S&zűrés": the filters (ledgerfilters.cpp).
    void Kivezetve_Click();
    void Nemkivezetve_Click();
    void Figyelemek_Click();
    void MegnevSzur_Click();
    void SorszamSzur_Click();
    void SzamlaSzur_Click();
    void UgyfelSzur_Click();
    void DevizaSzur_Click();
    void Kp_Click();
    void Atutal_Click();
    void Utanvet_Click();
    void Nyugta_Click();
    void Szallito_Click();
    void ProformaK_Click();
    void ProformaA_Click();
    void ElolegOkmany_Click();
    void SzurKi_Click();
    void CsakPoz_Click();   // receivables
    void CsakNeg_Click();   // receivables
    void Command5_Click();  // "Határidőn túl"

    // Partial settlement (ledgerpartial.cpp).
    void RekordDupla_Click();
    void ReszosszegSzam_Click();
    void Ellenorzes_Click();

  signals:
    // The payables window's exit: the program ends.
    void programExit();

  protected:
    void showEvent(QShowEvent* event) override;
    void exitAction() override { Kilepes_Click(); }
    QStringList writingControls() const override;
    void closedWithoutExit() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildRecordSources();
    void buildControls();
    void buildMenus();
    QWidget* buildFieldBlock();
    QWidget* buildFinders();
    void applyFieldRules();
    QLineEdit* text(const char* name) const;

    void Form_Load();
    void becomeActive();
    void emptyScratchTable();
    void runFinder(QLineEdit* finder);
    void Text9_LostFocus();
    void DTPicker_GotFocus(DatePicker* picker);
    void Check1_Change();
    bool noCurrentRow() const;
    void deletedAllAskNew(DialogService::Icon icon);
    void storeCurrentRow();
    void closeRecordSources();
    void exportToExcel();

    // Filters (ledgerfilters.cpp).
    enum class Sign { Any, Positive, Negative };
    void runFilter(const char* item);
    void runAllRows();
    void checkFilterItem(const char* item);
    void setSign(Sign sign);
    void setTotals(const Condition& gross, const Condition& partial);
    void showRowsFound();
    bool fallBackToAllRows(const QString& noRowsMessage);
    void showNoData();
    // True when the line's pass succeeded.
    bool showCurrencyTotals();
    // The per-currency line, and the figure's two sums taken from its pass:
    // true when both could be.
    bool totalsFromCurrencyPass();
    // The figure and the line after another workstation's commit.
    void showFollowedTotals();
    QString filterValue(const char* control) const;
    void reportPass(const Result<PassCounts>& pass, bool tellNoRate);
    void afterPass(int rememberedPosition);

    const LedgerTraits& traits_;
    Database* veladata_;
    Database* parameters_;
    LedgerBook book_;

    // The record sources, under their names.
    RecordSource VelaData1;
    AggregateQuery CountData;
    AggregateQuery CountData2;
    AggregateQuery IdeiglData;
    // The outstanding amount of CountData and CountData2 per currency.
    GroupedSum currencyTotals_;
    Amount grossAmount_;
    Condition grossWhere_;
    Condition partialWhere_;
    std::optional<Condition> currencyWhere_;  // the rows of both, when known
    bool currencyTotalsStale_ = true;
    bool currencyLineLate_ = false;  // until the window's first paint
    QString shownTotal_;
    RecordSource VelaIdeiglData;
    RecordSource ParameterData;

    RecordGrid* DBGrid1 = nullptr;
    RecordGridModel* gridModel_ = nullptr;
    NavigationBar* navigation_ = nullptr;
    QWidget* findersRow_ = nullptr;
    FieldBinder* binder_ = nullptr;
    OthersFollower* follower_ = nullptr;
    std::unique_ptr<FormKit> kit_;
    QMenuBar* menuBar_ = nullptr;
    MenuTable* menus_ = nullptr;
    QList<DatePicker*> pickers_;
    QCheckBox* Check1 = nullptr;
    QCheckBox* Check2 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Label21 = nullptr;
    ValueLabel* Label27 = nullptr;
    ValueLabel* currencyLabel_ = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command4 = nullptr;
    QPushButton* Command5 = nullptr;
    QPushButton* Command7 = nullptr;
    QPushButton* Kilepes = nullptr;

    bool firstShown_ = false;
    bool exiting_ = false;
    qint64 lastFoundMark_ = -1;
    QString lastRowId_;
    Sign sign_ = Sign::Any;
    std::unique_ptr<LedgerWindow> receivables_;
};

}  // namespace vela
