#include "xls/workbook.h"

#include "xls/biff.h"
#include "xls/compoundfile.h"
#include "xls/sharedstringtable.h"
#include "xls/workbookstream.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>

#include <sys/file.h>

#include <cmath>
#include <cstring>
#include <map>

namespace vela::xls {

using namespace biff;

namespace {

// The texts a failure is reported with.
namespace msg {

QString name(const QString& path) {
    return QDir::toNativeSeparators(path);
}

QString notFound(const QString& p) {
    return QStringLiteral("A munkafüzet nem található: %1").arg(name(p));
}
QString notReadable(const QString& p, const QString& why) {
    return QStringLiteral("A munkafüzet nem olvasható: %1 (%2)").arg(name(p), why);
}
QString readOnly(const QString& p) {
    return QStringLiteral("A munkafüzet csak olvasható, nem írható: %1").arg(name(p));
}
QString locked(const QString& p) {
    return QStringLiteral("A munkafüzetet valaki használja: %1. Zárja be, ha használatban van!")
        .arg(name(p));
}
QString notWorkbook(const QString& p) {
    return QStringLiteral("A fájl nem Excel munkafüzet: %1").arg(name(p));
}
QString notExcel8(const QString& p) {
    return QStringLiteral("A munkafüzet nem Excel 8 (97-2003) formátumú: %1").arg(name(p));
}
QString damaged(const QString& p, const QString& why) {
    return QStringLiteral("A munkafüzet sérült: %1 (%2)").arg(name(p), why);
}
QString password(const QString& p) {
    return QStringLiteral("A munkafüzet jelszóval védett, nem írható: %1").arg(name(p));
}
QString noSheet(const QString& p) {
    return QStringLiteral("A munkafüzetben nincs munkalap: %1").arg(name(p));
}
QString tooManyRows(int used, qsizetype adding) {
    return QStringLiteral(
               "Az Excel 8 munkalap legfeljebb 65 536 sort tartalmazhat: a munkalapon már %1 sor "
               "van, a további %2 sor nem fér el. A munkafüzet nem változott.")
        .arg(used)
        .arg(adding);
}
QString tooManyColumns(qsizetype row) {
    return QStringLiteral(
               "Az Excel 8 munkalap legfeljebb 256 oszlopot tartalmazhat (%1. sor). A munkafüzet "
               "nem változott.")
        .arg(row);
}
QString saveFailed(const QString& p, const QString& why) {
    return QStringLiteral("A munkafüzet mentése nem sikerült: %1 (%2). A munkafüzet nem változott.")
        .arg(name(p), why);
}

}  // namespace msg

bool isCellRecord(quint16 t) {
    switch (t) {
        case kFormula:
        case kBlank:
        case kNumber:
        case kLabel:
        case kBoolErr:
        case kRk:
        case kMulRk:
        case kMulBlank:
        case kLabelSst:
        case kRString:
            return true;
        default:
            return false;
    }
}

bool isCellTableRecord(quint16 t) {
    return isCellRecord(t) || t == kRow || t == kDbCell || t == kString || t == kArray ||
           t == kShrFmla || t == kTable;
}

// Whether a number format shows a date or a time: after quoted text, escaped
// characters and bracketed parts are removed, a d, m, y, h or s remains.
bool isDateFormat(int ifmt, const QHash<int, QString>& formats) {
    if ((ifmt >= 14 && ifmt <= 22) || (ifmt >= 45 && ifmt <= 47) || (ifmt >= 27 && ifmt <= 36) ||
        (ifmt >= 50 && ifmt <= 58))
        return true;
    const auto it = formats.constFind(ifmt);
    if (it == formats.constEnd())
        return false;
    const QString& f = it.value();
    bool quoted = false;
    int bracket = 0;
    for (qsizetype i = 0; i < f.size(); ++i) {
        const QChar c = f[i];
        if (quoted) {
            quoted = c != QLatin1Char('"');
            continue;
        }
        if (c == QLatin1Char('"')) {
            quoted = true;
        } else if (c == QLatin1Char('\\') || c == QLatin1Char('_') || c == QLatin1Char('*')) {
            ++i;
        } else if (c == QLatin1Char('[')) {
            ++bracket;
        } else if (c == QLatin1Char(']')) {
            bracket = std::max(0, bracket - 1);
        } else if (bracket == 0 && QStringLiteral("dmyhsDMYHS").contains(c)) {
            return true;
        } else if (c == QLatin1Char(';')) {
            return false;  // only the first section decides
        }
    }
    return false;
}

// Excel's serial day number of a date, or -1 when Excel cannot show it.
double serialOf(const QDate& d, bool date1904) {
    if (!d.isValid() || d.year() > 9999)
        return -1;
    qint64 s;
    if (date1904) {
        s = d.toJulianDay() - QDate(1904, 1, 1).toJulianDay();
    } else {
        s = d.toJulianDay() - QDate(1899, 12, 30).toJulianDay();
        if (s < 61)
            --s;  // the 1900 system counts a 29 February 1900 that never was
        if (s < 1)
            return -1;
    }
    return s < 0 ? -1 : double(s);
}

// A number in the compact RK form, when it can be held there exactly.
bool toRk(double v, quint32* rk) {
    if (!std::isfinite(v))
        return false;
    if (v == std::floor(v) && v >= -536870912.0 && v <= 536870911.0) {
        *rk = (quint32(qint32(v)) << 2) | 2;
        return true;
    }
    quint64 bits;
    std::memcpy(&bits, &v, sizeof bits);
    if ((bits & 0x3FFFFFFFFull) == 0) {
        *rk = quint32(bits >> 32);
        return true;
    }
    const double h = v * 100.0;
    if (h == std::floor(h) && h >= -536870912.0 && h <= 536870911.0 &&
        double(qint32(h)) / 100.0 == v) {
        *rk = (quint32(qint32(h)) << 2) | 3;
        return true;
    }
    return false;
}

inline char* grow(QByteArray& b, int n) {
    const qsizetype at = b.size();
    b.resize(at + n);
    return b.data() + at;
}

inline char* cell(QByteArray& b, quint16 type, quint16 len, int row, int col, int xf) {
    char* p = grow(b, 4 + len);
    put16(p, type);
    put16(p + 2, len);
    put16(p + 4, quint16(row));
    put16(p + 6, quint16(col));
    put16(p + 8, quint16(xf));
    return p + 10;
}

// Holds an advisory lock on the workbook while it is rewritten, so two
// writers never interleave; a lock held by someone else means "in use".
class FileLock {
  public:
    explicit FileLock(const QString& path) : file_(path) {}
    ~FileLock() {
        if (locked_)
            ::flock(file_.handle(), LOCK_UN);
    }
    bool open() { return file_.open(QIODevice::ReadOnly); }
    bool lock() {
        locked_ = ::flock(file_.handle(), LOCK_EX | LOCK_NB) == 0;
        return locked_;
    }
    QFile& file() { return file_; }

