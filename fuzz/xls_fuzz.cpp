// libFuzzer entry for the workbook reader and writer that Workbook::appendRows
// runs over an existing file: any bytes as the workbook, two rows of every kind
// of value appended. A workbook the writer accepts must read back with the two
// rows more; one it refuses must come with a message.
#include <glib.h>
#include <QDate>
#include <QDateTime>
#include <QVariant>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzzcommon.h"
#include "xls/templatewriter.h"
#include "xls/workbook.h"

using vela::xls::TemplateColumn;
using vela::xls::TemplateWriter;
using vela::xls::Workbook;

namespace {

using Rows = std::vector<std::vector<QVariant>>;

Rows appended() {
    return {{QVariant(12.5), QStringLiteral("Árvíztűrő tükörfúrógép"), QDate(2024, 3, 15),
             QVariant(true), QVariant(), QVariant(qlonglong(42))},
            {QVariant(-0.01), QString(), QDateTime(QDate(1900, 2, 28), QTime(12, 0)),
             QVariant(1e300), QStringLiteral("második")}};
}

// Seeds: empty workbooks as the export makes them, and the same with rows
// appended by the writer under test (a block boundary, many strings so the
// shared string table runs on into CONTINUE records).
int makeSeeds(const QDir& out) {
    const std::vector<TemplateColumn> few{{QStringLiteral("Sorszám")},
                                          {QStringLiteral("Dátum"), true},
                                          {QStringLiteral("Megnevezés")}};
    std::vector<TemplateColumn> many;
    for (int i = 0; i < 24; ++i) many.push_back({QStringLiteral("Oszlop %1").arg(i), i % 5 == 1});
    int made = 0;
    auto keep = [&](const QString& name, const QString& from) {
        fuzz::writeFile(out.filePath(name), fuzz::readFile(from));
        ++made;
    };
    const QString work = fuzz::scratchDir() + QStringLiteral("/seed.xls");
    for (const auto& [name, columns] :
         {std::pair{QStringLiteral("few"), few}, std::pair{QStringLiteral("many"), many}}) {
        QFile::remove(work);
        if (!TemplateWriter::write(work, QStringLiteral("Munka1"), columns))
            return 0;
        keep(name + QStringLiteral("-empty.xls"), work);
        if (!Workbook::appendRows(work, appended()))
            return 0;
        keep(name + QStringLiteral("-2rows.xls"), work);
        Rows block;
        for (int r = 0; r < 40; ++r)
            block.push_back({QVariant(r * 1.25), QDate(2023, 1, 1).addDays(r),
                             QStringLiteral("tétel %1").arg(r % 7)});
        if (!Workbook::appendRows(work, block))
            return 0;
        keep(name + QStringLiteral("-42rows.xls"), work);
    }
    Rows texts;
    for (int r = 0; r < 500; ++r) texts.push_back({QStringLiteral("egyedi szöveg %1 őűáé").arg(r)});
    if (!Workbook::appendRows(work, texts))
        return 0;
    keep(QStringLiteral("many-sst-continue.xls"), work);
    return made;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // libgsf reports what it refuses of a damaged file on stderr; the
    // fuzzer's own output is what counts here.
    g_log_set_default_handler([](const gchar*, GLogLevelFlags, const gchar*, gpointer) {}, nullptr);
    fuzz::start<QCoreApplication>(argc, argv, makeSeeds);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const QString path = fuzz::scratchDir() + QStringLiteral("/input.xls");
    static const Rows rows = appended();
    fuzz::writeFile(path, QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    const vela::Result<int> before = Workbook::rowCount(path);
    FUZZ_CHECK(before ? *before >= 0 : !before.errorText().isEmpty());
    const vela::Status written = Workbook::appendRows(path, rows);
    if (written) {
        FUZZ_CHECK(before.ok());
        const vela::Result<int> after = Workbook::rowCount(path);
        FUZZ_CHECK(after && *after == *before + int(rows.size()));
    } else {
        FUZZ_CHECK(!written.errorText().isEmpty());
        // A refused workbook is left as it was.
        FUZZ_CHECK(fuzz::readFile(path) ==
                   QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    }
    return 0;
}
