#include "import/jetfile.h"

#include <mdbtools.h>

#include <QFile>
#include <QFileInfo>
#include <cstring>

#include "base/filekind.h"
#include "import/jetdate.h"
#include "import/jetheader.h"

namespace vela {

namespace {

MdbHandle* handle(void* p) {
    return static_cast<MdbHandle*>(p);
}

QString damaged(const QString& detail) {
    return QStringLiteral("sérült állomány: %1").arg(detail);
}

qint64 int64At(const unsigned char* p) {
    quint64 v = 0;
    for (int i = 7; i >= 0; --i) v = (v << 8) | p[i];
    return qint64(v);
}

}  // namespace

JetFile::~JetFile() {
    if (mdb_)
        mdb_close(handle(mdb_));
}

Result<std::unique_ptr<JetFile>> JetFile::open(const QString& path) {
    auto fail = [](const QString& text) { return Error{text}; };
    if (const QString special = notRegularFileText(path); !special.isEmpty())
        return fail(special);
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return fail(f.errorString());
    const JetHeader h = JetHeader::read(f.read(JetHeader::kBytes));
    const qint64 size = f.size();
    f.close();
    if (!h.isJet)
        return fail(damaged(QStringLiteral("nem Access/Jet adatbázis")));
    if (size < 3 * h.pageSize)
        return fail(damaged(QStringLiteral("túl rövid")));

    std::unique_ptr<JetFile> jf(new JetFile);
    jf->path_ = path;
    jf->pages_ = size / h.pageSize;
    MdbHandle* mdb = mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS);
    if (!mdb)
        return fail(damaged(QStringLiteral("a fejléc nem olvasható")));
    jf->mdb_ = mdb;
    if (mdb->fmt->pg_size != h.pageSize)
        return fail(damaged(QStringLiteral("ismeretlen lapméret")));
    // libmdb decodes Access 97 texts as Windows-1252 unless told otherwise;
    // the file's own sort order says which code page its texts are in. This
    // helper process is the only user of the setting, so setting it here
    // cannot touch anything else.
    const int codePage = h.version == 0 ? JetHeader::jet3CodePage(mdb->f->lang_id) : 1252;
    qputenv("MDBICONV", "UTF-8");
    qputenv("MDB_JET3_CHARSET", QByteArray("CP") + QByteArray::number(codePage));
    mdb_iconv_close(mdb);
    mdb_iconv_init(mdb);
    if (!mdb_read_catalog(mdb, MDB_ANY))
        return fail(damaged(QStringLiteral("a katalógus nem olvasható")));
    return jf;
}

int JetFile::jetVersion() const {
    return int(handle(mdb_)->f->jet_version);
}

QStringList JetFile::tables() const {
    QStringList out;
    MdbHandle* mdb = handle(mdb_);
    for (unsigned int i = 0; i < mdb->num_catalog; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        if (entry->object_type != MDB_TABLE || mdb_is_system_table(entry))
            continue;
        out << QString::fromUtf8(entry->object_name);
    }
    return out;
}

QString JetFile::typeName(int jetType) {
    switch (jetType) {
        case MDB_BOOL:
            return QStringLiteral("Boolean");
        case MDB_BYTE:
            return QStringLiteral("Byte");
        case MDB_INT:
            return QStringLiteral("Integer");
        case MDB_LONGINT:
            return QStringLiteral("Long Integer");
        case MDB_MONEY:
            return QStringLiteral("Currency");
        case MDB_FLOAT:
            return QStringLiteral("Single");
        case MDB_DOUBLE:
            return QStringLiteral("Double");
        case MDB_DATETIME:
            return QStringLiteral("DateTime");
        case MDB_BINARY:
            return QStringLiteral("Binary");
        case MDB_TEXT:
            return QStringLiteral("Text");
        case MDB_OLE:
            return QStringLiteral("OLE");
        case MDB_MEMO:
            return QStringLiteral("Memo");
        case MDB_REPID:
            return QStringLiteral("Replication ID");
        case MDB_NUMERIC:
            return QStringLiteral("Numeric");
        case MDB_COMPLEX:
            return QStringLiteral("Complex");
        default:
            return QStringLiteral("Unknown");
    }
}

