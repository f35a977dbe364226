#pragma once

#include "maintenance/repdialogservice.h"

class QWidget;

namespace velarep {

// Real modal message boxes over the window.
class QtRepDialogService : public RepDialogService {
  public:
    explicit QtRepDialogService(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    bool ask(const QString& text, const QString& title, Icon icon) override;
    void tell(const QString& text, const QString& title, Icon icon) override;

  private:
    QWidget* parent_;
};

}  // namespace velarep
