#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <memory>
#include <vector>

#include "base/result.h"
#include "import/jetheader.h"

namespace vela {

// Reads an Access (Jet 3, Jet 4) file, read only. The reading itself runs in
// the small helper program vela-jetreader, so a damaged file that trips
// libmdb up ends that helper, never VelaData: every failure here is an error
// result with a readable Hungarian text that names the file.
//
// Values come as QVariant: whole numbers int, Currency/Single/Double/Numeric
// double, DateTime a QDateTime in UTC holding the stored wall-clock time
// (invalid dates outside the years 100..9999 read as null), Text/Memo QString,
// Boolean bool, Binary/OLE QByteArray; an empty field is null.
class JetReader {
  public:
    using Row = QVariantList;
    struct Column {
        QString name;
        int jetType = 0;
        QString typeName;  // "Long Integer", "Text", "DateTime", ...
    };
    struct Table {
        std::vector<Column> columns;
        std::vector<Row> rows;
        // The row count the file stores for the table when it differs from
        // the rows read (the file may be in use); -1 when they agree.
        qint64 storedRows = -1;
    };

    // Checks that path is a readable Jet file; the helper is not started yet.
    static Result<std::unique_ptr<JetReader>> open(const QString& path);

    QString path() const { return path_; }
    QString fileName() const;
    // 3 or 4 (later Access formats give 5 and up).
    int jetVersion() const { return header_.version == 0 ? 3 : header_.version + 3; }

    Result<QStringList> tables() const;
    Result<std::vector<Column>> columns(const QString& table) const;
    // The rows of table in file order. columns: names to read (case-insensitive),
    // empty for all of them; limit: at most that many rows, 0 for all.
    Result<Table> read(const QString& table, const QStringList& columns = {},
                       qint64 limit = 0) const;
    Result<bool> hasRows(const QString& table) const;

    // The helper program: beside the running program, else in the build's bin folder.
    static QString helperPath();
    // How long one reading may take before the helper is stopped (milliseconds);
    // 0, the default, allows 15 s plus 1 s for each 5 MB of the file.
    static void setTimeout(int ms);

  private:
    JetReader() = default;
    [[nodiscard]] Status run(const QStringList& args, Table* table, QStringList* tables) const;

    QString path_;
    JetHeader header_;
};

}  // namespace vela
