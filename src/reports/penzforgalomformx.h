#pragma once

#include "reports/ageing.h"
#include "reports/cashflow.h"
#include "ui/windowbase.h"

class QBarSet;
class QChart;
class QChartView;
class QComboBox;
class QPainter;
class QPrinter;
class QTableWidget;

namespace vela {

struct AppContext;
class DatePicker;

// The cash-flow chart: for twelve weeks from a day, the open receivables
// and payables due per week as bars (what is late in the first week) and
// the running balance as a line, in one currency (the forint at first);
// beside it the ageing of both ledgers as bars. Hovering a bar shows its
// figures; the same figures stand in the table below for screen readers.
class PenzforgalomFormX : public WindowBase {
  public:
    PenzforgalomFormX(AppContext& ctx, QWidget* parent = nullptr,
                      const QDate& from = QDate::currentDate());
    ~PenzforgalomFormX() override;

    void Frissit_Click();
    void Nyomtat_Click();
    void PdfMent_Click();
    void Kilepes_Click();

    const reports::CashFlow& flow() const { return flow_; }
    QTableWidget* table() const { return Tablazat; }
    QChart* cashChart() const;
    QChart* ageingChart() const;
    // The figures a hover over a bar shows.
    QString hoverText(const QBarSet* set, int index) const;

  protected:
    void exitAction() override { Kilepes_Click(); }

  private:
    void fillCurrencies();
    // The charts of the figures read last; the window's and the print's
    // are each made afresh.
    QChart* makeCashChart() const;
    QChart* makeAgeingChart() const;
    void drawCharts();
    void fillTable();
    void paint(QPrinter& printer) const;
    void showError(const QString& text);

    reports::CashFlow flow_;
    DatePicker* DTPicker1 = nullptr;
    QComboBox* Devizanem = nullptr;
    QChartView* CashView = nullptr;
    QChartView* AgeingView = nullptr;
    QTableWidget* Tablazat = nullptr;
};

}  // namespace vela
