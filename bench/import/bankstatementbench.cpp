// Reading a 10 000-entry camt.053 statement and matching it against a million
// open rows, as the statement window does when it opens a file.

#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>
#include <QXmlStreamWriter>

#include "import/camtreader.h"
#include "import/statementmatcher.h"

using vela::BankAmount;
using vela::OpenItem;
using vela::OpenLedger;
using vela::PartnerAccount;

namespace {

constexpr int kOpenRows = 1000000;
constexpr int kEntries = 10000;
constexpr int kPartners = 5000;

QString partnerName(int p) {
    static const char* const kForms[] = {"Kft.", "Bt.", "Zrt.", "Nyrt."};
    return QStringLiteral("Partner %1 Árvíztűrő %2").arg(p).arg(QLatin1String(kForms[p % 4]));
}

QString partnerAccount(int p) {
    return QStringLiteral("11773016-%1-00000000").arg(p, 8, 10, QLatin1Char('0'));
}

QString invoiceNumber(int i) {
    return QStringLiteral("SZ-2024/%1").arg(i + 1, 7, 10, QLatin1Char('0'));
}

qint64 grossOf(int i) {
    return 1000 + (qint64(i) * 7919) % 900000;
}

const std::vector<OpenItem>& openRows() {
    static std::vector<OpenItem> rows;
    if (!rows.empty())
        return rows;
    rows.reserve(kOpenRows);
    for (int i = 0; i < kOpenRows; ++i) {
        const int p = i % kPartners;
        rows.push_back({i % 2 ? OpenLedger::Payables : OpenLedger::Receivables, i, i + 1,
                        invoiceNumber(i), partnerName(p),
                        BankAmount::fromUnits(grossOf(i) * BankAmount::kScale),
                        BankAmount::fromUnits(i % 10 == 0 ? 500 * BankAmount::kScale : 0),
                        QStringLiteral("Ft")});
    }
    return rows;
}

const std::vector<PartnerAccount>& partners() {
    static std::vector<PartnerAccount> list;
    if (list.empty())
        for (int p = 0; p < kPartners; ++p) list.push_back({partnerName(p), partnerAccount(p)});
    return list;
}

// Entries of every kind: most name their invoice, some only the account or
// the name, some nothing that matches.
const QString& statementFile() {
    static QTemporaryDir dir;
    static QString path;
    if (!path.isEmpty())
        return path;
    path = dir.filePath("kivonat.xml");
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return path;
    QXmlStreamWriter x(&f);
    x.writeStartDocument();
    x.writeDefaultNamespace(QStringLiteral("urn:iso:std:iso:20022:tech:xsd:camt.053.001.02"));
    x.writeStartElement("Document");
    x.writeStartElement("BkToCstmrStmt");
    x.writeStartElement("Stmt");
    x.writeTextElement("Id", "BENCH-1");
    x.writeTextElement("LglSeqNb", "1");
    for (int e = 0; e < kEntries; ++e) {
        const int i = (e * 97) % kOpenRows;
        const bool credit = i % 2 == 0;
        const int p = i % kPartners;
        const qint64 amount = e % 5 == 1 ? grossOf(i) / 2 : grossOf(i) - (i % 10 == 0 ? 500 : 0);
        x.writeStartElement("Ntry");
        x.writeTextElement("NtryRef", QString::number(e));
        x.writeStartElement("Amt");
        x.writeAttribute("Ccy", "HUF");
        x.writeCharacters(QString::number(amount) + ".00");
        x.writeEndElement();
        x.writeTextElement("CdtDbtInd", credit ? "CRDT" : "DBIT");
        x.writeTextElement("Sts", "BOOK");
        x.writeStartElement("BookgDt");
        x.writeTextElement("Dt", "2024-06-14");
        x.writeEndElement();
        x.writeStartElement("NtryDtls");
        x.writeStartElement("TxDtls");
        x.writeStartElement("RltdPties");
        x.writeStartElement(credit ? "Dbtr" : "Cdtr");
        x.writeTextElement("Nm", e % 10 == 7 ? QStringLiteral("Senki Más") : partnerName(p));
        x.writeEndElement();
        x.writeStartElement(credit ? "DbtrAcct" : "CdtrAcct");
        x.writeStartElement("Id");
        x.writeStartElement("Othr");
        x.writeTextElement("Id",
                           e % 10 == 8 ? QStringLiteral("12345678-12345678") : partnerAccount(p));
        x.writeEndElement();
        x.writeEndElement();
        x.writeEndElement();
        x.writeEndElement();
        x.writeStartElement("RmtInf");
        x.writeTextElement(
            "Ustrd", e % 10 < 6 ? QStringLiteral("Számla %1 kiegyenlítése").arg(invoiceNumber(i))
                                : QStringLiteral("Átutalás"));
        x.writeEndElement();
        x.writeEndElement();
        x.writeEndElement();
        x.writeEndElement();
    }
    x.writeEndDocument();
    return path;
}

void ReadStatement(benchmark::State& state) {
    const QString& path = statementFile();
    for (auto _ : state) {
        auto read = vela::CamtReader::readFile(path);
        if (!read) {
            state.SkipWithError(read.errorText().toStdString().c_str());
            return;
        }
        benchmark::DoNotOptimize(read->front().entries.size());
    }
}
BENCHMARK(ReadStatement)->Unit(benchmark::kMillisecond)->Iterations(3);

// The whole step: read the file, index the open rows, propose for every entry.
void ReadAndMatch(benchmark::State& state) {
    const QString& path = statementFile();
    const auto& rows = openRows();
    const auto& people = partners();
    int proposed = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<OpenItem> items = rows;
        state.ResumeTiming();
        auto read = vela::CamtReader::readFile(path);
        if (!read) {
            state.SkipWithError(read.errorText().toStdString().c_str());
            return;
        }
        const vela::StatementMatcher matcher(std::move(items), people);
        const auto proposals = matcher.match(read->front(), {});
        proposed = 0;
        for (const auto& p : proposals) proposed += p.kind != vela::ProposalKind::None;
        benchmark::DoNotOptimize(proposed);
    }
    state.counters["entries"] = kEntries;
    state.counters["proposed"] = proposed;
}
BENCHMARK(ReadAndMatch)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
