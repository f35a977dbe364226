// The demo bank statement: read back and matched against the demo folder's
// open rows, every entry is taken for what its maker meant.

#include <gtest/gtest.h>

#include <QDir>
#include <QHash>
#include <QTemporaryDir>

#include "base/sqlite/sqliteconnection.h"
#include "base/statement.h"
#include "demofoldermaker.h"
#include "import/camtreader.h"
#include "import/statementmatcher.h"

using vela::BankAmount;
using vela::OpenItem;
using vela::OpenLedger;
using vela::ProposalKind;
using vela::StatementMatcher;
using vela::demo::DemoBankEntry;

namespace {

struct Db {
    std::unique_ptr<vela::sqlite::SqliteConnection> conn;
    vela::Connection* db = nullptr;
    explicit Db(const QString& path) {
        auto opened = vela::sqlite::SqliteConnection::open(path, vela::sqlite::OpenMode::ReadOnly);
        if (opened)
            conn = std::move(*opened);
        db = conn.get();
    }
};

void addOpenRows(vela::Connection* db, const QString& table, OpenLedger ledger,
                 std::vector<OpenItem>& out) {
    QHash<qint64, double> paid;
    vela::Statement parts(db, QStringLiteral("SELECT \"Sorszám\", TOTAL(\"RészÖsszegBruttó\") "
                                             "FROM %1 WHERE \"Részkiegyenlités\" = 1 GROUP BY 1")
                                  .arg(table));
    while (parts.next()) paid[parts.int64(0)] = parts.value(1).toDouble();
    ASSERT_TRUE(parts.status().ok()) << parts.status().errorText().toStdString();
    vela::Statement rows(db,
                         QStringLiteral("SELECT rowid, \"Sorszám\", \"Szamlaszam\", \"CegNev\", "
                                        "\"Brutto\", \"Devizanem\" FROM %1 WHERE "
                                        "\"Részkiegyenlités\" = 0 AND "
                                        "IFNULL(\"Kivezetés\", '') <> 'I'")
                             .arg(table));
    while (rows.next()) {
        out.push_back({ledger, rows.int64(0), rows.int64(1), rows.text(2), rows.text(3),
                       *BankAmount::fromDouble(rows.value(4).toDouble()),
                       *BankAmount::fromDouble(paid.value(rows.int64(1))), rows.text(5)});
    }
    ASSERT_TRUE(rows.status().ok()) << rows.status().errorText().toStdString();
}

ProposalKind kindOf(DemoBankEntry::Kind k) {
    switch (k) {
        case DemoBankEntry::Kind::Whole:
            return ProposalKind::Whole;
        case DemoBankEntry::Kind::Part:
            return ProposalKind::Part;
        case DemoBankEntry::Kind::Several:
            return ProposalKind::Several;
        case DemoBankEntry::Kind::None:
            break;
    }
    return ProposalKind::None;
}

vela::MatchBasis basisOf(DemoBankEntry::Basis b) {
    switch (b) {
        case DemoBankEntry::Basis::InvoiceNumber:
            return vela::MatchBasis::InvoiceNumber;
        case DemoBankEntry::Basis::Account:
            return vela::MatchBasis::Account;
        case DemoBankEntry::Basis::Name:
            return vela::MatchBasis::Name;
        case DemoBankEntry::Basis::None:
            break;
    }
    return vela::MatchBasis::None;
}

}  // namespace

TEST(DemoBankStatement, EveryEntryIsTakenForWhatItsMakerMeant) {
    QTemporaryDir tmp;
    vela::demo::DemoOptions options;
    options.today = QDate(2024, 6, 15);
    options.templateDir = QStringLiteral(VELA_TEMPLATE_DIR);
    options.extraDir = tmp.filePath("none");
    vela::demo::DemoFolderMaker maker(options);
    const QString folder = tmp.filePath("demo");
    const vela::Status made = maker.make(folder);
    ASSERT_TRUE(made) << made.errorText().toStdString();

    auto read = vela::CamtReader::readFile(QDir(folder).filePath("bank/kivonat-238.xml"));
    ASSERT_TRUE(read.ok()) << read.errorText().toStdString();
    ASSERT_EQ(read->size(), 1u);
    const vela::BankStatement& st = read->front();
    EXPECT_EQ(st.version, 2);
    EXPECT_EQ(st.number(), "238");

    // Every way of paying is there, in this order.
    using K = ProposalKind;
    const K kinds[] = {K::Whole, K::Part,  K::Whole, K::Several, K::Whole,
                       K::Whole, K::Whole, K::None,  K::Whole,   K::None};
    const bool sure[] = {true, true, true, true, true, false, false, false, true, false};
    const std::vector<DemoBankEntry>& plan = maker.bankEntries();
    ASSERT_EQ(plan.size(), std::size(kinds));
    ASSERT_EQ(st.entries.size(), plan.size());

    std::vector<OpenItem> items;
    std::vector<vela::PartnerAccount> partners;
    {
        Db ledgers(QDir(folder).filePath("veladata.mdb"));
        addOpenRows(ledgers.db, "VelaData", OpenLedger::Payables, items);
        addOpenRows(ledgers.db, "VelanakData", OpenLedger::Receivables, items);
        Db betarol(QDir(folder).filePath("betarol.kdb"));
        vela::Statement p(betarol.db, "SELECT \"BerNev\", \"BerSzamlaszam\" FROM beraktar");
        while (p.next()) partners.push_back({p.text(0), p.text(1)});
    }
    const StatementMatcher matcher(std::move(items), partners);
    const auto proposals = matcher.match(st, {});
    ASSERT_EQ(proposals.size(), plan.size());
    QSet<QString> booked;
    for (size_t i = 0; i < plan.size(); ++i) {
        SCOPED_TRACE(plan[i].what.toStdString());
        const auto& p = proposals[i];
        EXPECT_EQ(st.entries[i].entryReference, plan[i].reference);
        EXPECT_EQ(kindOf(plan[i].kind), kinds[i]);
        EXPECT_EQ(plan[i].sure, sure[i]);
        EXPECT_EQ(p.kind, kinds[i]) << p.note.toStdString();
        EXPECT_EQ(p.sure, sure[i]) << p.note.toStdString();
        EXPECT_EQ(p.basis, basisOf(plan[i].basis));
        std::vector<qint64> rows;
        for (const auto& l : p.lines) {
            const OpenItem& it = matcher.items()[size_t(l.item)];
            rows.push_back(it.key);
            EXPECT_EQ(it.ledger == OpenLedger::Receivables ? "VelanakData" : "VelaData",
                      plan[i].table);
        }
        EXPECT_EQ(rows, plan[i].rows);
        if (i == 6) {
            EXPECT_EQ(p.excess.toMinor(0), 1000);
        }
        if (p.sure && p.kind != K::None)
            booked.insert(vela::bookingReference(st, st.entries[i]));
    }

    // Read and matched again after the sure ones were booked: nothing of them twice.
    const auto again = matcher.match(st, booked);
    for (size_t i = 0; i < plan.size(); ++i)
        EXPECT_EQ(again[i].kind == K::AlreadyBooked,
                  booked.contains(vela::bookingReference(st, st.entries[i])));
}