  private:
    QFile file_;
    bool locked_ = false;
};

// A workbook read in and taken apart far enough to append to its first worksheet.
struct Loaded {
    QByteArray file;
    QByteArray stream;
    WorkbookStream wb;
    int sheet = -1;  // index of the first worksheet among the sheets
    int usedRows = 0;
    bool date1904 = false;
};

Status load(const QString& path, Loaded* l) {
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile())
        return Error{msg::notFound(path)};
    FileLock lock(path);
    if (!lock.open())
        return Error{msg::notReadable(path, lock.file().errorString())};
    l->file = lock.file().readAll();
    if (lock.file().error() != QFileDevice::NoError)
        return Error{msg::notReadable(path, lock.file().errorString())};

    Result<QByteArray> stream = CompoundFile::readStream(l->file, "Workbook");
    if (!stream) {
        switch (stream.error().code) {
            case CompoundFile::kNoStream:
                if (CompoundFile::readStream(l->file, "Book"))
                    return Error{msg::notExcel8(path)};
                return Error{msg::notWorkbook(path)};
            case CompoundFile::kDamaged:
                return Error{msg::damaged(path, stream.errorText())};
            default:
                return Error{msg::notWorkbook(path)};
        }
    }
    l->stream = std::move(*stream);
    if (l->stream.size() < 8 || get16(l->stream.constData()) != kBof)
        return Error{msg::notWorkbook(path)};
    if (get16(l->stream.constData() + 4) != kBiff8 ||
        get16(l->stream.constData() + 6) != kBofGlobals)
        return Error{msg::notExcel8(path)};
    if (Status parsed = l->wb.parse(l->stream); !parsed)
        return Error{msg::damaged(path, parsed.errorText())};

