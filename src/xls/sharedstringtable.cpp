#include "xls/sharedstringtable.h"

#include "xls/biff.h"

#include <algorithm>

namespace vela::xls {

using namespace biff;

namespace {

// Reads the SST payload and its CONTINUE payloads as one stream of bytes, with
// the one special rule of BIFF8: character data that runs over a record
// boundary resumes after a fresh option byte.
class PartReader {
  public:
    explicit PartReader(const std::vector<QByteArray>& parts) : parts_(parts) {}

    bool readBytes(int n, QByteArray* out) {
        while (n > 0) {
            if (!ensureData())
                return false;
            const QByteArray& part = parts_[part_];
            const int take = std::min(n, int(part.size()) - pos_);
            if (out)
                out->append(part.constData() + pos_, take);
            pos_ += take;
            n -= take;
        }
        return true;
    }

    bool read8(quint8* v) {
        QByteArray b;
        if (!readBytes(1, &b))
            return false;
        *v = quint8(b[0]);
        return true;
    }
    bool read16(quint16* v) {
        QByteArray b;
        if (!readBytes(2, &b))
            return false;
        *v = get16(b.constData());
        return true;
    }
    bool read32(quint32* v) {
        QByteArray b;
        if (!readBytes(4, &b))
            return false;
        *v = get32(b.constData());
        return true;
    }

    bool readChars(int count, bool wide, QString* out) {
        out->reserve(count);
        while (count > 0) {
            if (pos_ >= int(parts_[part_].size())) {
                if (part_ + 1 >= int(parts_.size()))
                    return false;
                ++part_;
                pos_ = 0;
                quint8 flag;
                if (!read8(&flag))
                    return false;
                wide = flag & 1;
            }
            const QByteArray& part = parts_[part_];
            const int avail = int(part.size()) - pos_;
            const int n = std::min(count, wide ? avail / 2 : avail);
            if (n <= 0)
                return false;
            const char* p = part.constData() + pos_;
            for (int i = 0; i < n; ++i)
                out->append(wide ? QChar(get16(p + 2 * i)) : QChar(uchar(p[i])));
            pos_ += wide ? 2 * n : n;
            count -= n;
        }
        return true;
    }

  private:
    bool ensureData() {
        while (pos_ >= int(parts_[part_].size())) {
            if (part_ + 1 >= int(parts_.size()))
                return false;
            ++part_;
            pos_ = 0;
        }
        return true;
    }

    const std::vector<QByteArray>& parts_;
    int part_ = 0;
    int pos_ = 0;
};

// Builds SST and CONTINUE records, starting a CONTINUE whenever the current
// record is full.
class RecordBuilder {
  public:
    explicit RecordBuilder(QByteArray* out) : out_(out) { start(kSst); }

    int space() const { return kMaxRecordData - int(out_->size() - recStart_ - 4); }
    qsizetype recordStart() const { return recStart_; }
    QByteArray& data() { return *out_; }

    void next() { start(kContinue); }

    void finish() { put16(out_->data() + recStart_ + 2, quint16(out_->size() - recStart_ - 4)); }

  private:
    void start(quint16 type) {
        if (out_->size() > 0)
            finish();
        recStart_ = out_->size();
        append16(*out_, type);
        append16(*out_, 0);
    }

