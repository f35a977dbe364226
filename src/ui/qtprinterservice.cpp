#include "ui/qtprinterservice.h"

#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include "ui/busycursor.h"

namespace vela {

bool QtPrinterService::ready() {
    return !QPrinterInfo::defaultPrinter().isNull();
}

bool QtPrinterService::print(const PaintFn& paint, QPageLayout::Orientation orientation,
                             QString* error) {
    if (!ready()) {
        if (error)
            *error = QStringLiteral("Nincs nyomtató.");
        return false;
    }
    QPrinter printer(QPrinterInfo::defaultPrinter(), QPrinter::HighResolution);
    printer.setPageOrientation(orientation);
    paint(printer);
    return true;
}

bool QtPrinterService::preview(const PaintFn& paint, QPageLayout::Orientation orientation,
                               QString*) {
    BusyCursor::Suspend normalPointer;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(orientation);
    QPrintPreviewDialog dlg(&printer);
    dlg.setWindowTitle(QStringLiteral("Nyomtatási kép"));
    QObject::connect(&dlg, &QPrintPreviewDialog::paintRequested,
                     [&paint](QPrinter* p) { paint(*p); });
    dlg.exec();
    return true;
}

bool PdfPrinterService::print(const PaintFn& paint, QPageLayout::Orientation orientation,
                              QString* error) {
    if (!ready_) {
        if (error)
            *error = QStringLiteral("Nincs nyomtató.");
        return false;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path_);
    printer.setPageOrientation(orientation);
    paint(printer);
    ++jobs;
    return true;
}

bool PdfPrinterService::preview(const PaintFn& paint, QPageLayout::Orientation orientation,
                                QString* error) {
    ++previews;
    return print(paint, orientation, error);
}

}  // namespace vela