    for (const Record& r : l->wb.globals().records) {
        if (r.type == kFilePass)
            return Error{msg::password(path)};
        if (r.type == kDateMode && r.data.size() >= 2)
            l->date1904 = get16(r.data.constData()) == 1;
    }
    for (int i = 0; i < l->wb.sheetCount(); ++i) {
        const Record& b = l->wb.globals().records[size_t(l->wb.boundSheetRecord(i))];
        const auto& sheetRecords = l->wb.sheet(i).records;
        if (uchar(b.data[5]) == 0 && sheetRecords[0].data.size() >= 4 &&
            get16(sheetRecords[0].data.constData() + 2) == kBofWorksheet) {
            l->sheet = i;
            break;
        }
    }
    if (l->sheet < 0)
        return Error{msg::noSheet(path)};

    int depth = 0;
    for (const Record& r : l->wb.sheet(l->sheet).records) {
        if (r.type == kBof)
            ++depth;
        else if (r.type == kEof)
            --depth;
        else if (depth == 1 && isCellRecord(r.type) && r.data.size() >= 2)
            l->usedRows = std::max(l->usedRows, get16(r.data.constData()) + 1);
    }
    return {};
}

// Where each kind of value goes: the cell formats of the columns, and a
// date format for dates.
class FormatChooser {
  public:
    FormatChooser(WorkbookStream::Substream& globals, const std::vector<Record>& sheet)
        : globals_(globals) {
        for (size_t i = 0; i < globals.records.size(); ++i) {
            const Record& r = globals.records[i];
            if (r.type == kFormat && r.data.size() >= 5) {
                const int cch = get16(r.data.constData() + 2);
                const bool wide = uchar(r.data[4]) & 1;
                QString f;
                for (int k = 0; k < cch && 5 + (k + 1) * (wide ? 2 : 1) <= r.data.size(); ++k)
                    f += wide ? QChar(get16(r.data.constData() + 5 + 2 * k))
                              : QChar(uchar(r.data[5 + k]));
                formats_.insert(get16(r.data.constData()), f);
            } else if (r.type == kXf && r.data.size() >= 6) {
                const bool style = get16(r.data.constData() + 4) & 0x0004;
                xfs_.push_back({get16(r.data.constData() + 2), style});
                lastXf_ = int(i);
            }
        }
        // The default cell format is XF 15; should that be a style, the
        // first cell format there is.
        defaultXf_ = xfs_.size() > 15 ? 15 : 0;
        for (int i = defaultXf_; i < int(xfs_.size()) && xfs_[size_t(defaultXf_)].style; ++i) {
            if (!xfs_[size_t(i)].style)
                defaultXf_ = i;
        }
        columnXf_.assign(kMaxColumns, -1);
        for (const Record& r : sheet) {
            if (r.type == kColInfo && r.data.size() >= 8) {
                const int first = get16(r.data.constData());
                const int last = std::min<int>(get16(r.data.constData() + 2), kMaxColumns - 1);
                const int xf = get16(r.data.constData() + 6);
                for (int c = first; c <= last; ++c) columnXf_[size_t(c)] = xf;
            }
        }
    }

