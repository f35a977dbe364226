#pragma once

#include "base/result.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <vector>

namespace vela::xls {

// The workbook's shared string table (SST with its CONTINUE records): the
// strings already there are kept with their formatting runs and phonetic
// data, new ones are added at the end, and the whole table is written again
// together with its EXTSST look-up record.
class SharedStringTable {
  public:
    // parts: the SST payload, then the payloads of the CONTINUE records after it.
    // Fails with a short text of what is damaged.
    [[nodiscard]] Status parse(const std::vector<QByteArray>& parts);

    int count() const { return int(entries_.size()); }
    const QString& text(int index) const { return entries_[size_t(index)].text; }

    // Index of s, added when no plain string of that text is in the table yet.
    // Each call counts as one more reference from a cell.
    quint32 add(const QString& s);

    // The SST and CONTINUE records as they go into the stream at streamOffset,
    // and the EXTSST record (header included) that indexes them.
    void encode(quint32 streamOffset, QByteArray* sst, QByteArray* extSst) const;

  private:
    struct Entry {
        QString text;
        QByteArray runs;  // formatting runs, 4 bytes each
        QByteArray ext;   // phonetic data
    };

    std::vector<Entry> entries_;
    QHash<QString, quint32> plain_;
    quint32 totalRefs_ = 0;
};

}  // namespace vela::xls
