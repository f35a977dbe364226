// vela-jetreader: reads an Access (Jet) file for JetReader and writes what it
// read to standard output (see jetprotocol.h). It runs as its own process so
// that a damaged file cannot take VelaData down with it.
//
//   vela-jetreader tables FILE
//   vela-jetreader columns FILE TABLE
//   vela-jetreader rows FILE TABLE LIMIT [COLUMN...]

#include <sys/resource.h>

#include <QCoreApplication>
#include <QDataStream>
#include <QFile>
#include <cstdio>

#include "import/jetfile.h"
#include "import/jetprotocol.h"

using namespace vela;

#if defined(__SANITIZE_ADDRESS__)
#define VELA_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELA_ADDRESS_SANITIZER 1
#endif
#endif

#ifdef VELA_ADDRESS_SANITIZER
// AddressSanitizer reserves far more address space than the limit below
// allows; in a sanitizer build its allocator keeps the same bound instead.
// libmdb reads heap memory it never wrote when a catalog is damaged, so the
// sanitizer must not fill new blocks with its marker bytes either: the helper
// then fails on such a file the way the release build does.
extern "C" const char* __asan_default_options() {
    return "allocator_may_return_null=1:max_allocation_size_mb=2048:max_malloc_fill_size=0";
}
#endif

namespace {

void limitMemory() {
#ifndef VELA_ADDRESS_SANITIZER
    // A damaged length field must not make the helper eat the machine.
    const rlim_t limit = rlim_t(2048) * 1024 * 1024;
    rlimit rl{limit, limit};
    setrlimit(RLIMIT_AS, &rl);
#endif
}

}  // namespace

int main(int argc, char** argv) {
    limitMemory();
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const QString command = args.value(0);
    const bool tables = command == QLatin1String("tables") && args.size() == 2;
    const bool columns = command == QLatin1String("columns") && args.size() == 3;
    const bool rows = command == QLatin1String("rows") && args.size() >= 4;
    if (!tables && !columns && !rows) {
        std::fputs(
            "usage: vela-jetreader tables FILE | columns FILE TABLE | rows FILE TABLE LIMIT "
            "[COLUMN...]\n",
            stderr);
        return JetProtocol::kExitUsage;
    }

    QFile out;
    if (!out.open(stdout, QIODevice::WriteOnly))
        return JetProtocol::kExitUsage;
    QDataStream s(&out);
    s.setVersion(JetProtocol::kStreamVersion);
    s << JetProtocol::kMagic;
    auto error = [&](const QString& text) {
        s << qint8(JetProtocol::TagError) << text;
        out.flush();
        return JetProtocol::kExitError;
    };

    Result<std::unique_ptr<JetFile>> opened = JetFile::open(args.at(1));
    if (!opened)
        return error(opened.errorText());
    const std::unique_ptr<JetFile>& file = *opened;
    if (tables) {
        s << qint8(JetProtocol::TagTables) << file->tables() << qint8(JetProtocol::TagEnd)
          << qint64(0);
        out.flush();
        return 0;
    }

    bool ok = false;
    const qint64 limit = columns ? 1 : args.at(3).toLongLong(&ok);
    if (!columns && (!ok || limit < 0))
        return JetProtocol::kExitUsage;
    qint64 written = 0;
    const Status read = file->read(
        args.at(2), rows ? args.mid(4) : QStringList(), limit,
        [&](const std::vector<JetFile::Column>& cols) {
            s << qint8(JetProtocol::TagColumns) << qint32(cols.size());
            for (const JetFile::Column& c : cols) s << c.name << qint32(c.jetType) << c.typeName;
        },
        [&](const QVariantList& row) {
            if (columns)
                return;
            s << qint8(JetProtocol::TagRow) << row;
            ++written;
        });
    if (!read)
        return error(read.errorText());
    if (file->storedRowsDiffering() >= 0)
        s << qint8(JetProtocol::TagStored) << file->storedRowsDiffering();
    s << qint8(JetProtocol::TagEnd) << written;
    out.flush();
    return 0;
}
