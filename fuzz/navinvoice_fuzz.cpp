// libFuzzer entry for the Online Számla reader: any bytes as an invoice file
// or as the interface's answer around one, then mapped to a ledger row. What
// the reader accepts must be a whole invoice with finite figures; a refusal,
// of the reader or of the mapping, must come with a message.
#include <zlib.h>

#include <cmath>
#include <cstddef>
#include <cstdint>

#include "fuzzcommon.h"
#include "import/navinvoicereader.h"
#include "import/navledgermapper.h"

using vela::NavInvoiceReader;
using vela::NavLedgerMapper;

namespace {

QByteArray gzip(const QByteArray& plain) {
    z_stream zs{};
    deflateInit2(&zs, 1, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(qsizetype(deflateBound(&zs, uLong(plain.size()))), '\0');
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(plain.constData()));
    zs.avail_in = uInt(plain.size());
    zs.next_out = reinterpret_cast<Bytef*>(out.data());
    zs.avail_out = uInt(out.size());
    deflate(&zs, Z_FINISH);
    out.resize(qsizetype(zs.total_out));
    deflateEnd(&zs);
    return out;
}

// Seeds: the authority's sample invoices, and two of them inside a
// queryInvoiceData answer, plain and gzipped.
int makeSeeds(const QDir& out) {
    int made = 0;
    const QDir samples(QStringLiteral(VELA_SHARED_TESTDATA "/nav/samples"));
    const QStringList files = samples.entryList({QStringLiteral("*.xml")}, QDir::Files);
    for (int i = 0; i < files.size(); ++i) {
        const QByteArray xml = fuzz::readFile(samples.filePath(files[i]));
        fuzz::writeFile(out.filePath(QStringLiteral("sample%1.xml").arg(i)), xml);
        ++made;
        if (i < 2) {
            const QByteArray data = i == 0 ? xml : gzip(xml);
            const QByteArray answer =
                "<QueryInvoiceDataResponse xmlns=\"http://schemas.nav.gov.hu/OSA/3.0/api\">"
                "<invoiceDataResult><invoiceData>" +
                data.toBase64() + "</invoiceData><compressedContentIndicator>" +
                (i == 0 ? "false" : "true") +
                "</compressedContentIndicator></invoiceDataResult></QueryInvoiceDataResponse>";
            fuzz::writeFile(out.filePath(QStringLiteral("answer%1.xml").arg(i)), answer);
            ++made;
        }
    }
    return made;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::start<QCoreApplication>(argc, argv, makeSeeds);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto read = NavInvoiceReader::readBytes(bytes, QStringLiteral("fuzz.xml"));
    if (!read) {
        FUZZ_CHECK(read.errorText().contains(QStringLiteral("fuzz.xml")));
        return 0;
    }
    FUZZ_CHECK(!read->isEmpty());
    for (const vela::NavInvoice& inv : *read) {
        FUZZ_CHECK(!inv.invoiceNumber.isEmpty() && inv.issueDate.isValid());
        FUZZ_CHECK(!inv.supplier.taxpayerId.isEmpty());
        FUZZ_CHECK(std::isfinite(inv.net) && std::isfinite(inv.vat) && std::isfinite(inv.gross));
        const auto entry = NavLedgerMapper::map(inv, {inv.supplier.taxpayerId});
        if (entry) {
            FUZZ_CHECK(entry->Szamlaszam == inv.invoiceNumber);
            FUZZ_CHECK(entry->Datumtol.isValid() && entry->Datumig.isValid());
        } else {
            FUZZ_CHECK(!entry.errorText().isEmpty());
        }
    }
    return 0;
}
