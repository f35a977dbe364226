#include <gtest/gtest.h>

#include "import/statementmatcher.h"

using vela::BankAmount;
using vela::BankStatement;
using vela::MatchBasis;
using vela::OpenItem;
using vela::OpenLedger;
using vela::PartnerAccount;
using vela::Proposal;
using vela::ProposalKind;
using vela::StatementEntry;
using vela::StatementMatcher;

namespace {

BankAmount ft(double v) {
    return *BankAmount::fromDouble(v);
}

OpenItem item(OpenLedger l, qint64 key, const char* number, const char* partner, double gross,
              double paid = 0, const char* ccy = "Ft") {
    return {l,
            key,
            key % 100,
            QString::fromUtf8(number),
            QString::fromUtf8(partner),
            ft(gross),
            ft(paid),
            QString::fromUtf8(ccy)};
}

const OpenLedger R = OpenLedger::Receivables;
const OpenLedger P = OpenLedger::Payables;

// Fixed ledgers: keys stand for the rows, the gross figures as a ledger holds them.
StatementMatcher fixedMatcher() {
    std::vector<OpenItem> items = {
        item(R, 10, "2024/0017", "Ügyfél Kft.", 127000.3),  // REAL noise below a forint
        item(R, 11, "SZ-2024/18", "Ügyfél Kft.", 50000, 20000, "HUF"),
        item(R, 12, "INV-0019", "Harmadik Bt.", 10000, 0, "FT"),
        item(R, 13, "20", "Harmadik Bt.", 5000),
        item(R, 14, "A-500", "Kettős Zrt.", 8000),
        item(R, 15, "A/500", "Negyedik Nyrt.", 9000),
        item(R, 16, "2024-31", "Számlás Kft.", 1270.5, 0, "EUR"),
        item(R, 17, "777001", "Fiókos Bt.", 15000),
        item(R, 18, "777002", "Névrokon Kft.", 22000),
        item(R, 19, "777003", "Fiókos Bt.", 6000),
        item(R, 21, "888001", "Kiegyenlített Kft.", 3000, 3000),
        item(P, 20, "2024/0017", "Szállító Kft.", 40000),
    };
    std::vector<PartnerAccount> partners = {
        {"Fiókos Bt.", "11773016-01234567"},
        {"Ügyfél Kft.", "10400001-22222222-33333333"},
    };
    return StatementMatcher(std::move(items), partners);
}

StatementEntry entry(bool credit, double amount, const char* ccy, const char* name,
                     const char* account, const char* remittance) {
    StatementEntry e;
    e.credit = credit;
    e.amount = e.entryAmount = *BankAmount::fromDouble(amount);
    e.currency = e.entryCurrency = QString::fromUtf8(ccy);
    e.status = QStringLiteral("BOOK");
    (credit ? e.debtor : e.creditor) = {QString::fromUtf8(name), QString::fromUtf8(account)};
    if (*remittance)
        e.unstructured << QString::fromUtf8(remittance);
    return e;
}

struct Line {
    qint64 key;
    double amount;
    bool settles;
};

std::vector<Line> linesOf(const StatementMatcher& m, const Proposal& p) {
    std::vector<Line> out;
    for (const auto& l : p.lines)
        out.push_back({m.items()[size_t(l.item)].key, l.amount.toDouble(), l.settles});
    return out;
}

}  // namespace

