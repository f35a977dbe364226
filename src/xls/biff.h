#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <vector>

// Record-level helpers of the BIFF8 format: record ids, little-endian packing
// and one record as a type with its payload.
namespace vela::xls::biff {

enum RecordId : quint16 {
    kFormula = 0x0006,
    kEof = 0x000A,
    kDateMode = 0x0022,
    kFilePass = 0x002F,
    kFont = 0x0031,
    kContinue = 0x003C,
    kWindow1 = 0x003D,
    kCodePage = 0x0042,
    kDefColWidth = 0x0055,
    kColInfo = 0x007D,
    kBoundSheet = 0x0085,
    kMulRk = 0x00BD,
    kMulBlank = 0x00BE,
    kRString = 0x00D6,
    kDbCell = 0x00D7,
    kXf = 0x00E0,
    kSst = 0x00FC,
    kLabelSst = 0x00FD,
    kExtSst = 0x00FF,
    kDimensions = 0x0200,
    kBlank = 0x0201,
    kNumber = 0x0203,
    kLabel = 0x0204,
    kBoolErr = 0x0205,
    kString = 0x0207,
    kRow = 0x0208,
    kIndex = 0x020B,
    kArray = 0x0221,
    kTable = 0x0236,
    kWindow2 = 0x023E,
    kRk = 0x027E,
    kStyle = 0x0293,
    kFormat = 0x041E,
    kShrFmla = 0x04BC,
    kBof = 0x0809,
};

constexpr int kMaxRecordData = 8224;  // payload limit of one BIFF8 record
constexpr int kMaxRows = 65536;
constexpr int kMaxColumns = 256;
constexpr int kMaxCellText = 32767;  // characters of one cell's text
// Streams below 4096 bytes go into the compound file's mini stream, which
// some readers do not find a workbook in, and freexl takes a stream of
// exactly 4096 bytes for a mini-stream one as well. A shorter Workbook
// stream is padded with zeros after its last EOF (as Excel pads its own).
constexpr int kMinStreamSize = 4097;
constexpr quint16 kBiff8 = 0x0600;
constexpr quint16 kBofGlobals = 0x0005;
constexpr quint16 kBofWorksheet = 0x0010;

// Marks a Record whose data is already-serialised records, written verbatim.
constexpr quint16 kVerbatim = 0xFFFF;

struct Record {
    quint16 type = 0;
    QByteArray data;  // payload without the 4-byte header (or whole records when verbatim)
};

inline quint16 get16(const char* p) {
    const auto* u = reinterpret_cast<const uchar*>(p);
    return quint16(u[0] | (u[1] << 8));
}

inline quint32 get32(const char* p) {
    const auto* u = reinterpret_cast<const uchar*>(p);
    return quint32(u[0]) | (quint32(u[1]) << 8) | (quint32(u[2]) << 16) | (quint32(u[3]) << 24);
}

inline void put16(char* p, quint16 v) {
    p[0] = char(v & 0xFF);
    p[1] = char(v >> 8);
}

inline void put32(char* p, quint32 v) {
    p[0] = char(v & 0xFF);
    p[1] = char((v >> 8) & 0xFF);
    p[2] = char((v >> 16) & 0xFF);
    p[3] = char(v >> 24);
}

inline void append8(QByteArray& b, quint8 v) {
    b.append(char(v));
}

inline void append16(QByteArray& b, quint16 v) {
    char t[2];
    put16(t, v);
    b.append(t, 2);
}

inline void append32(QByteArray& b, quint32 v) {
    char t[4];
    put32(t, v);
    b.append(t, 4);
}

void appendDouble(QByteArray& b, double v);

// Appends one record (header and payload) to a stream being built.
void appendRecord(QByteArray& out, quint16 type, const QByteArray& data);

// Characters as BIFF8 stores them: one byte each when every character fits
// Latin-1, otherwise UTF-16LE. Returns the option flag (0 or 1).
quint8 appendChars(QByteArray& b, const QString& s, bool wide);
bool needsWide(const QString& s);

// ShortXLUnicodeString (8-bit length) and XLUnicodeString (16-bit length).
void appendShortString(QByteArray& b, const QString& s);
void appendLongString(QByteArray& b, const QString& s);

// Reads a ShortXLUnicodeString (a sheet name) at offset; ok is false when it runs past the data.
QString readShortString(const QByteArray& data, int offset, bool* ok);

}  // namespace vela::xls::biff
