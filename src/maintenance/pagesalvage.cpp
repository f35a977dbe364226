#include "maintenance/pagesalvage.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <limits>

namespace velarep {

namespace {

constexpr qint64 kMin = std::numeric_limits<qint64>::min();
constexpr qint64 kMax = std::numeric_limits<qint64>::max();

quint32 be16(const uchar* p) {
    return (quint32(p[0]) << 8) | p[1];
}
quint32 be32(const uchar* p) {
    return (quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | p[3];
}

// An SQLite varint at p, at most `room` bytes; 0 when it does not fit.
int varint(const uchar* p, int room, qint64* out) {
    quint64 v = 0;
    for (int i = 0; i < 9; ++i) {
        if (i >= room)
            return 0;
        if (i == 8) {
            v = (v << 8) | p[i];
            *out = qint64(v);
            return 9;
        }
        v = (v << 7) | (p[i] & 0x7f);
        if (!(p[i] & 0x80)) {
            *out = qint64(v);
            return i + 1;
        }
    }
    return 0;
}

qint64 serialSize(qint64 type) {
    static const int fixed[] = {0, 1, 2, 3, 4, 6, 8, 8, 0, 0};
    if (type < 10)
        return fixed[type];
    if (type < 12)
        return -1;  // reserved: not a record
    return (type - 12) / 2;
}

// One record (header and body) into values; false when it is not one.
// Values past the record's own fields (columns added later) are null.
bool decodeRecord(const QByteArray& payload, int columns, QVariantList* out, int* fields) {
    const auto* p = reinterpret_cast<const uchar*>(payload.constData());
    const qint64 n = payload.size();
    qint64 headerSize = 0;
    int used = varint(p, int(qMin<qint64>(n, 9)), &headerSize);
    if (used == 0 || headerSize < used || headerSize > n)
        return false;
    std::vector<qint64> types;
    qint64 pos = used;
    qint64 body = 0;
    while (pos < headerSize) {
        qint64 t = 0;
        const int k = varint(p + pos, int(headerSize - pos), &t);
        const qint64 s = k == 0 || t < 0 ? -1 : serialSize(t);
        if (s < 0)
            return false;
        types.push_back(t);
        body += s;
        pos += k;
    }
    if (pos != headerSize || headerSize + body != n || int(types.size()) > columns || types.empty())
        return false;
    out->clear();
    pos = headerSize;
    for (qint64 t : types) {
        const uchar* v = p + pos;
        const qint64 s = serialSize(t);
        if (t == 0) {
            out->append(QVariant());
        } else if (t <= 6) {
            qint64 x = (v[0] & 0x80) ? -1 : 0;
            for (qint64 i = 0; i < s; ++i) x = qint64((quint64(x) << 8) | v[i]);
            out->append(qlonglong(x));
        } else if (t == 7) {
            quint64 bits = 0;
            for (int i = 0; i < 8; ++i) bits = (bits << 8) | v[i];
            double d;
            std::memcpy(&d, &bits, sizeof d);
            out->append(d);
        } else if (t == 8 || t == 9) {
            out->append(qlonglong(t - 8));
        } else if (t % 2 == 0) {
            out->append(QByteArray(reinterpret_cast<const char*>(v), int(s)));
        } else {
            out->append(QString::fromUtf8(reinterpret_cast<const char*>(v), int(s)));
        }
        pos += s;
    }
    *fields = int(types.size());
    while (out->size() < columns) out->append(QVariant());
    return true;
}

}  // namespace

vela::Result<std::unique_ptr<PageSalvage>> PageSalvage::open(const QString& path) {
    std::unique_ptr<PageSalvage> s(new PageSalvage(path));
    // A file too short or with a header no SQLite file has is damaged the way
    // SQLite itself would call it.
    auto damaged = [](const QString& text) {
        return vela::Error{text, SQLITE_CORRUPT, vela::ErrorKind::Damaged};
    };
    if (!s->file_.open(QIODevice::ReadOnly))
        return vela::Error{s->file_.errorString()};
    s->size_ = s->file_.size();
    if (s->size_ < 512)
        return damaged(QStringLiteral("az állomány csonka"));
    s->data_ = s->file_.map(0, s->size_);
    if (!s->data_)
        return vela::Error{s->file_.errorString()};
    quint32 pageSize = be16(s->data_ + 16);
    if (pageSize == 1)
        pageSize = 65536;
    const quint32 reserved = s->data_[20];
    if (pageSize < 512 || (pageSize & (pageSize - 1)) || reserved >= pageSize - 480)
        return damaged(QStringLiteral("az állomány fejléce sérült"));
    if (be32(s->data_ + 56) > 1)
        return vela::Error{QStringLiteral("nem UTF-8 kódolású adatbázis")};
    s->pageSize_ = pageSize;
    s->usable_ = pageSize - reserved;
    s->pageCount_ = quint32(s->size_ / pageSize);
    s->markFreelist();
    return s;
}

const uchar* PageSalvage::page(quint32 n) const {
    if (n == 0 || n > pageCount_)
        return nullptr;
    return data_ + qint64(n - 1) * pageSize_;
}

void PageSalvage::markFreelist() {
    // Free pages are neither rows of a table nor orphans.
    quint32 trunk = be32(data_ + 32);
    for (int guard = 0; trunk != 0 && guard < int(pageCount_); ++guard) {
        const uchar* p = page(trunk);
        if (!p || reached_.contains(trunk))
            return;
        reached_.insert(trunk);
        const quint32 count = be32(p + 4);
        if (count > (usable_ - 8) / 4)
            return;
        for (quint32 i = 0; i < count; ++i) reached_.insert(be32(p + 8 + 4 * i));
        trunk = be32(p);
    }
}

void PageSalvage::walk(TreeState& t, quint32 n, Range range, int depth) {
    const uchar* p = page(n);
    auto lost = [&] {
        ++t.damagedPages;
        t.lost.push_back(range);
    };
    if (!p || depth > 40 || reached_.contains(n))
        return lost();
    const uchar* h = p + headerOffset(n);
    if (h[0] == 0x0D) {
        // Its records are read (and the page judged) when the rows are.
        reached_.insert(n);
        t.leaves.push_back({n, range});
        return;
    }
    if (h[0] != 0x05)
        return lost();
    const quint32 cells = be16(h + 3);
    const quint32 top = headerOffset(n) + 12 + 2 * cells;
    if (top > usable_)
        return lost();
    // Children with the rowid ranges their keys give; checked before any is walked.
    std::vector<std::pair<quint32, Range>> children;
    qint64 lo = range.lo;
    for (quint32 i = 0; i < cells; ++i) {
        const quint32 off = be16(h + 12 + 2 * i);
        if (off < top || off + 5 > usable_)
            return lost();
        const quint32 child = be32(p + off);
        qint64 key = 0;
        if (varint(p + off + 4, int(usable_ - off - 4), &key) == 0 || key < lo || key > range.hi ||
            !page(child))
            return lost();
        children.push_back({child, Range{lo, key}});
        lo = key;
    }
    const quint32 right = be32(h + 8);
    if (!page(right))
        return lost();
    children.push_back({right, Range{lo, range.hi}});
    reached_.insert(n);
    for (const auto& [child, r] : children) walk(t, child, r, depth + 1);
}

bool PageSalvage::readPayload(const uchar* cell, int room, qint64 size, QByteArray* out) const {
    const qint64 u = usable_;
    const qint64 maxLocal = u - 35;
    qint64 local = size;
    if (size > maxLocal) {
        const qint64 minLocal = ((u - 12) * 32 / 255) - 23;
        const qint64 k = minLocal + ((size - minLocal) % (u - 4));
        local = k <= maxLocal ? k : minLocal;
    }
    if (local > room || (local < size && local + 4 > room))
        return false;
    out->resize(size);
    char* dst = out->data();
    std::memcpy(dst, cell, size_t(local));
    qint64 done = local;
    quint32 next = local < size ? be32(cell + local) : 0;
    int guard = 0;
    while (done < size) {
        const uchar* p = page(next);
        if (!p || ++guard > int(pageCount_))
            return false;
        const qint64 chunk = qMin<qint64>(size - done, u - 4);
        std::memcpy(dst + done, p + 4, size_t(chunk));
        done += chunk;
        next = be32(p);
    }
    return true;
}

bool PageSalvage::readLeaf(quint32 n, int columns, int rowidColumn, std::vector<Row>* out,
                           int* maxFields) const {
    const uchar* p = page(n);
    if (!p)
        return false;
    const uchar* h = p + headerOffset(n);
    if (h[0] != 0x0D)
        return false;
    const quint32 cells = be16(h + 3);
    const quint32 top = headerOffset(n) + 8 + 2 * cells;
    if (top > usable_)
        return false;
    std::vector<Row> rows;
    qint64 last = kMin;
    for (quint32 i = 0; i < cells; ++i) {
        const quint32 off = be16(h + 8 + 2 * i);
        if (off < top || off >= usable_)
            return false;
        const int room = int(usable_ - off);
        qint64 size = 0, rowid = 0;
        const int a = varint(p + off, room, &size);
        const int b = a ? varint(p + off + a, room - a, &rowid) : 0;
        if (!b || size < 0 || size > (qint64(1) << 30) || rowid <= last)
            return false;
        last = rowid;
        QByteArray payload;
        if (!readPayload(p + off + a + b, room - a - b, size, &payload))
            return false;
        Row row{rowid, {}};
        int fields = 0;
        if (!decodeRecord(payload, columns, &row.values, &fields))
            return false;
        if (maxFields)
            *maxFields = qMax(*maxFields, fields);
        if (rowidColumn >= 0 && rowidColumn < row.values.size() && row.values[rowidColumn].isNull())
            row.values[rowidColumn] = qlonglong(rowid);
        if (out)
            rows.push_back(std::move(row));
    }
    if (out)
        out->insert(out->end(), std::make_move_iterator(rows.begin()),
                    std::make_move_iterator(rows.end()));
    return true;
}

void PageSalvage::survey(const std::vector<Tree>& trees) {
    {
        // The table list's own pages are nobody's rows.
        TreeState schema;
        schema.tree.columns = 5;
        walk(schema, 1, Range{kMin, kMax}, 0);
    }
    for (const Tree& tree : trees) {
        TreeState t;
        t.tree = tree;
        walk(t, tree.root, Range{kMin, kMax}, 0);
        trees_.insert(tree.name, std::move(t));
    }
    bool anyLost = false;
    for (const TreeState& t : std::as_const(trees_)) anyLost = anyLost || !t.lost.empty();
    if (!anyLost)
        return;
    // Leaf pages no tree reaches: each goes to the one table whose lost
    // range holds all its rows and whose columns its records fit.
    for (quint32 n = 1; n <= pageCount_; ++n) {
        if (reached_.contains(n) || page(n)[headerOffset(n)] != 0x0D)
            continue;
        std::vector<Row> rows;
        int fields = 0;
        if (!readLeaf(n, 2000, -1, &rows, &fields) || rows.empty())
            continue;
        TreeState* owner = nullptr;
        int owners = 0;
        for (TreeState& t : trees_) {
            if (fields > t.tree.columns)
                continue;
            for (const Range& r : t.lost) {
                if (rows.front().rowid > r.lo && rows.back().rowid <= r.hi) {
                    owner = &t;
                    ++owners;
                    break;
                }
            }
        }
        if (owners == 1)
            owner->orphans.push_back(n);
    }
}

PageSalvage::Salvaged PageSalvage::read(const QString& table,
                                        const std::function<void(const Row&)>& row) const {
    Salvaged result;
    const auto it = trees_.constFind(table);
    if (it == trees_.cend())
        return result;
    const TreeState& t = *it;
    // The rows of cut-off pages are few: merged into the stream by rowid.
    std::vector<Row> orphans;
    for (quint32 n : t.orphans) readLeaf(n, t.tree.columns, t.tree.rowidColumn, &orphans);
    std::stable_sort(orphans.begin(), orphans.end(),
                     [](const Row& a, const Row& b) { return a.rowid < b.rowid; });
    std::vector<Range> lostRanges = t.lost;
    int damagedPages = t.damagedPages;
    std::vector<qint64> inLost(t.lost.size() + t.leaves.size(), 0);
    qint64 last = kMin;
    bool any = false;
    auto hand = [&](const Row& r) {
        if (any && r.rowid <= last)
            return;
        any = true;
        last = r.rowid;
        for (size_t i = 0; i < lostRanges.size(); ++i)
            inLost[i] += r.rowid > lostRanges[i].lo && r.rowid <= lostRanges[i].hi;
        ++result.rowsRead;
        row(r);
    };
    size_t next = 0;
    std::vector<Row> rows;
    for (const auto& [n, range] : t.leaves) {
        rows.clear();
        if (!readLeaf(n, t.tree.columns, t.tree.rowidColumn, &rows)) {
            ++damagedPages;
            lostRanges.push_back(range);
            continue;
        }
        for (const Row& r : rows) {
            while (next < orphans.size() && orphans[next].rowid < r.rowid) hand(orphans[next++]);
            hand(r);
        }
    }
    while (next < orphans.size()) hand(orphans[next++]);

    result.damagedPages = damagedPages;
    for (size_t i = 0; i < lostRanges.size(); ++i) {
        // Rowids SQLite hands out start at 1; past the last key nothing
        // tells how many rows there were.
        const Range& r = lostRanges[i];
        if (r.hi == kMax) {
            result.unreadable = -1;
            break;
        }
        const qint64 lo = qMax<qint64>(r.lo, 0);
        result.unreadable += qMax<qint64>(0, (r.hi - lo) - inLost[i]);
    }
    return result;
}

}  // namespace velarep
