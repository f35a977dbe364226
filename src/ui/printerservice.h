#pragma once

#include <QPageLayout>
#include <QString>
#include <functional>

class QPrinter;

namespace vela {

// Printing goes through this service: the default printer and a modal print
// preview in the program, PDF output in tests. No printer is "not ready".
class PrinterService {
  public:
    using PaintFn = std::function<void(QPrinter&)>;

    virtual ~PrinterService() = default;

    // Whether a printer is there to print on.
    virtual bool ready() = 0;
    // Prints at once; false with a readable error when it could not.
    virtual bool print(const PaintFn& paint, QPageLayout::Orientation orientation,
                       QString* error = nullptr) = 0;
    // Shows the pages in a modal preview from which the user may print.
    virtual bool preview(const PaintFn& paint, QPageLayout::Orientation orientation,
                         QString* error = nullptr) = 0;
};

}  // namespace vela
