#pragma once

#include <QPrintPreviewDialog>
#include <QPrinter>
#include <memory>

#include "report/bandedreport.h"
#include "storage/recordsource.h"

namespace vela {

class Database;

// The ledger report: one record card per row of the scratch table VelaIdeigl,
// under a header with the date, the page number and the title, shown as a
// modal print preview from which the user prints or saves a PDF.
class DataReportVD1 : public QPrintPreviewDialog {
    Q_OBJECT
  public:
    explicit DataReportVD1(Database& veladata, QWidget* parent = nullptr);
    ~DataReportVD1() override;

    // The report's design: page, bands and every element in twips.
    static report::Layout layout();

    // The value the title placeholder prints.
    void setTitle(const QString& title) { report_.setTitle(title); }
    QString title() const { return report_.title(); }
    // Reads the scratch table anew (rsCommand1); fails with the error text.
    [[nodiscard]] Status refresh();
    int rowCount() const { return report_.rowCount(); }
    // The rows read, in the scratch table's order.
    const RecordSource& rows() const { return rsCommand1; }

    const report::BandedReport& report() const { return report_; }
    // Draws the report on a printer or a PDF writer set up for it.
    [[nodiscard]] Status render(QPagedPaintDevice& device) const;
    // The same pages into a PDF file.
    [[nodiscard]] Status printToPdf(const QString& path) const;

  private:
    RecordSource rsCommand1;
    report::BandedReport report_;
};

}  // namespace vela