    int plain(int col) const {
        const int xf = columnXf_[size_t(col)];
        return usable(xf) && !isDate(xf) ? xf : defaultXf_;
    }

    int date(int col) {
        const int xf = columnXf_[size_t(col)];
        if (usable(xf) && isDate(xf))
            return xf;
        if (dateXf_ < 0)
            dateXf_ = findOrAddDateXf();
        return dateXf_;
    }

  private:
    struct Xf {
        quint16 format;
        bool style;
    };

    bool usable(int xf) const {
        return xf >= 0 && xf < int(xfs_.size()) && !xfs_[size_t(xf)].style;
    }
    bool isDate(int xf) const { return isDateFormat(xfs_[size_t(xf)].format, formats_); }

    int findOrAddDateXf() {
        for (size_t i = 0; i < xfs_.size(); ++i) {
            if (!xfs_[i].style && isDate(int(i)))
                return int(i);
        }
        // None yet: a copy of the default cell format with the built-in short date.
        QByteArray xf;
        if (lastXf_ >= 0 && defaultXf_ < int(xfs_.size())) {
            int seen = -1;
            for (const Record& r : globals_.records) {
                if (r.type == kXf && ++seen == defaultXf_) {
                    xf = QByteArray(r.data.constData(), r.data.size());
                    break;
                }
            }
        }
        if (xf.size() < 20)
            xf = QByteArray::fromHex("000000000100200000000000000000000000C020");
        put16(xf.data() + 2, 14);
        // A cell format names a style format as its parent. A style format
        // copied here has no parent (0xFFF) and becomes a cell format whose
        // parent is that style itself.
        quint16 flags = get16(xf.constData() + 4);
        if (flags & 0x0004) {
            flags = quint16((flags & 0x000B) | (quint16(std::min(defaultXf_, 0xFFE)) << 4));
            xf[9] = char(0xFC);  // every attribute its own, as the style had them
        }
        put16(xf.data() + 4, flags);
        xf[9] = char(uchar(xf[9]) | 0x04);
        const int index = int(xfs_.size());
        xfs_.push_back({14, false});
        const auto at = globals_.records.begin() + (lastXf_ >= 0 ? lastXf_ + 1 : 1);
        globals_.records.insert(at, Record{kXf, xf});
        lastXf_ = lastXf_ >= 0 ? lastXf_ + 1 : 1;
        return index;
    }

    WorkbookStream::Substream& globals_;
    QHash<int, QString> formats_;
    std::vector<Xf> xfs_;
    std::vector<int> columnXf_;
    int lastXf_ = -1;
    int defaultXf_ = 15;
    int dateXf_ = -1;
};

// Writes the appended rows as one run of ROW and cell records, 32 rows to a
// block with the ROW records of a block ahead of its cells.
class CellWriter {
  public:
    CellWriter(FormatChooser& formats, SharedStringTable& sst, bool date1904)
        : formats_(formats), sst_(sst), date1904_(date1904) {}