    QByteArray* out_;
    qsizetype recStart_ = 0;
};

}  // namespace

Status SharedStringTable::parse(const std::vector<QByteArray>& parts) {
    entries_.clear();
    plain_.clear();
    if (parts.empty() || parts[0].size() < 8) {
        return Error{QStringLiteral("hiányos megosztott szövegtábla")};
    }
    totalRefs_ = get32(parts[0].constData());
    const quint32 unique = get32(parts[0].constData() + 4);
    std::vector<QByteArray> body = parts;
    body[0] = parts[0].mid(8);
    PartReader r(body);
    entries_.reserve(std::min<quint32>(unique, 1u << 20));
    for (quint32 i = 0; i < unique; ++i) {
        quint16 cch;
        quint8 flags;
        quint16 runs = 0;
        quint32 extSize = 0;
        Entry e;
        bool ok = r.read16(&cch) && r.read8(&flags);
        if (ok && (flags & 0x08))
            ok = r.read16(&runs);
        if (ok && (flags & 0x04))
            ok = r.read32(&extSize);
        ok = ok && r.readChars(cch, flags & 0x01, &e.text) && r.readBytes(4 * runs, &e.runs) &&
             r.readBytes(int(extSize), &e.ext);
        if (!ok || extSize > 0x7FFFFFF) {
            return Error{QStringLiteral("sérült megosztott szövegtábla (%1. szöveg)").arg(i + 1)};
        }
        if (e.runs.isEmpty() && e.ext.isEmpty())
            plain_.insert(e.text, quint32(entries_.size()));
        entries_.push_back(std::move(e));
    }
    return {};
}

quint32 SharedStringTable::add(const QString& s) {
    ++totalRefs_;
    auto it = plain_.constFind(s);
    if (it != plain_.constEnd())
        return it.value();
    const quint32 index = quint32(entries_.size());
    entries_.push_back({s, {}, {}});
    plain_.insert(s, index);
    return index;
}

void SharedStringTable::encode(quint32 streamOffset, QByteArray* sst, QByteArray* extSst) const {
    const quint32 n = quint32(entries_.size());
    const quint32 bucket = std::max<quint32>(8, n / 128 + 1);
    QByteArray ext;
    append16(ext, quint16(bucket));

    sst->clear();
    RecordBuilder b(sst);
    append32(*sst, totalRefs_);
    append32(*sst, n);
    for (quint32 i = 0; i < n; ++i) {
        const Entry& e = entries_[i];
        const bool wide = needsWide(e.text);
        const int charSize = wide ? 2 : 1;
        const int header = 3 + (e.runs.isEmpty() ? 0 : 2) + (e.ext.isEmpty() ? 0 : 4);
        if (b.space() < header + (e.text.isEmpty() ? 0 : charSize))
            b.next();
        if (i % bucket == 0) {
            const qsizetype inRecord = sst->size() - b.recordStart();
            append32(ext, streamOffset + quint32(sst->size()));
            append16(ext, quint16(inRecord));
            append16(ext, 0);
        }
        append16(*sst, quint16(e.text.size()));
        append8(*sst, quint8((wide ? 0x01 : 0) | (e.ext.isEmpty() ? 0 : 0x04) |
                             (e.runs.isEmpty() ? 0 : 0x08)));
        if (!e.runs.isEmpty())
            append16(*sst, quint16(e.runs.size() / 4));
        if (!e.ext.isEmpty())
            append32(*sst, quint32(e.ext.size()));
        qsizetype done = 0;
        while (done < e.text.size()) {
            int fit = b.space() / charSize;
            if (fit == 0) {
                b.next();
                append8(*sst, wide ? 1 : 0);
                fit = b.space() / charSize;
            }
            const qsizetype take = std::min<qsizetype>(fit, e.text.size() - done);
            appendChars(*sst, e.text.mid(done, take), wide);
            done += take;
        }
        // Formatting runs stay whole within a record; phonetic data may split anywhere.
        for (qsizetype r = 0; r < e.runs.size(); r += 4) {
            if (b.space() < 4)
                b.next();
            sst->append(e.runs.constData() + r, 4);
        }
        for (qsizetype x = 0; x < e.ext.size();) {
            if (b.space() == 0)
                b.next();
            const qsizetype take = std::min<qsizetype>(b.space(), e.ext.size() - x);
            sst->append(e.ext.constData() + x, take);
            x += take;
        }
    }
    b.finish();

    extSst->clear();
    append16(*extSst, kExtSst);
    append16(*extSst, quint16(ext.size()));
    extSst->append(ext);
}

}  // namespace vela::xls
