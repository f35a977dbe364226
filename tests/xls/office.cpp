#include "office.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

Office::Office() : program_(QStandardPaths::findExecutable(QStringLiteral("soffice"))) {}

bool Office::convert(const QString& file, const QString& filter, const QString& outDir,
                     QString* log) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program_,
            {QStringLiteral("-env:UserInstallation=file://") + profile_.path(),
             QStringLiteral("--headless"), QStringLiteral("--norestore"),
             QStringLiteral("--convert-to"), filter, QStringLiteral("--outdir"), outDir, file});
    if (!p.waitForFinished(180000)) {
        p.kill();
        p.waitForFinished();
        *log = QStringLiteral("soffice did not finish in time");
        return false;
    }
    *log = QString::fromLocal8Bit(p.readAll());
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

std::vector<QStringList> Office::csv(const QString& xls, QString* log) {
    QTemporaryDir out;
    if (!convert(xls, QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76,1"), out.path(),
                 log))
        return {};
    const QString name = QFileInfo(xls).completeBaseName() + QStringLiteral(".csv");
    QFile f(out.filePath(name));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    std::vector<QStringList> lines;
    for (const QString& line : QString::fromUtf8(f.readAll()).split('\n')) {
        if (!line.isEmpty())
            lines.push_back(splitCsv(line));
    }
    return lines;
}

QStringList Office::splitCsv(const QString& line) {
    QStringList cells;
    QString cur;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"')
                cur += line[++i];
            else if (c == '"')
                quoted = false;
            else
                cur += c;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            cells << cur;
            cur.clear();
        } else if (c != '\r') {
            cur += c;
        }
    }
    cells << cur;
    return cells;
}
