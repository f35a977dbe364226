#include "ui/qtdialogservice.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

#include "ui/busycursor.h"

namespace vela {

QWidget* boxOwner() {
    if (QWidget* w = QApplication::activeWindow())
        return w;
    if (QWidget* w = QApplication::activeModalWidget())
        return w;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->isWindow() && w->windowType() != Qt::Popup &&
            w->windowType() != Qt::ToolTip)
            return w;
    return nullptr;
}

DialogService::Answer QtDialogService::message(const QString& text, const QString& title, Icon icon,
                                               Buttons buttons) {
    BusyCursor::Suspend normalPointer;
    QMessageBox box(boxOwner());
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
    QInputDialog dlg(boxOwner());
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

QString QtDialogService::folder(const QString& title, const QString& start) {
    BusyCursor::Suspend normalPointer;
    return QFileDialog::getExistingDirectory(boxOwner(), title, start);
}

}  // namespace vela
