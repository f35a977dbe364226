#pragma once

#include "ui/dialogservice.h"

class QWidget;

namespace vela {

// The real message boxes, input boxes and beep. The busy cursor is put aside
// while a box is open, so the user never answers under an hourglass. A box
// belongs to the window that asked for it: a box without a parent would
// count as a window of its own, and closing it while the main window is
// hidden would end the program.
class QtDialogService : public DialogService {
  public:
    Answer message(const QString& text, const QString& title, Icon icon,
                   Buttons buttons = Buttons::Ok) override;
    QString input(const QString& prompt, const QString& title,
                  const QString& defaultText = {}) override;
    void beep() override;

    // The window a box opened now belongs to; null only when no window is shown.
    static QWidget* askingWindow();
};

}  // namespace vela
