// libFuzzer entry for the SQLite stand-in of the invoicing program's database:
// any bytes written to a file and opened as the invoicing database, then every
// document table asked for its rows and read grouped by invoice. A refusal
// must come with a message.
#include <sqlite3.h>
#include <QDate>
#include <QVariant>
#include <cstddef>
#include <cstdint>

#include "fuzzcommon.h"
#include "import/invoicesource.h"
#include "import/standindatabase.h"

using vela::InvoiceSource;
using vela::StandInDatabase;

namespace {

QVariantList line(qint64 number, const QString& item, double net, const QVariant& performed) {
    return {number,
            QStringLiteral("Kovács és Társa Kft."),
            "Győr",
            "Fő utca 1.",
            "készpénzes",
            QDate(2024, 3, 1),
            QDate(2024, 3, 9),
            item,
            27.0,
            0.0,
            "HUF",
            net,
            net * 1.27,
            performed};
}

// Seeds: stand-ins as the project makes them, empty and with lines in
// several tables, each also rewritten with small pages so that the whole
// file fits the fuzzer's length limit.
int makeSeeds(const QDir& out) {
    int made = 0;
    const QString work = fuzz::scratchDir() + QStringLiteral("/seed.db");
    auto keep = [&](const QString& name) {
        fuzz::writeFile(out.filePath(name + QStringLiteral(".db")), fuzz::readFile(work));
        const QString small = fuzz::scratchDir() + QStringLiteral("/small.db");
        QFile::remove(small);
        QFile::copy(work, small);
        sqlite3* db = nullptr;
        if (sqlite3_open(QFile::encodeName(small).constData(), &db) == SQLITE_OK &&
            sqlite3_exec(db, "PRAGMA page_size=512; VACUUM;", nullptr, nullptr, nullptr) ==
                SQLITE_OK) {
            sqlite3_close(db);
            fuzz::writeFile(out.filePath(name + QStringLiteral("-512.db")), fuzz::readFile(small));
            ++made;
        } else {
            sqlite3_close(db);
        }
        ++made;
    };
    QFile::remove(work);
    if (!StandInDatabase::create(work))
        return 0;
    keep(QStringLiteral("empty"));
    std::vector<QVariantList> lines;
    for (int i = 0; i < 9; ++i)
        lines.push_back(line(1001 + i / 3, QStringLiteral("tétel %1").arg(i), 1000.0 + i,
                             i == 4 ? QVariant() : QVariant(QDate(2024, 3, 5).addDays(i))));
    const QStringList tables = InvoiceSource::documentTables();
    if (!StandInDatabase::appendLines(work, tables[0], lines) ||
        !StandInDatabase::appendLines(work, tables[3], {line(7, "nyugta", 500, "nem dátum")}))
        return 0;
    keep(QStringLiteral("lines"));
    return made;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::start<QCoreApplication>(argc, argv, makeSeeds);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const QString path = fuzz::scratchDir() + QStringLiteral("/LFAKTURO.MDB");
    fuzz::writeFile(path, QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    auto opened = InvoiceSource::openFile(path);
    if (!opened) {
        FUZZ_CHECK(!opened.errorText().isEmpty());
        return 0;
    }
    InvoiceSource& source = **opened;
    if (source.format() != InvoiceSource::Format::StandIn)
        return 0;  // an Access header: the helper process's business
    for (const QString& table : InvoiceSource::documentTables()) {
        if (const auto any = source.hasRows(table); !any) {
            FUZZ_CHECK(!any.errorText().isEmpty());
            continue;
        }
        if (const auto rows = source.groupedRows(table, 0)) {
            for (const auto& r : *rows) FUZZ_CHECK(r.size() == 14);
        } else {
            FUZZ_CHECK(!rows.errorText().isEmpty());
        }
    }
    return 0;
}
