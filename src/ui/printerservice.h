#pragma once

#include "base/result.h"

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
    // Prints at once; fails with a readable error when it could not.
    [[nodiscard]] virtual Status print(const PaintFn& paint,
                                       QPageLayout::Orientation orientation) = 0;
    // Shows the pages in a modal preview from which the user may print.
    // Closing the preview without printing is no failure.
    [[nodiscard]] virtual Status preview(const PaintFn& paint,
                                         QPageLayout::Orientation orientation) = 0;
};

}  // namespace vela
