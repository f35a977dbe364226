#pragma once

#include "reports/ageing.h"
#include "reports/business.h"
#include "ui/windowbase.h"

class QPushButton;
class QTableWidget;

namespace vela {

struct AppContext;
class DatePicker;

// The ageing of one ledger: its open gross per partner and currency in
// buckets of days past due, as of a day the user picks (today at first),
// the most overdue first and the totals per currency below. A double click
// on a partner shows the partner's statement; the receivables window also
// writes payment reminders.
class KorosításFormX : public WindowBase {
  public:
    KorosításFormX(AppContext& ctx, reports::Ledger ledger, QWidget* parent = nullptr,
                   const QDate& asOf = QDate::currentDate());
    ~KorosításFormX() override;

    // Reads the ageing anew as of the picked day; a failure is told.
    void Frissit_Click();
    void Egyenleg_Click();       // the current partner's statement, previewed
    void Felszolit_Click();      // the current partner's reminder, previewed
    void FelszolitMind_Click();  // a reminder PDF for every partner with late items
    void Nyomtat_Click();
    void PdfMent_Click();
    void ExcelMent_Click();
    void Kilepes_Click();

    const reports::AgeingReport& report() const { return report_; }
    QTableWidget* table() const { return Tablazat; }
    // The line of the table's current row; null on a total row.
    const reports::AgeingLine* currentLine() const;

  protected:
    void exitAction() override { Kilepes_Click(); }

  private:
    QString askTargetPath(const QString& prompt, const QString& extension);
    void fill();
    bool readBusiness();
    QDate askDeadline();
    bool askInterest();
    void showError(const QString& text);

    reports::Ledger ledger_;
    reports::AgeingReport report_;
    reports::Business own_;
    DatePicker* DTPicker1 = nullptr;
    QTableWidget* Tablazat = nullptr;
};

}  // namespace vela