    // rowFormats: ROW records (payloads) the sheet held for rows without
    // cells at or below startRow; the new rows take over their height and format.
    void write(const std::vector<std::vector<QVariant>>& rows, int startRow,
               const std::map<int, QByteArray>& rowFormats, QByteArray* out) {
        out->reserve(qsizetype(rows.size()) * 24 * 14);
        QByteArray cells;
        std::vector<std::pair<int, int>> extents;
        for (size_t first = 0; first < rows.size(); first += 32) {
            const size_t last = std::min(rows.size(), first + 32);
            cells.clear();
            extents.clear();
            for (size_t r = first; r < last; ++r) {
                const int row = startRow + int(r);
                int lo = -1, hi = -1;
                const auto& values = rows[r];
                for (size_t c = 0; c < values.size(); ++c) {
                    if (writeCell(cells, row, int(c), values[c])) {
                        if (lo < 0)
                            lo = int(c);
                        hi = int(c);
                    }
                }
                if (lo < 0) {
                    // A row of empty values still takes its place in the sheet.
                    cell(cells, kBlank, 6, row, 0, formats_.plain(0));
                    lo = hi = 0;
                }
                extents.emplace_back(lo, hi + 1);
                colMin_ = std::min(colMin_, lo);
                colMax_ = std::max(colMax_, hi + 1);
            }
            for (size_t r = first; r < last; ++r) {
                const int row = startRow + int(r);
                char* p = grow(*out, 20);
                put16(p, kRow);
                put16(p + 2, 16);
                put16(p + 4, quint16(row));
                const auto format = rowFormats.find(row);
                if (format != rowFormats.end() && format->second.size() >= 16) {
                    std::memcpy(p + 4, format->second.constData(), 16);
                } else {
                    put16(p + 10, 0x00FF);  // default height
                    put16(p + 12, 0);
                    put16(p + 14, 0);
                    put16(p + 16, 0x0100);
                    put16(p + 18, 0x000F);
                }
                put16(p + 6, quint16(extents[r - first].first));
                put16(p + 8, quint16(extents[r - first].second));
            }
            out->append(cells);
        }
    }

    int colMin() const { return colMin_; }
    int colMax() const { return colMax_; }

  private:
    bool writeNumber(QByteArray& b, int row, int col, double v, int xf) {
        quint32 rk;
        if (toRk(v, &rk)) {
            put32(cell(b, kRk, 10, row, col, xf), rk);
        } else {
            // The IEEE bits, least significant byte first, whatever the host's order.
            quint64 bits;
            std::memcpy(&bits, &v, sizeof bits);
            char* p = cell(b, kNumber, 14, row, col, xf);
            put32(p, quint32(bits & 0xFFFFFFFFu));
            put32(p + 4, quint32(bits >> 32));
        }
        return true;
    }

    bool writeText(QByteArray& b, int row, int col, const QString& s) {
        if (s.isEmpty())
            return false;
        const quint32 index = sst_.add(s.size() > kMaxCellText ? s.left(kMaxCellText) : s);
        put32(cell(b, kLabelSst, 10, row, col, formats_.plain(col)), index);
        return true;
    }

    bool writeDate(QByteArray& b, int row, int col, const QDate& d, double fraction) {
        const double serial = serialOf(d, date1904_);
        if (serial < 0)  // outside Excel's calendar: kept as text
            return writeText(b, row, col, d.toString(QStringLiteral("yyyy.MM.dd.")));
        return writeNumber(b, row, col, serial + fraction, formats_.date(col));
    }

    bool writeCell(QByteArray& b, int row, int col, const QVariant& v) {
        if (!v.isValid() || v.isNull())
            return false;
        switch (v.typeId()) {
            case QMetaType::Bool: {
                char* p = cell(b, kBoolErr, 8, row, col, formats_.plain(col));
                p[0] = v.toBool() ? 1 : 0;
                p[1] = 0;
                return true;
            }
            case QMetaType::Double:
            case QMetaType::Float:
            case QMetaType::Int:
            case QMetaType::UInt:
            case QMetaType::LongLong:
            case QMetaType::ULongLong:
            case QMetaType::Short:
            case QMetaType::UShort:
            case QMetaType::Long:
            case QMetaType::ULong: {
                const double d = v.toDouble();
                if (!std::isfinite(d)) {
                    char* p = cell(b, kBoolErr, 8, row, col, formats_.plain(col));
                    p[0] = 0x24;  // #NUM!
                    p[1] = 1;
                    return true;
                }
                return writeNumber(b, row, col, d, formats_.plain(col));
            }
            case QMetaType::QDate:
                return writeDate(b, row, col, v.toDate(), 0);
            case QMetaType::QDateTime: {
                const QDateTime dt = v.toDateTime();
                const double fraction = dt.time().msecsSinceStartOfDay() / 86400000.0;
                return writeDate(b, row, col, dt.date(), fraction);
            }
            case QMetaType::QString:
                return writeText(b, row, col, v.toString());
            default:
                return v.canConvert<QString>() && writeText(b, row, col, v.toString());
        }
    }

