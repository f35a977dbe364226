// libFuzzer entry for the camt.053 reader: any bytes as a bank statement,
// then matched against a few open invoices. A refusal must come with a
// message naming the file; what is read must be whole transactions, and
// every proposal must point at invoices that exist and pay them no more
// than is open nor, beyond the currency's smallest unit, than was paid.
#include <QBuffer>
#include <cstddef>
#include <cstdint>

#include "fuzzcommon.h"
#include "import/camtreader.h"
#include "import/statementmatcher.h"

using vela::BankAmount;

namespace {

// Seeds: the real statements of the shared test data, and one written here
// that names an invoice of the matcher below.
int makeSeeds(const QDir& out) {
    int made = 0;
    const QDir samples(QStringLiteral(VELA_SHARED_TESTDATA "/camt"));
    const QStringList files = samples.entryList({QStringLiteral("*.xml")}, QDir::Files);
    for (int i = 0; i < files.size(); ++i) {
        fuzz::writeFile(out.filePath(QStringLiteral("sample%1.xml").arg(i)),
                        fuzz::readFile(samples.filePath(files[i])));
        ++made;
    }
    fuzz::writeFile(
        out.filePath(QStringLiteral("own.xml")),
        "<?xml version=\"1.0\"?><Document xmlns=\"urn:iso:std:iso:20022:tech:xsd:camt.053.001.02\">"
        "<BkToCstmrStmt><Stmt><Id>S1</Id><LglSeqNb>7</LglSeqNb><Ntry><NtryRef>1</NtryRef>"
        "<Amt Ccy=\"HUF\">12700.00</Amt><CdtDbtInd>CRDT</CdtDbtInd><Sts>BOOK</Sts>"
        "<BookgDt><Dt>2024-06-14</Dt></BookgDt><NtryDtls><TxDtls><RltdPties><Dbtr><Nm>Alfa "
        "Kft.</Nm></Dbtr></RltdPties><RmtInf><Ustrd>Szla SZ-2024/17</Ustrd></RmtInf></TxDtls>"
        "</NtryDtls></Ntry></Stmt></BkToCstmrStmt></Document>");
    return made + 1;
}

const vela::StatementMatcher& matcher() {
    auto ft = [](qint64 f) { return BankAmount::fromUnits(f * BankAmount::kScale); };
    static const vela::StatementMatcher m(
        {{vela::OpenLedger::Receivables, 1, 1, "SZ-2024/17", "Alfa Kft.", ft(12700), {}, "Ft"},
         {vela::OpenLedger::Receivables, 2, 2, "SZ-2024/18", "Alfa Kft.", ft(5000), ft(1000),
          "HUF"},
         {vela::OpenLedger::Payables, 3, 1, "B-77", "Béta Bt.", ft(63500), {}, "EUR"}},
        {{"Alfa Kft.", "HU42117730161111101800000000"}});
    return m;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::start<QCoreApplication>(argc, argv, makeSeeds);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    const auto read = vela::CamtReader::read(&buffer, QStringLiteral("fuzz.xml"));
    if (!read) {
        FUZZ_CHECK(read.errorText().contains(QStringLiteral("fuzz.xml")));
        return 0;
    }
    for (const vela::BankStatement& st : *read) {
        for (const vela::StatementEntry& e : st.entries) {
            FUZZ_CHECK(e.transactionIndex >= 0 && e.transactionIndex < e.transactionCount);
            FUZZ_CHECK(!e.reference().isEmpty());
        }
        const auto proposals = matcher().match(st, {});
        FUZZ_CHECK(proposals.size() == st.entries.size());
        for (size_t i = 0; i < proposals.size(); ++i) {
            BankAmount total;
            for (const vela::ProposalLine& l : proposals[i].lines) {
                FUZZ_CHECK(l.item >= 0 && size_t(l.item) < matcher().items().size());
                FUZZ_CHECK(l.amount > BankAmount());
                FUZZ_CHECK(l.amount <= matcher().items()[size_t(l.item)].remaining());
                total += l.amount;
            }
            // Equal within the currency's smallest unit counts as paid in full.
            qint64 unit = BankAmount::kScale;
            for (int d = vela::currency::settlementDecimals(
                     vela::currency::normalized(st.entries[i].currency));
                 d > 0 && unit > 1; --d)
                unit /= 10;
            FUZZ_CHECK(total <=
                       st.entries[i].amount.abs() +
                           BankAmount::fromUnits(unit * qint64(proposals[i].lines.size())));
        }
    }
    return 0;
}
