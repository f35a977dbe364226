// libFuzzer entry for the RTF reader: any bytes, read into a document that
// is then laid out, so broken structure shows up as a crash here.
#include <QGuiApplication>
#include <QTextDocument>
#include <cstddef>
#include <cstdint>

#include "rtf/rtfreader.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "*=false");
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QTextDocument doc;
    if (!vela::RtfReader::read(bytes, &doc)) {
        // Most mutations lose the header; read them as a document body as well.
        // That always starts as RTF, so there is no refusal to look at.
        (void)vela::RtfReader::read("{\\rtf1 " + bytes, &doc);
    }
    doc.setTextWidth(600);
    (void)doc.size();
    (void)doc.toPlainText();
    return 0;
}
