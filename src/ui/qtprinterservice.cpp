#include "ui/qtprinterservice.h"

#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include "ui/busycursor.h"
#include "ui/qtdialogservice.h"

namespace vela {

bool QtPrinterService::ready() {
    return !QPrinterInfo::defaultPrinter().isNull();
}

Status QtPrinterService::print(const PaintFn& paint, QPageLayout::Orientation orientation) {
    if (!ready())
        return Error{QStringLiteral("Nincs nyomtató.")};
    QPrinter printer(QPrinterInfo::defaultPrinter(), QPrinter::HighResolution);
    printer.setPageOrientation(orientation);
    paint(printer);
    return {};
}

Status QtPrinterService::preview(const PaintFn& paint, QPageLayout::Orientation orientation) {
    BusyCursor::Suspend normalPointer;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(orientation);
    QPrintPreviewDialog dlg(&printer, boxOwner());
    dlg.setWindowTitle(QStringLiteral("Nyomtatási kép"));
    QObject::connect(&dlg, &QPrintPreviewDialog::paintRequested,
                     [&paint](QPrinter* p) { paint(*p); });
    // Closed without printing or printed, the preview did what was asked.
    dlg.exec();
    return {};
}

Status PdfPrinterService::print(const PaintFn& paint, QPageLayout::Orientation orientation) {
    if (!ready_)
        return Error{QStringLiteral("Nincs nyomtató.")};
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path_);
    printer.setPageOrientation(orientation);
    paint(printer);
    ++jobs;
    return {};
}

Status PdfPrinterService::preview(const PaintFn& paint, QPageLayout::Orientation orientation) {
    ++previews;
    return print(paint, orientation);
}

}  // namespace vela
