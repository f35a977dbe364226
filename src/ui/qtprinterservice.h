#pragma once

#include "ui/printerservice.h"

namespace vela {

// The system's default printer and Qt's print preview dialog.
class QtPrinterService : public PrinterService {
  public:
    bool ready() override;
    [[nodiscard]] Status print(const PaintFn& paint, QPageLayout::Orientation orientation) override;
    [[nodiscard]] Status preview(const PaintFn& paint,
                                 QPageLayout::Orientation orientation) override;
};

// A printer for tests and for saving: every job goes into a PDF file.
class PdfPrinterService : public PrinterService {
  public:
    explicit PdfPrinterService(QString pdfPath, bool ready = true)
        : path_(std::move(pdfPath)), ready_(ready) {}
    bool ready() override { return ready_; }
    void setReady(bool r) { ready_ = r; }
    [[nodiscard]] Status print(const PaintFn& paint, QPageLayout::Orientation orientation) override;
    [[nodiscard]] Status preview(const PaintFn& paint,
                                 QPageLayout::Orientation orientation) override;

    QString path() const { return path_; }
    int jobs = 0;
    int previews = 0;

  private:
    QString path_;
    bool ready_;
};

}  // namespace vela