    FormatChooser& formats_;
    SharedStringTable& sst_;
    bool date1904_;
    int colMin_ = kMaxColumns;
    int colMax_ = 0;
};

// Takes the shared string table out of the globals, leaving the placeholders
// that WorkbookStream::serialize fills in.
Status takeSst(WorkbookStream::Substream& globals, SharedStringTable* sst) {
    auto& recs = globals.records;
    std::vector<Record> kept;
    kept.reserve(recs.size() + 2);
    bool found = false;
    for (size_t i = 0; i < recs.size(); ++i) {
        if (recs[i].type == kSst && !found) {
            found = true;
            std::vector<QByteArray> parts{recs[i].data};
            while (i + 1 < recs.size() && recs[i + 1].type == kContinue)
                parts.push_back(recs[++i].data);
            if (Status parsed = sst->parse(parts); !parsed)
                return parsed;
            kept.push_back({kSst, {}});
            kept.push_back({kExtSst, {}});
        } else if (recs[i].type == kExtSst) {
            continue;
        } else {
            if (recs[i].type == kEof && !found && i + 1 == recs.size()) {
                found = true;
                kept.push_back({kSst, {}});
                kept.push_back({kExtSst, {}});
            }
            kept.push_back(recs[i]);
        }
    }
    recs = std::move(kept);
    return {};
}

// The LibreOffice lock file of a workbook: ".~lock.<name>#" beside it.
bool officeLockFilePresent(const QFileInfo& info) {
    return QFileInfo::exists(
        info.dir().filePath(QStringLiteral(".~lock.") + info.fileName() + QLatin1Char('#')));
}

// Everything that must hold before a workbook is appended to: the file is
// there and writable, nobody has it open, and it reads as an Excel 8
// workbook. Holds lock from then on.
Status openForAppend(const QString& path, FileLock& lock, Loaded* l) {
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile())
        return Error{msg::notFound(path)};
    if (!(info.permissions() & QFileDevice::WriteOwner) || !info.dir().exists())
        return Error{msg::readOnly(path)};
    if (officeLockFilePresent(info))
        return Error{msg::locked(path)};
    if (!lock.open())
        return Error{msg::notReadable(path, lock.file().errorString())};
    if (!lock.lock())
        return Error{msg::locked(path)};
    return load(path, l);
}

}  // namespace

