#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>
#include <functional>
#include <memory>
#include <vector>

#include "base/result.h"

typedef struct _GPtrArray GPtrArray;

namespace vela {

// An Access (Jet 3, Jet 4) file opened in this process through libmdb. Only
// the reading helper uses it: libmdb trusts the file it is given, so a damaged
// file can bring the process down, and that must never be VelaData's own.
class JetFile {
  public:
    struct Column {
        QString name;
        int jetType = 0;
        QString typeName;
    };

    ~JetFile();
    JetFile(const JetFile&) = delete;
    JetFile& operator=(const JetFile&) = delete;

    // Checks the header, the page size and the length before libmdb sees the file.
    static Result<std::unique_ptr<JetFile>> open(const QString& path);

    int jetVersion() const;
    // The user tables (no system tables), in catalog order.
    QStringList tables() const;

    // Reads a table in the order its rows lie in the file. wanted: column names
    // (case-insensitive), empty for all. limit: at most that many rows, 0 for all.
    // onColumns gets the columns once before the first row.
    [[nodiscard]] Status read(const QString& table, const QStringList& wanted, qint64 limit,
                              const std::function<void(const std::vector<Column>&)>& onColumns,
                              const std::function<void(const QVariantList&)>& onRow);

    static QString typeName(int jetType);

    // After a full read: the row count the table's definition gives when it
    // differs from the rows read (the invoicing program may have the file
    // open, or did not close it cleanly); -1 when they agree.
    qint64 storedRowsDiffering() const { return storedRowsDiffering_; }

  private:
    JetFile() = default;
    void* mdb_ = nullptr;  // MdbHandle
    QString path_;
    qint64 pages_ = 0;
    qint64 storedRowsDiffering_ = -1;
};

}  // namespace vela
