#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>
#include <vector>

// Reads a PDF back through poppler's pdftotext, as a user's viewer would see it.
namespace pdfreadback {

struct Word {
    int page = 0;                                   // from 0
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;  // points from the page's top left
    QString text;
};

inline QByteArray run(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return {};
    return p.readAllStandardOutput();
}

// The text of each page laid out as on the page.
inline QStringList pages(const QString& pdf) {
    QStringList out = QString::fromUtf8(run({QStringLiteral("-layout"), pdf, QStringLiteral("-")}))
                          .split(QLatin1Char('\f'));
    if (!out.isEmpty() && out.last().trimmed().isEmpty())
        out.removeLast();
    return out;
}

// Every word with its box.
inline std::vector<Word> words(const QString& pdf) {
    std::vector<Word> out;
    QXmlStreamReader xml(run({QStringLiteral("-bbox"), pdf, QStringLiteral("-")}));
    int page = -1;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("page")) {
            ++page;
        } else if (xml.name() == QLatin1String("word")) {
            const auto a = xml.attributes();
            Word w;
            w.page = page;
            w.xMin = a.value(QLatin1String("xMin")).toDouble();
            w.yMin = a.value(QLatin1String("yMin")).toDouble();
            w.xMax = a.value(QLatin1String("xMax")).toDouble();
            w.yMax = a.value(QLatin1String("yMax")).toDouble();
            w.text = xml.readElementText();
            out.push_back(w);
        }
    }
    return out;
}

// The first word with this text on a page (any page when page < 0); null when none.
inline const Word* find(const std::vector<Word>& ws, const QString& text, int page = -1) {
    for (const Word& w : ws) {
        if (w.text == text && (page < 0 || w.page == page))
            return &w;
    }
    return nullptr;
}

}  // namespace pdfreadback
