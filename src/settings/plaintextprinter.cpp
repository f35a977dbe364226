#include "settings/plaintextprinter.h"

#include <QFont>
#include <QPrinter>
#include <QTextDocument>

#include "ui/printerservice.h"

namespace vela {

QString PlainTextPrinter::printableText(const QTextDocument& doc) {
    QString text = doc.toPlainText();
    text.remove(QChar::ObjectReplacementCharacter);
    return text;
}

bool PlainTextPrinter::print(PrinterService* printer, const QString& text, QString* error) {
    if (!printer) {
        if (error)
            *error = QStringLiteral("Nincs nyomtató.");
        return false;
    }
    return printer->print(
        [&text](QPrinter& device) {
            QTextDocument page;
            QFont font;
            font.setPointSize(10);
            page.setDefaultFont(font);
            page.setPlainText(text);
            page.print(&device);
        },
        QPageLayout::Portrait, error);
}

}  // namespace vela