Status Workbook::appendRows(const QString& path, const std::vector<std::vector<QVariant>>& rows) {
    FileLock lock(path);
    Loaded l;
    if (Status opened = openForAppend(path, lock, &l); !opened)
        return opened;
    for (size_t r = 0; r < rows.size(); ++r) {
        if (rows[r].size() > size_t(kMaxColumns))
            return Error{msg::tooManyColumns(qsizetype(r) + 1)};
    }
    if (qsizetype(l.usedRows) + qsizetype(rows.size()) > kMaxRows)
        return Error{msg::tooManyRows(l.usedRows, qsizetype(rows.size()))};
    if (rows.empty())
        return {};

    SharedStringTable sst;
    auto& globals = l.wb.globals();
    if (Status taken = takeSst(globals, &sst); !taken)
        return Error{msg::damaged(path, taken.errorText())};

    auto& sheet = l.wb.sheet(l.sheet).records;
    const int startRow = l.usedRows;
    const int endRow = startRow + int(rows.size());
    // Rows below the data that a customised template formatted (height,
    // row format) but left without cells: the new rows take theirs over,
    // the ones further down are written again after the new rows.
    std::map<int, QByteArray> rowFormats;
    {
        int depth = 0;
        for (const Record& r : sheet) {
            if (r.type == kBof)
                ++depth;
            else if (r.type == kEof)
                --depth;
            else if (depth == 1 && r.type == kRow && r.data.size() >= 16 &&
                     get16(r.data.constData()) >= startRow)
                rowFormats[get16(r.data.constData())] = QByteArray(r.data.constData(), 16);
        }
    }
    FormatChooser formats(globals, sheet);
    CellWriter writer(formats, sst, l.date1904);
    QByteArray block;
    writer.write(rows, startRow, rowFormats, &block);
    for (auto it = rowFormats.lower_bound(endRow); it != rowFormats.end(); ++it)
        appendRecord(block, kRow, it->second);

    // The sheet again: INDEX and DBCELL left out (their positions would no
    // longer hold), DIMENSIONS widened, the new rows after the last cell.
    std::vector<Record> out;
    out.reserve(sheet.size() + 2);
    int depth = 0;
    int insertAt = -1;
    int dimensionsAt = -1;
    int window2At = -1;
    bool lastWasCellTable = false;
    for (const Record& r : sheet) {
        if (r.type == kBof)
            ++depth;
        else if (r.type == kEof)
            --depth;
        if (depth != 1 || r.type == kBof) {
            out.push_back(r);
            lastWasCellTable = false;
            continue;
        }
        if (r.type == kIndex || r.type == kDbCell) {
            continue;
        }
        if (r.type == kRow && r.data.size() >= 2 && get16(r.data.constData()) >= startRow)
            continue;  // written again with the new rows, in row order
        if (isCellTableRecord(r.type) || (r.type == kContinue && lastWasCellTable)) {
            out.push_back(r);
            insertAt = int(out.size());
            lastWasCellTable = true;
            continue;
        }
        lastWasCellTable = false;
        if (r.type == kDimensions && r.data.size() >= 14 && dimensionsAt < 0) {
            QByteArray d(r.data.constData(), r.data.size());
            quint32 rwMic = get32(d.constData());
            quint32 rwMac = get32(d.constData() + 4);
            quint16 colMic = get16(d.constData() + 8);
            quint16 colMac = get16(d.constData() + 10);
            if (rwMac <= rwMic || colMac <= colMic) {
                rwMic = quint32(startRow);
                colMic = quint16(writer.colMin());
                colMac = quint16(writer.colMax());
            } else {
                rwMic = std::min<quint32>(rwMic, quint32(startRow));
                colMic = quint16(std::min(int(colMic), writer.colMin()));
                colMac = quint16(std::max(int(colMac), writer.colMax()));
            }
            rwMac = std::max<quint32>(rwMac, quint32(endRow));
            put32(d.data(), rwMic);
            put32(d.data() + 4, rwMac);
            put16(d.data() + 8, colMic);
            put16(d.data() + 10, colMac);
            out.push_back({kDimensions, d});
            dimensionsAt = int(out.size());
            continue;
        }
        if ((r.type == kWindow2 || r.type == kEof) && window2At < 0)
            window2At = int(out.size());
        out.push_back(r);
    }
    if (insertAt < 0)
        insertAt = dimensionsAt >= 0 ? dimensionsAt : window2At;
    if (insertAt < 0)
        return Error{msg::damaged(path, QStringLiteral("a munkalap vége hiányzik"))};
    std::vector<Record> inserted;
    if (dimensionsAt < 0) {
        QByteArray d;
        append32(d, quint32(startRow));
        append32(d, quint32(endRow));
        append16(d, quint16(writer.colMin()));
        append16(d, quint16(writer.colMax()));
        append16(d, 0);
        inserted.push_back({kDimensions, d});
    }
    inserted.push_back({kVerbatim, block});
    out.insert(out.begin() + insertAt, inserted.begin(), inserted.end());
    sheet = std::move(out);

    QByteArray stream = l.wb.serialize(sst);
    if (stream.size() < kMinStreamSize)
        stream.append(QByteArray(kMinStreamSize - stream.size(), '\0'));
    block.clear();
    Result<QByteArray> rewritten = CompoundFile::rewrite(l.file, "Workbook", stream);
    if (!rewritten)
        return Error{msg::saveFailed(path, rewritten.errorText())};
    const QByteArray& file = *rewritten;

    QSaveFile save(path);
    if (!save.open(QIODevice::WriteOnly))
        return Error{msg::saveFailed(path, save.errorString())};
    if (save.write(file) != file.size()) {
        const QString why = save.errorString();
        save.cancelWriting();
        return Error{msg::saveFailed(path, why)};
    }
    if (!save.commit())
        return Error{msg::saveFailed(path, save.errorString())};
    return {};
}

