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

Status PlainTextPrinter::print(PrinterService* printer, const QString& text) {
    if (!printer)
        return Error{QStringLiteral("Nincs nyomtató.")};
    return printer->print(
        [&text](QPrinter& device) {
            QTextDocument page;
            QFont font;
            font.setPointSize(10);
            page.setDefaultFont(font);
            page.setPlainText(text);
            page.print(&device);
        },
        QPageLayout::Portrait);
}

}  // namespace vela