Status JetFile::read(const QString& table, const QStringList& wanted, qint64 limit,
                     const std::function<void(const std::vector<Column>&)>& onColumns,
                     const std::function<void(const QVariantList&)>& onRow) {
    auto fail = [](const QString& text) { return Error{text}; };
    MdbHandle* mdb = handle(mdb_);
    MdbCatalogEntry* found = nullptr;
    for (unsigned int i = 0; i < mdb->num_catalog && !found; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        if (entry->object_type == MDB_TABLE &&
            QString::fromUtf8(entry->object_name).compare(table, Qt::CaseInsensitive) == 0)
            found = entry;
    }
    if (!found)
        return fail(QStringLiteral("nincs „%1” tábla").arg(table));
    if (found->table_pg < 1 || qint64(found->table_pg) >= pages_)
        return fail(damaged(QStringLiteral("a(z) „%1” tábla leírása hiányzik").arg(table)));

    MdbTableDef* t = mdb_read_table(found);
    if (!t)
        return fail(damaged(QStringLiteral("a(z) „%1” tábla nem olvasható").arg(table)));
    struct TableGuard {
        MdbTableDef* t;
        ~TableGuard() { mdb_free_tabledef(t); }
    } guard{t};
    if (t->num_cols == 0 || t->num_cols > 256 || !mdb_read_columns(t) ||
        t->columns->len != t->num_cols)
        return fail(damaged(QStringLiteral("a(z) „%1” tábla oszlopai nem olvashatók").arg(table)));

    std::vector<int> indexes;
    std::vector<Column> columns;
    auto addColumn = [&](unsigned int i) {
        auto* col = static_cast<MdbColumn*>(g_ptr_array_index(t->columns, i));
        indexes.push_back(int(i));
        columns.push_back({QString::fromUtf8(col->name), col->col_type, typeName(col->col_type)});
    };
    if (wanted.isEmpty()) {
        for (unsigned int i = 0; i < t->num_cols; ++i) addColumn(i);
    } else {
        for (const QString& name : wanted) {
            unsigned int i = 0;
            for (; i < t->num_cols; ++i) {
                auto* col = static_cast<MdbColumn*>(g_ptr_array_index(t->columns, i));
                if (QString::fromUtf8(col->name).compare(name, Qt::CaseInsensitive) == 0)
                    break;
            }
            if (i == t->num_cols)
                return fail(
                    QStringLiteral("a(z) „%1” táblában nincs „%2” oszlop").arg(table, name));
            addColumn(i);
        }
    }
    onColumns(columns);

    const qint64 pageSize = mdb->fmt->pg_size;
    mdb_rewind_table(t);
    qint64 count = 0;
    QVariantList row;
    while ((limit <= 0 || count < limit) && mdb_fetch_row(t)) {
        row.clear();
        for (int i : indexes) {
            auto* col = static_cast<MdbColumn*>(g_ptr_array_index(t->columns, i));
            const int start = col->cur_value_start;
            const int len = col->cur_value_len;
            if (col->col_type == MDB_BOOL) {
                row << QVariant(len == 0);  // the null bit is the value
                continue;
            }
            if (len <= 0 || start < 0 || qint64(start) + len > pageSize) {
                row << QVariant();
                continue;
            }
            const unsigned char* p = mdb->pg_buf + start;
            auto fits = [&](int n) { return len >= n; };
            switch (col->col_type) {
                case MDB_BYTE:
                    row << QVariant(int(p[0]));
                    break;
                case MDB_INT:
                    row << (fits(2) ? QVariant(int(qint16(mdb_get_int16(mdb->pg_buf, start))))
                                    : QVariant());
                    break;
                case MDB_LONGINT:
                    row << (fits(4) ? QVariant(int(qint32(mdb_get_int32(mdb->pg_buf, start))))
                                    : QVariant());
                    break;
                case MDB_MONEY:
                    row << (fits(8) ? QVariant(double(int64At(p)) / 10000.0) : QVariant());
                    break;
                case MDB_FLOAT:
                    row << (fits(4) ? QVariant(double(mdb_get_single(mdb->pg_buf, start)))
                                    : QVariant());
                    break;
                case MDB_DOUBLE:
                    row << (fits(8) ? QVariant(mdb_get_double(mdb->pg_buf, start)) : QVariant());
                    break;
                case MDB_DATETIME: {
                    const QDateTime dt =
                        fits(8) ? JetDate::toDateTime(mdb_get_double(mdb->pg_buf, start))
                                : QDateTime();
                    row << (dt.isValid() ? QVariant(dt) : QVariant());
                    break;
                }
                case MDB_BINARY:
                case MDB_OLE:
                    row << QVariant(QByteArray(reinterpret_cast<const char*>(p), len));
                    break;
                case MDB_NUMERIC: {
                    char* s = mdb_numeric_to_string(mdb, start, col->col_scale, col->col_prec);
                    bool ok = false;
                    const double d = s ? QByteArray(s).toDouble(&ok) : 0.0;
                    g_free(s);
                    row << (ok ? QVariant(d) : QVariant());
                    break;
                }
                case MDB_TEXT:
                case MDB_MEMO:
                case MDB_REPID: {
                    char* s = mdb_col_to_string(mdb, mdb->pg_buf, start, col->col_type, len);
                    row << QVariant(QString::fromUtf8(s ? s : ""));
                    g_free(s);
                    break;
                }
                default:
                    row << QVariant();
                    break;
            }
        }
        onRow(row);
        ++count;
    }
    // A file the invoicing program has open, or did not close cleanly, can
    // carry a row count that differs from the rows there are: the rows read
    // are passed on, and the caller is told about the difference.
    storedRowsDiffering_ = limit <= 0 && count != qint64(t->num_rows) ? qint64(t->num_rows) : -1;
    return {};
}

}  // namespace vela