Status Workbook::canAppend(const QString& path, qsizetype rowsToAdd) {
    FileLock lock(path);
    Loaded l;
    if (Status opened = openForAppend(path, lock, &l); !opened)
        return opened;
    if (qsizetype(l.usedRows) + rowsToAdd > kMaxRows)
        return Error{msg::tooManyRows(l.usedRows, rowsToAdd)};
    return {};
}

bool Workbook::inUse(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return false;
    if (officeLockFilePresent(info))
        return true;
    FileLock lock(path);
    // A file that cannot even be opened is not known to be in use; whoever
    // writes it finds out why.
    return lock.open() && !lock.lock();
}

Status Workbook::resetFrom(const QString& templatePath, const QString& path) {
    const QFileInfo info(path);
    if (inUse(path))
        return Error{msg::locked(path)};
    if (info.exists() && (!info.isFile() || !(info.permissions() & QFileDevice::WriteOwner)))
        return Error{msg::readOnly(path)};
    const QFileInfo source(templatePath);
    if (!source.exists() || !source.isFile())
        return Error{msg::notFound(templatePath)};
    QFile in(templatePath);
    if (!in.open(QIODevice::ReadOnly))
        return Error{msg::notReadable(templatePath, in.errorString())};
    const QByteArray bytes = in.readAll();
    if (in.error() != QFileDevice::NoError)
        return Error{msg::notReadable(templatePath, in.errorString())};

    // Held while the copy is put in place, so no append runs in between.
    FileLock lock(path);
    if (info.exists() && lock.open() && !lock.lock())
        return Error{msg::locked(path)};
    QSaveFile save(path);
    if (!save.open(QIODevice::WriteOnly))
        return Error{msg::saveFailed(path, save.errorString())};
    if (save.write(bytes) != bytes.size()) {
        const QString why = save.errorString();
        save.cancelWriting();
        return Error{msg::saveFailed(path, why)};
    }
    if (!save.commit())
        return Error{msg::saveFailed(path, save.errorString())};
    return {};
}

bool Workbook::storable(const QVariant& value) {
    if (!value.isValid() || value.isNull())
        return true;
    switch (value.typeId()) {
        case QMetaType::Bool:
            return true;
        case QMetaType::Double:
        case QMetaType::Float:
            return std::isfinite(value.toDouble());
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Long:
        case QMetaType::ULong:
            return true;
        case QMetaType::QDate:
            return value.toDate().isValid();
        case QMetaType::QDateTime:
            return value.toDateTime().isValid();
        case QMetaType::QString:
            return value.toString().size() <= kMaxCellText;
        default:
            return value.canConvert<QString>() && value.toString().size() <= kMaxCellText;
    }
}

Result<int> Workbook::rowCount(const QString& path) {
    Loaded l;
    if (Status loaded = load(path, &l); !loaded)
        return loaded.error();
    return l.usedRows;
}

}  // namespace vela::xls
