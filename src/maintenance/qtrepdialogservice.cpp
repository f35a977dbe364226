#include "maintenance/qtrepdialogservice.h"

#include <QMessageBox>

namespace velarep {

namespace {

QMessageBox::Icon boxIcon(RepDialogService::Icon icon) {
    return icon == RepDialogService::Icon::Critical ? QMessageBox::Critical
                                                    : QMessageBox::Information;
}

}  // namespace

bool QtRepDialogService::ask(const QString& text, const QString& title, Icon icon) {
    QMessageBox box(boxIcon(icon), title, text, QMessageBox::Yes | QMessageBox::No, parent_);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

void QtRepDialogService::tell(const QString& text, const QString& title, Icon icon) {
    QMessageBox box(boxIcon(icon), title, text, QMessageBox::Ok, parent_);
    box.exec();
}

}  // namespace velarep
