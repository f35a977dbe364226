#pragma once

#include "ui/dialogservice.h"

class QWidget;

namespace vela {

// The window a box or preview belongs to: the active one or, when the
// program is not active (the user is in another program while a long run
// ends), the modal window open now, else any window shown. A box of no
// window would be the only main window shown while the payables window is
// hidden behind the receivables one, and closing it would end the program.
QWidget* boxOwner();

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
    QString folder(const QString& title, const QString& start = {}) override;
};

}  // namespace vela
