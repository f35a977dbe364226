#include "xls/biff.h"

#include <cstring>

namespace vela::xls::biff {

void appendDouble(QByteArray& b, double v) {
    quint64 bits;
    std::memcpy(&bits, &v, sizeof bits);
    append32(b, quint32(bits & 0xFFFFFFFFu));
    append32(b, quint32(bits >> 32));
}

void appendRecord(QByteArray& out, quint16 type, const QByteArray& data) {
    if (type == kVerbatim) {
        out.append(data);
        return;
    }
    append16(out, type);
    append16(out, quint16(data.size()));
    out.append(data);
}

bool needsWide(const QString& s) {
    for (QChar c : s) {
        if (c.unicode() > 0xFF)
            return true;
    }
    return false;
}

quint8 appendChars(QByteArray& b, const QString& s, bool wide) {
    if (wide) {
        const qsizetype at = b.size();
        b.resize(at + s.size() * 2);
        char* p = b.data() + at;
        for (QChar c : s) {
            put16(p, c.unicode());
            p += 2;
        }
        return 1;
    }
    const qsizetype at = b.size();
    b.resize(at + s.size());
    char* p = b.data() + at;
    for (QChar c : s) *p++ = char(c.unicode());
    return 0;
}

void appendShortString(QByteArray& b, const QString& s) {
    const QString t = s.left(255);
    const bool wide = needsWide(t);
    append8(b, quint8(t.size()));
    append8(b, wide ? 1 : 0);
    appendChars(b, t, wide);
}

void appendLongString(QByteArray& b, const QString& s) {
    const QString t = s.left(0xFFFF);
    const bool wide = needsWide(t);
    append16(b, quint16(t.size()));
    append8(b, wide ? 1 : 0);
    appendChars(b, t, wide);
}

QString readShortString(const QByteArray& data, int offset, bool* ok) {
    *ok = false;
    if (offset + 2 > data.size())
        return {};
    const int n = uchar(data[offset]);
    const bool wide = uchar(data[offset + 1]) & 1;
    const int bytes = wide ? n * 2 : n;
    if (offset + 2 + bytes > data.size())
        return {};
    QString s(n, Qt::Uninitialized);
    const char* p = data.constData() + offset + 2;
    for (int i = 0; i < n; ++i) s[i] = wide ? QChar(get16(p + 2 * i)) : QChar(uchar(p[i]));
    *ok = true;
    return s;
}

}  // namespace vela::xls::biff
