#pragma once

#include "base/result.h"
#include "xls/biff.h"

#include <QByteArray>
#include <QString>
#include <vector>

namespace vela::xls {

class SharedStringTable;

// The Workbook stream cut into its substreams (the globals first, then one per
// sheet, each from its BOF to its EOF, embedded chart substreams included)
// and put together again with every stream offset brought up to date: the
// BOUNDSHEET positions, the INDEX records of the sheets, and EXTSST.
class WorkbookStream {
  public:
    struct Substream {
        quint32 offset = 0;  // where it started in the stream read
        std::vector<biff::Record> records;
    };

    // The stream must outlive this object: unchanged payloads refer into it.
    // Fails with a short text of where the stream is damaged.
    [[nodiscard]] Status parse(const QByteArray& stream);

    Substream& globals() { return substreams_[0]; }
    int sheetCount() const { return int(boundSheets_.size()); }
    // Record index of the i-th BOUNDSHEET in the globals, and its substream.
    int boundSheetRecord(int i) const { return boundSheets_[size_t(i)].record; }
    Substream& sheet(int i) { return substreams_[size_t(boundSheets_[size_t(i)].substream)]; }

    // The stream again. A globals record of type SST (empty payload) stands
    // for the shared string table and one of type EXTSST for its index; both
    // are written from sst.
    QByteArray serialize(const SharedStringTable& sst) const;

  private:
    struct BoundSheet {
        int record = 0;
        int substream = 0;
    };

    std::vector<Substream> substreams_;
    std::vector<BoundSheet> boundSheets_;
    QByteArray tail_;  // bytes after the last substream (padding), kept as they are
};

}  // namespace vela::xls
