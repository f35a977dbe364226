// libFuzzer entry for the check of an Access (Jet) file's header: any bytes as
// the head of a file, read by JetHeader and, written to a file, opened by the
// Jet reader and sniffed by the invoicing database's opener. What the header
// check accepts must be a version and page size the reader knows; a refusal
// must come with a message.
#include <cstddef>
#include <cstdint>

#include "fuzzcommon.h"
#include "import/invoicesource.h"
#include "import/jetheader.h"
#include "import/jetreader.h"

using vela::InvoiceSource;
using vela::JetHeader;
using vela::JetReader;

namespace {

// The head of a Jet file of the given version: the magic bytes, the engine's
// name, the version byte, the rest of the first page zero.
QByteArray head(const char* engine, int version, qsizetype size) {
    QByteArray b(size, '\0');
    b.replace(0, 4, QByteArray("\x00\x01\x00\x00", 4));
    b.replace(4, 16, QByteArray(engine, 16));
    b[0x14] = char(version);
    return b;
}

// Seeds: the headers of Jet 3 and 4 and of the later Access engine, each as
// the bare header and as a file of three pages; and an SQLite head, which the
// opener tells apart before the header check.
int makeSeeds(const QDir& out) {
    int made = 0;
    auto keep = [&](const QString& name, const QByteArray& bytes) {
        fuzz::writeFile(out.filePath(name), bytes);
        ++made;
    };
    const char* jet = "Standard Jet DB\0";
    const char* ace = "Standard ACE DB\0";
    keep(QStringLiteral("jet3-head"), head(jet, 0, JetHeader::kBytes));
    keep(QStringLiteral("jet4-head"), head(jet, 1, JetHeader::kBytes));
    keep(QStringLiteral("ace-head"), head(ace, 2, JetHeader::kBytes));
    keep(QStringLiteral("jet3-3pages"), head(jet, 0, 3 * 2048));
    keep(QStringLiteral("jet4-3pages"), head(jet, 1, 3 * 4096));
    keep(QStringLiteral("jet4-short"), head(jet, 1, 3 * 4096 - 1));
    QByteArray sqlite("SQLite format 3\0", 16);
    sqlite.append(QByteArray(84, '\0'));
    keep(QStringLiteral("sqlite-head"), sqlite);
    return made;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::start<QCoreApplication>(argc, argv, makeSeeds);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const JetHeader h = JetHeader::read(bytes);
    if (h.isJet) {
        FUZZ_CHECK(h.version >= 0 && h.version <= 6);
        FUZZ_CHECK(h.pageSize == (h.version == 0 ? 2048 : 4096));
        FUZZ_CHECK(bytes.startsWith(QByteArray("\x00\x01\x00\x00", 4)));
    } else {
        FUZZ_CHECK(h.version == -1 && h.pageSize == 0);
    }
    // Only the head counts: what follows the first 32 bytes changes nothing.
    const JetHeader first = JetHeader::read(bytes.left(JetHeader::kBytes));
    FUZZ_CHECK(first.isJet == h.isJet && first.version == h.version);

    static const QString path = fuzz::scratchDir() + QStringLiteral("/LFAKTURO.MDB");
    fuzz::writeFile(path, bytes);
    const auto reader = JetReader::open(path);
    if (reader)
        FUZZ_CHECK(h.isJet && size >= size_t(3 * h.pageSize) && *reader);
    else
        FUZZ_CHECK(!reader.errorText().isEmpty());
    // Opening the invoicing database sniffs the same head; with an Access
    // header it stops at the reader above (the helper starts only on a read).
    if (!bytes.startsWith(QByteArray("SQLite format 3\0", 16))) {
        const auto source = InvoiceSource::openFile(path);
        FUZZ_CHECK(source.ok() == reader.ok());
        if (!source)
            FUZZ_CHECK(!source.errorText().isEmpty());
    }
    return 0;
}
