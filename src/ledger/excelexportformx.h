#pragma once

#include <QDialog>

#include "ledger/ledgertraits.h"
#include "storage/recordsource.h"

class QLabel;
class QProgressBar;

namespace vela {

struct AppContext;
struct ExcelExportTraits;

// The Excel export window of a ledger (ExcelExportSzallitoFormX for the
// payables, ExcelExportVevoFormX for the receivables): as soon as it is
// shown it appends the ledger rows from ExportFromSorszam on to the ledger's
// workbook, with a progress bar, and closes itself. The rows are read and
// checked first and written in one go, so a workbook that cannot take them
// is left as it was.
class ExcelExportFormX : public QDialog {
    Q_OBJECT
  public:
    ExcelExportFormX(AppContext& ctx, LedgerKind kind, QWidget* parent = nullptr);
    ~ExcelExportFormX() override;

    const ExcelExportTraits& traits() const { return traits_; }
    // The workbook written: the ledger's workbook in the data folder.
    QString workbookPath() const;
    // Cells left empty by the last run because the workbook cannot hold their values.
    int emptiedCells() const { return emptiedCells_; }
    bool finished() const { return finished_; }

  public slots:
    // The export, run once when the window is first shown; the window then closes.
    void Form_Activate();

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

  private:
    void run();
    void stop(const QString& status, const QString& text, const QString& title,
              DialogService::Icon icon);

    AppContext& ctx_;
    const ExcelExportTraits& traits_;
    RecordSource AnalitikaData;
    QProgressBar* ProgressBar1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    bool started_ = false;
    bool running_ = false;
    bool finished_ = false;
    int emptiedCells_ = 0;
};

}  // namespace vela
