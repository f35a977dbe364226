#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <vector>

// LibreOffice run headless with a profile of its own, so a running office or
// a stale profile of the user cannot hang a test.
class Office {
  public:
    Office();
    bool available() const { return !program_.isEmpty(); }

    // soffice --convert-to filter --outdir outDir file; its output in *log.
    bool convert(const QString& file, const QString& filter, const QString& outDir, QString* log);

    // The first sheet of a workbook as CSV lines of cells (UTF-8, comma-separated).
    std::vector<QStringList> csv(const QString& xls, QString* log);

  private:
    static QStringList splitCsv(const QString& line);

    QString program_;
    QTemporaryDir profile_;
};
