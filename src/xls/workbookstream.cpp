#include "xls/workbookstream.h"

#include "xls/sharedstringtable.h"

#include <QHash>

namespace vela::xls {

using namespace biff;

Status WorkbookStream::parse(const QByteArray& stream) {
    substreams_.clear();
    boundSheets_.clear();
    tail_.clear();
    const char* base = stream.constData();
    const qsizetype size = stream.size();
    qsizetype pos = 0;
    int depth = 0;
    int expectedSheets = -1;
    while (pos < size) {
        if (depth == 0 && expectedSheets >= 0 && int(substreams_.size()) == expectedSheets + 1) {
            tail_ = stream.mid(pos);
            break;
        }
        if (pos + 4 > size) {
            return Error{QStringLiteral("csonka rekord a %1. bájtnál").arg(pos)};
        }
        const quint16 type = get16(base + pos);
        const quint16 len = get16(base + pos + 2);
        if (pos + 4 + len > size) {
            return Error{QStringLiteral("csonka rekord a %1. bájtnál").arg(pos)};
        }
        if (type == kVerbatim) {
            // No record has this type; the writer uses it for runs of records
            // it puts in whole, and would drop this one's header.
            return Error{QStringLiteral("ismeretlen rekordtípus a %1. bájtnál").arg(pos)};
        }
        if (depth == 0) {
            if (type != kBof) {
                return Error{QStringLiteral("hiányzó BOF rekord a %1. bájtnál").arg(pos)};
            }
            substreams_.push_back({quint32(pos), {}});
        }
        if (type == kBof)
            ++depth;
        else if (type == kEof)
            --depth;
        substreams_.back().records.push_back({type, QByteArray::fromRawData(base + pos + 4, len)});
        pos += 4 + len;
        if (depth == 0 && substreams_.size() == 1) {
            // The globals are complete: they name the sheets that must follow.
            const auto& recs = substreams_[0].records;
            expectedSheets = 0;
            for (size_t i = 0; i < recs.size(); ++i) {
                if (recs[i].type == kBoundSheet) {
                    ++expectedSheets;
                    boundSheets_.push_back({int(i), -1});
                }
            }
        }
    }
    if (depth != 0 || substreams_.empty()) {
        return Error{QStringLiteral("a munkafüzet adatfolyama idő előtt véget ér")};
    }
    QHash<quint32, int> byOffset;
    for (size_t i = 1; i < substreams_.size(); ++i) byOffset.insert(substreams_[i].offset, int(i));
    for (BoundSheet& b : boundSheets_) {
        const Record& r = substreams_[0].records[size_t(b.record)];
        if (r.data.size() < 8 || !byOffset.contains(get32(r.data.constData()))) {
            return Error{QStringLiteral("a munkalap-hivatkozás nem munkalap elejére mutat")};
        }
        b.substream = byOffset.value(get32(r.data.constData()));
    }
    return {};
}

QByteArray WorkbookStream::serialize(const SharedStringTable& sst) const {
    QByteArray out;
    qsizetype estimate = tail_.size();
    for (const Substream& s : substreams_) {
        for (const Record& r : s.records) estimate += r.data.size() + 4;
    }
    out.reserve(estimate + estimate / 8 + 65536);

    QByteArray extSst;
    std::vector<qsizetype> boundSheetAt;  // payload position of each BOUNDSHEET written
    for (const Record& r : substreams_[0].records) {
        if (r.type == kSst && r.data.isEmpty()) {
            QByteArray sstBytes;
            sst.encode(quint32(out.size()), &sstBytes, &extSst);
            out.append(sstBytes);
            continue;
        }
        if (r.type == kExtSst && r.data.isEmpty()) {
            out.append(extSst);
            continue;
        }
        if (r.type == kBoundSheet)
            boundSheetAt.push_back(out.size() + 4);
        appendRecord(out, r.type, r.data);
    }

    std::vector<quint32> newOffset(substreams_.size(), 0);
    for (size_t i = 1; i < substreams_.size(); ++i) {
        const Substream& s = substreams_[i];
        newOffset[i] = quint32(out.size());
        const qint64 delta = qint64(newOffset[i]) - qint64(s.offset);
        for (const Record& r : s.records) {
            if (r.type == kIndex) {
                if (delta != 0 && r.data.size() >= 16) {
                    // Stream positions of DEFCOLWIDTH and of each DBCELL move with the sheet.
                    QByteArray d = r.data;
                    for (qsizetype p = 12; p + 4 <= d.size(); p += 4) {
                        if (p == 12 && get32(d.constData() + p) == 0)
                            continue;
                        put32(d.data() + p, quint32(qint64(get32(d.constData() + p)) + delta));
                    }
                    appendRecord(out, r.type, d);
                    continue;
                }
            }
            appendRecord(out, r.type, r.data);
        }
    }
    out.append(tail_);

    for (size_t i = 0; i < boundSheets_.size(); ++i)
        put32(out.data() + boundSheetAt[i], newOffset[size_t(boundSheets_[i].substream)]);
    return out;
}

}  // namespace vela::xls
