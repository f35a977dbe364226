#include "streamcheck.h"

#include "xls/compoundfile.h"
#include "xls/workbook.h"

#include <gtest/gtest.h>
#include <QString>

// Walks the records of a Workbook stream from offset, stopping after the EOF
// that closes the substream begun there.
std::vector<std::pair<quint32, quint16>> recordsOf(const QByteArray& s, quint32 offset) {
    std::vector<std::pair<quint32, quint16>> out;
    int depth = 0;
    for (quint32 p = offset; p + 4 <= quint32(s.size());) {
        const auto* u = reinterpret_cast<const uchar*>(s.constData() + p);
        const quint16 type = quint16(u[0] | u[1] << 8);
        out.emplace_back(p, type);
        depth += type == 0x0809 ? 1 : type == 0x000A ? -1 : 0;
        if (depth == 0)
            break;
        p += 4 + quint32(u[2] | u[3] << 8);
    }
    return out;
}

static quint32 u32(const QByteArray& s, quint32 at) {
    const auto* u = reinterpret_cast<const uchar*>(s.constData() + at);
    return quint32(u[0]) | quint32(u[1]) << 8 | quint32(u[2]) << 16 | quint32(u[3]) << 24;
}

// Checks the sheet positions and INDEX records of a workbook file; returns the
// number of INDEX records of each sheet.
std::vector<int> checkSheets(const QByteArray& file) {
    const vela::Result<QByteArray> read = vela::xls::CompoundFile::readStream(file, "Workbook");
    EXPECT_TRUE(read) << read.errorText().toStdString();
    const QByteArray stream = read ? *read : QByteArray();
    std::vector<int> counts;
    for (const auto& [pos, type] : recordsOf(stream, 0)) {
        if (type != 0x0085)
            continue;
        const auto records = recordsOf(stream, u32(stream, pos + 4));
        EXPECT_FALSE(records.empty());
        if (records.empty())
            return counts;
        EXPECT_EQ(records.front().second, 0x0809);
        int indexes = 0;
        for (const auto& [at, t] : records) {
            if (t != 0x020B)
                continue;
            ++indexes;
            const quint16 len = quint16(uchar(stream[at + 2]) | uchar(stream[at + 3]) << 8);
            for (quint32 k = 16; k + 4 <= len; k += 4) {
                const quint32 dbcell = u32(stream, at + 4 + k);
                EXPECT_LT(dbcell + 2, quint32(stream.size()));
                if (dbcell + 2 < quint32(stream.size())) {
                    EXPECT_EQ(uchar(stream[dbcell]) | uchar(stream[dbcell + 1]) << 8, 0x00D7);
                }
            }
        }
        counts.push_back(indexes);
    }
    return counts;
}

int usedRows(const QString& path) {
    const vela::Result<int> rows = vela::xls::Workbook::rowCount(path);
    EXPECT_TRUE(rows) << rows.errorText().toStdString();
    return rows ? *rows : -1;
}
