#include "xls/compoundfile.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-input.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-output.h>
#include <gsf/gsf-utils.h>

#include <mutex>

namespace vela::xls {

namespace {

// The class id Excel gives the root storage of a workbook.
const guint8 kWorkbookClassId[16] = {0x20, 0x08, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                     0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

void initGsf() {
    static std::once_flag once;
    std::call_once(once, [] { gsf_init(); });
}

// Owns one GObject reference.
template <typename T>
struct Ref {
    T* p = nullptr;
    explicit Ref(T* v = nullptr) : p(v) {}
    ~Ref() {
        if (p)
            g_object_unref(p);
    }
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
};

QString takeError(GError* err) {
    if (!err)
        return QStringLiteral("ismeretlen hiba");
    QString s = QString::fromUtf8(err->message);
    g_error_free(err);
    return s;
}

bool readAll(GsfInput* in, QByteArray* out) {
    const gsf_off_t size = gsf_input_size(in);
    if (size < 0 || size > 0x7FFFFFFF)
        return false;
    out->resize(qsizetype(size));
    gsf_off_t done = 0;
    while (done < size) {
        const size_t chunk = size_t(std::min<gsf_off_t>(size - done, 1 << 20));
        if (!gsf_input_read(in, chunk, reinterpret_cast<guint8*>(out->data() + done)))
            return false;
        done += gsf_off_t(chunk);
    }
    return true;
}

bool writeAll(GsfOutput* out, const QByteArray& data) {
    return data.isEmpty() || gsf_output_write(out, size_t(data.size()),
                                              reinterpret_cast<const guint8*>(data.constData()));
}

Result<GsfInfile*> openInfile(const QByteArray& file) {
    initGsf();
    GsfInput* input = gsf_input_memory_new(reinterpret_cast<const guint8*>(file.constData()),
                                           gsf_off_t(file.size()), FALSE);
    GError* err = nullptr;
    GsfInfile* infile = gsf_infile_msole_new(input, &err);
    g_object_unref(input);  // the infile keeps its own reference
    if (!infile)
        return Error{takeError(err), CompoundFile::kNotCompound, ErrorKind::Damaged};
    return infile;
}

int findChild(GsfInfile* dir, const char* name) {
    const int n = gsf_infile_num_children(dir);
    for (int i = 0; i < n; ++i) {
        const char* child = gsf_infile_name_by_index(dir, i);
        if (child && g_ascii_strcasecmp(child, name) == 0)
            return i;
    }
    return -1;
}

QString unwritable() {
    return QStringLiteral("a tároló nem írható");
}

QString unreadable(const char* name) {
    return QStringLiteral("a(z) %1 adatfolyam nem olvasható").arg(QString::fromUtf8(name));
}

Status copyTree(GsfInfile* in, GsfOutfile* out, const char* replaceName,
                const QByteArray* replacement) {
    const int n = gsf_infile_num_children(in);
    for (int i = 0; i < n; ++i) {
        const char* name = gsf_infile_name_by_index(in, i);
        Ref<GsfInput> child(gsf_infile_child_by_index(in, i));
        if (!child.p || !name)
            return Error{QStringLiteral("olvashatatlan tároló-bejegyzés")};
        const bool isDir =
            GSF_IS_INFILE(child.p) && gsf_infile_num_children(GSF_INFILE(child.p)) >= 0;
        Ref<GsfOutput> target(gsf_outfile_new_child(out, name, isDir));
        if (!target.p)
            return Error{unwritable()};
        Status copied;
        if (isDir) {
            guint8 clsid[16];
            if (GSF_IS_INFILE_MSOLE(child.p) &&
                gsf_infile_msole_get_class_id(GSF_INFILE_MSOLE(child.p), clsid))
                gsf_outfile_msole_set_class_id(GSF_OUTFILE_MSOLE(target.p), clsid);
            copied = copyTree(GSF_INFILE(child.p), GSF_OUTFILE(target.p), nullptr, nullptr);
        } else if (replaceName && g_ascii_strcasecmp(name, replaceName) == 0) {
            if (!writeAll(target.p, *replacement))
                copied = Error{unwritable()};
        } else {
            QByteArray data;
            if (!readAll(child.p, &data) || !writeAll(target.p, data))
                copied = Error{unreadable(name)};
        }
        if (!gsf_output_close(target.p) && copied)
            copied = Error{unwritable()};
        if (!copied)
            return copied;
    }
    return {};
}

Result<QByteArray> finish(GsfOutfile* outfile, GsfOutput* sink) {
    const bool closed = gsf_output_close(GSF_OUTPUT(outfile));
    if (!closed || (!gsf_output_is_closed(sink) && !gsf_output_close(sink)))
        return Error{QStringLiteral("a tároló nem zárható le")};
    const gsf_off_t size = gsf_output_size(sink);
    const guint8* bytes = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(sink));
    return QByteArray(reinterpret_cast<const char*>(bytes), qsizetype(size));
}

}  // namespace

Result<QByteArray> CompoundFile::readStream(const QByteArray& file, const char* name) {
    Result<GsfInfile*> opened = openInfile(file);
    if (!opened)
        return opened.error();
    Ref<GsfInfile> infile(*opened);
    const Error none{QStringLiteral("nincs %1 adatfolyam").arg(QString::fromUtf8(name)), kNoStream};
    const int index = findChild(infile.p, name);
    if (index < 0)
        return none;
    Ref<GsfInput> child(gsf_infile_child_by_index(infile.p, index));
    if (!child.p || (GSF_IS_INFILE(child.p) && gsf_infile_num_children(GSF_INFILE(child.p)) >= 0))
        return none;
    QByteArray stream;
    if (!readAll(child.p, &stream))
        return Error{unreadable(name), kDamaged, ErrorKind::Damaged};
    return stream;
}

Result<QByteArray> CompoundFile::rewrite(const QByteArray& file, const char* name,
                                         const QByteArray& replacement) {
    Result<GsfInfile*> opened = openInfile(file);
    if (!opened)
        return opened.error();
    Ref<GsfInfile> infile(*opened);
    Ref<GsfOutput> sink(gsf_output_memory_new());
    Ref<GsfOutfile> outfile(gsf_outfile_msole_new(sink.p));
    guint8 clsid[16];
    if (gsf_infile_msole_get_class_id(GSF_INFILE_MSOLE(infile.p), clsid))
        gsf_outfile_msole_set_class_id(GSF_OUTFILE_MSOLE(outfile.p), clsid);
    if (Status copied = copyTree(infile.p, outfile.p, name, &replacement); !copied)
        return copied.error();
    return finish(outfile.p, sink.p);
}

Result<QByteArray> CompoundFile::create(const char* name, const QByteArray& stream) {
    initGsf();
    Ref<GsfOutput> sink(gsf_output_memory_new());
    Ref<GsfOutfile> outfile(gsf_outfile_msole_new(sink.p));
    gsf_outfile_msole_set_class_id(GSF_OUTFILE_MSOLE(outfile.p), kWorkbookClassId);
    Ref<GsfOutput> child(gsf_outfile_new_child(outfile.p, name, FALSE));
    if (!child.p || !writeAll(child.p, stream) || !gsf_output_close(child.p))
        return Error{unwritable()};
    return finish(outfile.p, sink.p);
}

}  // namespace vela::xls
