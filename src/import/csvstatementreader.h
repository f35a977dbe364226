#pragma once

#include <QChar>
#include <QString>

#include "base/result.h"
#include "import/bankstatement.h"

namespace vela {

// Which column of a net bank's CSV export holds what. Columns count from 1;
// 0 means the file has no such column. The user sets it once; its text form
// is kept in the parameters database for the next file.
struct CsvMapping {
    enum class Encoding { Utf8, Windows1250 };

    QChar separator = u';';
    bool decimalComma = true;
    Encoding encoding = Encoding::Utf8;
    int headerRows = 1;
    // A QDate format ("yyyy.MM.dd"); empty: the usual Hungarian and ISO forms.
    QString dateFormat;
    QString defaultCurrency = QStringLiteral("HUF");

    int dateColumn = 1;
    int valueDateColumn = 0;
    int amountColumn = 2;  // signed: negative is a debit
    int debitColumn = 0;   // when the bank gives two columns instead
    int creditColumn = 0;
    int currencyColumn = 0;
    int nameColumn = 3;
    int accountColumn = 4;
    int remittanceColumn = 5;
    int referenceColumn = 0;  // the bank's own transaction id, when it gives one

    // One "key=value" a line; unknown keys are ignored, so a newer program's
    // text still reads.
    QString toText() const;
    static Result<CsvMapping> fromText(const QString& text);
    // Empty when the mapping can be used, else what is wrong with it.
    QString problem() const;

    friend bool operator==(const CsvMapping&, const CsvMapping&) = default;
};

// Reads a CSV statement through a mapping: quoted fields (with separators,
// doubled quotes and line breaks inside), a UTF-8 or Windows-1250 file, line
// by line so a large file does not fill the memory. Any row that cannot be
// read refuses the whole file with its line number; nothing comes back
// half-read.
class CsvStatementReader {
  public:
    static constexpr qint64 kDefaultMaxBytes = 100LL * 1024 * 1024;

    static Result<BankStatement> readFile(const QString& path, const CsvMapping& mapping,
                                          qint64 maxBytes = kDefaultMaxBytes);
};

}  // namespace vela
