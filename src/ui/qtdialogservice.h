#pragma once

#include "ui/dialogservice.h"

class QWidget;

namespace vela {

// The real message boxes, input boxes and beep. The busy cursor is put aside
// while a box is open, so the user never answers under an hourglass.
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