TEST(StatementMatcher, ProposesEachKindFromTheStrongestEvidence) {
    const StatementMatcher m = fixedMatcher();
    struct Case {
        const char* what;
        StatementEntry e;
        ProposalKind kind;
        bool sure;
        MatchBasis basis;
        std::vector<Line> lines;
        double excess;
    };
    using K = ProposalKind;
    using B = MatchBasis;
    const Case cases[] = {
        {"whole by number, zeros and words around it",
         entry(true, 127000, "HUF", "Ügyfél KFT", "", "Számla: 2024/17"),
         K::Whole,
         true,
         B::InvoiceNumber,
         {{10, 127000.3, true}},
         0},
        {"part payment",
         entry(true, 10000, "HUF", "", "", "szla sz2024-18"),
         K::Part,
         true,
         B::InvoiceNumber,
         {{11, 10000, false}},
         0},
        {"the rest after earlier part payments",
         entry(true, 30000, "Ft", "", "", "SZ 2024 / 18"),
         K::Whole,
         true,
         B::InvoiceNumber,
         {{11, 30000, true}},
         0},
        {"more than is open",
         entry(true, 128000, "HUF", "", "", "2024/0017"),
         K::Whole,
         false,
         B::InvoiceNumber,
         {{10, 127000.3, true}},
         999.7},
        {"several invoices",
         entry(true, 137000.3, "HUF", "", "", "Számlák: 2024/0017, INV-019"),
         K::Several,
         true,
         B::InvoiceNumber,
         {{10, 127000.3, true}, {12, 10000, true}},
         0},
        {"less than several invoices",
         entry(true, 130000.3, "HUF", "", "", "2024/0017; INV 0019"),
         K::Several,
         false,
         B::InvoiceNumber,
         {{10, 127000.3, true}, {12, 3000, false}},
         0},
        {"a number on two rows: the amount picks, unsure",
         entry(true, 9000, "HUF", "", "", "A 500"),
         K::Whole,
         false,
         B::InvoiceNumber,
         {{15, 9000, true}},
         0},
        {"a debit pays the payables' row of the number",
         entry(false, 40000, "HUF", "", "", "2024/0017"),
         K::Whole,
         true,
         B::InvoiceNumber,
         {{20, 40000, true}},
         0},
        {"by account and amount",
         entry(true, 15000, "HUF", "FIOKOS", "HU42 1177 3016 0123 4567 0000 0000", "átutalás"),
         K::Whole,
         true,
         B::Account,
         {{17, 15000, true}},
         0},
        {"by account, all its open invoices",
         entry(true, 21000, "HUF", "", "117730160123456700000000", ""),
         K::Several,
         true,
         B::Account,
         {{17, 15000, true}, {19, 6000, true}},
         0},
        {"by account, no amount fits",
         entry(true, 1000, "HUF", "", "11773016-01234567", ""),
         K::None,
         false,
         B::None,
         {},
         0},
        {"name only: a guess",
         entry(true, 22000, "HUF", "NÉVROKON kft", "", "január"),
         K::Whole,
         false,
         B::Name,
         {{18, 22000, true}},
         0},
        {"name only, part: a guess",
         entry(true, 2000, "HUF", "Nevrokon", "", ""),
         K::Part,
         false,
         B::Name,
         {{18, 2000, false}},
         0},
        {"nothing fits",
         entry(true, 999, "HUF", "Senki", "12345678-12345678", "ismeretlen"),
         K::None,
         false,
         B::None,
         {},
         0},
        {"another currency",
         entry(true, 1270.5, "EUR", "", "", "Inv. 2024-31"),
         K::Whole,
         true,
         B::InvoiceNumber,
         {{16, 1270.5, true}},
         0},
        {"the number in another currency is not it",
         entry(true, 1270.5, "HUF", "", "", "2024-31"),
         K::None,
         false,
         B::None,
         {},
         0},
        {"a number too short to trust",
         entry(true, 5000, "HUF", "", "", "20"),
         K::None,
         false,
         B::None,
         {},
         0},
        {"a settled row is not open",
         entry(true, 3000, "HUF", "", "", "888001"),
         K::None,
         false,
         B::None,
         {},
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BankStatement st;
        st.id = QStringLiteral("S1");
        st.entries = {c.e};
        const std::vector<Proposal> got = m.match(st, {});
        ASSERT_EQ(got.size(), 1u);
        const Proposal& p = got[0];
        EXPECT_EQ(p.kind, c.kind);
        EXPECT_EQ(p.sure, c.sure) << p.note.toStdString();
        EXPECT_EQ(p.basis, c.basis);
        EXPECT_EQ(p.excess.toDouble(), c.excess);
        EXPECT_EQ(p.sure, p.note.isEmpty());
        const std::vector<Line> lines = linesOf(m, p);
        ASSERT_EQ(lines.size(), c.lines.size());
        for (size_t i = 0; i < lines.size(); ++i) {
            EXPECT_EQ(lines[i].key, c.lines[i].key);
            EXPECT_DOUBLE_EQ(lines[i].amount, c.lines[i].amount);
            EXPECT_EQ(lines[i].settles, c.lines[i].settles);
        }
    }
}

// Within one statement an invoice is not paid twice; what was booked before
// from the same statement is known; reversals and pending entries book nothing.
TEST(StatementMatcher, KnowsWhatIsTakenBookedOrNotFinal) {
    const StatementMatcher m = fixedMatcher();
    BankStatement st;
    st.id = QStringLiteral("2024/41");
    StatementEntry first = entry(true, 127000, "HUF", "", "", "2024/0017");
    first.entryReference = QStringLiteral("E1");
    StatementEntry twice = first;
    twice.entryReference = QStringLiteral("E2");
    StatementEntry booked = entry(true, 10000, "HUF", "", "", "INV-0019");
    booked.entryReference = QStringLiteral("E3");
    StatementEntry reversed = booked;
    reversed.entryReference = QStringLiteral("E4");
    reversed.reversal = true;
    StatementEntry pending = booked;
    pending.entryReference = QStringLiteral("E5");
    pending.status = QStringLiteral("PDNG");
    st.entries = {first, twice, booked, reversed, pending};

    const auto got = m.match(st, {QStringLiteral("2024/41|E3")});
    ASSERT_EQ(got.size(), 5u);
    EXPECT_EQ(got[0].kind, ProposalKind::Whole);
    EXPECT_TRUE(got[0].sure);
    for (const auto& l : got[1].lines) EXPECT_NE(m.items()[size_t(l.item)].key, 10);
    EXPECT_FALSE(got[1].sure);
    EXPECT_EQ(got[2].kind, ProposalKind::AlreadyBooked);
    EXPECT_EQ(got[3].kind, ProposalKind::None);
    EXPECT_EQ(got[4].kind, ProposalKind::None);
}

TEST(StatementMatcher, NormalFormsOfNumbersAccountsAndNames) {
    const struct {
        const char* in;
        const char* key;
    } numbers[] = {
        {"2024/0017", "202417"},
        {"SZ-2024/17", "202417"},
        {"szla 2024 - 017", "202417"},
        {"Számla: 2024.17", "202417"},
        {"INV-00123", "123"},
        {"A-0500", "A500"},
        {"a/500", "A500"},
        {"12", ""},
        {"SZ", ""},
    };
    for (const auto& n : numbers)
        EXPECT_EQ(StatementMatcher::invoiceKey(QString::fromUtf8(n.in)), QString::fromUtf8(n.key))
            << n.in;

    const struct {
        const char* in;
        const char* key;
    } accounts[] = {
        {"11773016-01234567", "117730160123456700000000"},
        {"11773016 01234567 00000000", "117730160123456700000000"},
        {"HU42 1177 3016 0123 4567 0000 0000", "117730160123456700000000"},
        {"10400001-22222222-33333333", "104000012222222233333333"},
        {"de89 3704 0044 0532 0130 00", "DE89370400440532013000"},
    };
    for (const auto& a : accounts)
        EXPECT_EQ(StatementMatcher::accountKey(QString::fromUtf8(a.in)), QString::fromUtf8(a.key))
            << a.in;

    const struct {
        const char* in;
        const char* key;
    } names[] = {
        {"Árvíztűrő Tükörfúró Kft.", "ARVIZTURO TUKORFURO"},
        {"ARVIZTURO TUKORFURO KFT", "ARVIZTURO TUKORFURO"},
        {"Őz és Társa Bt.", "OZ ES TARSA"},
        {"Magyar Posta Zrt", "MAGYAR POSTA"},
        {"Richter Gedeon Nyrt.", "RICHTER GEDEON"},
        {"Kovács János e.v.", "KOVACS JANOS"},
    };
    for (const auto& n : names)
        EXPECT_EQ(StatementMatcher::nameKey(QString::fromUtf8(n.in)), QString::fromUtf8(n.key))
            << n.in;
}

TEST(BankAmount, ParsesExactlyAndRounds) {
    const struct {
        const char* in;
        qint64 units;
    } good[] = {{"8.85", 885000}, {"8.850", 885000},
                {"0.00001", 1},   {"-12", -1200000},
                {"+7.5", 750000}, {"9999999999999.99999", 999999999999999999LL}};
    for (const auto& g : good) {
        const auto a = BankAmount::parse(QString::fromLatin1(g.in));
        ASSERT_TRUE(a.has_value()) << g.in;
        EXPECT_EQ(a->units(), g.units) << g.in;
    }
    for (const char* bad :
         {"", "-", "1.", ".5", "1.000001", "1,5", "1e3", "10000000000000", "1.2.3", " 1"})
        EXPECT_FALSE(BankAmount::parse(QString::fromLatin1(bad)).has_value()) << bad;
    EXPECT_EQ(BankAmount::parse(u"1270.5")->toMinor(0), 1271);
    EXPECT_EQ(BankAmount::parse(u"-1270.5")->toMinor(0), -1271);
    EXPECT_EQ(BankAmount::parse(u"0.005")->toMinor(2), 1);
    EXPECT_EQ(BankAmount::fromDouble(1270.0000000000002)->units(), 127000000);
    EXPECT_EQ(vela::currency::settlementDecimals(QStringLiteral("Ft")), 0);
    EXPECT_EQ(vela::currency::settlementDecimals(QStringLiteral("EUR")), 2);
    EXPECT_EQ(vela::currency::isoDecimals(QStringLiteral("JPY")), 0);
}
