#include "ui/qtdialogservice.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

#include "ui/busycursor.h"

namespace vela {

QWidget* QtDialogService::askingWindow() {
    // The top of the modal stack is the window the user is in: between two
    // boxes no window is active, but the modal window that asked still is
    // on the stack.
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    if (QWidget* active = QApplication::activeWindow())
        return active;
    if (QWidget* focus = QApplication::focusWidget())
        return focus->window();
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && w->isWindow() && !w->windowFlags().testFlag(Qt::Popup))
            return w;
    }
    return nullptr;
}

DialogService::Answer QtDialogService::message(const QString& text, const QString& title, Icon icon,
                                               Buttons buttons) {
    BusyCursor::Suspend normalPointer;
    QMessageBox box(askingWindow());
    box.setText(text);
    box.setWindowTitle(title);
    switch (icon) {
        case Icon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case Icon::Question:
            box.setIcon(QMessageBox::Question);
            break;
        case Icon::Warning:
            box.setIcon(QMessageBox::Warning);
            break;
        case Icon::Critical:
            box.setIcon(QMessageBox::Critical);
            break;
    }
    if (buttons == Buttons::YesNo) {
        QPushButton* yes = box.addButton(QStringLiteral("&Igen"), QMessageBox::YesRole);
        box.addButton(QStringLiteral("&Nem"), QMessageBox::NoRole);
        box.setDefaultButton(yes);
        box.exec();
        return box.clickedButton() == yes ? Answer::Yes : Answer::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return Answer::Ok;
}

QString QtDialogService::input(const QString& prompt, const QString& title,
                               const QString& defaultText) {
    BusyCursor::Suspend normalPointer;
    QInputDialog dlg(askingWindow());
    dlg.setWindowTitle(title);
    dlg.setLabelText(prompt);
    dlg.setTextValue(defaultText);
    dlg.setOkButtonText(QStringLiteral("OK"));
    dlg.setCancelButtonText(QStringLiteral("Mégse"));
    if (dlg.exec() != QDialog::Accepted)
        return {};
    return dlg.textValue();
}

void QtDialogService::beep() {
    QApplication::beep();
}

}  // namespace vela
