#include <gtest/gtest.h>

#include "storage/columns.h"
#include "storage/database.h"
#include "storage/groupedsum.h"
#include "storagebackend.h"
#include "tempdatafolder.h"

using namespace vela;
using test::Backend;

namespace {
class GroupedSumOn : public ::testing::TestWithParam<Backend> {};
}  // namespace

// Per-currency sums: spellings of one currency together, no currency as its
// own group, a part over no rows null, most rows first. The server adds up
// by itself, the file's rows are added up here: the same groups.
TEST_P(GroupedSumOn, SumsPerKeyFoldedWithTheirOwnConditions) {
    test::StorageBackend backend;
    auto opened = backend.open(GetParam(), "veladata.mdb");
    ASSERT_TRUE(opened) << opened.errorText().toStdString();
    auto db = std::move(*opened);
    const QList<QVariantList> rows = {
        {"Ft", "N", 100.0, 10.0}, {"FT", "N", 200.0, 0.0},     {" ft", "I", 400.0, 40.0},
        {"EUR", "N", 5.5, 1.0},   {QVariant(), "N", 7.0, 0.0}, {"USD", "I", 9.0, 0.0},
    };
    for (const QVariantList& r : rows)
        ASSERT_TRUE(
            db->exec(test::StorageBackend::sql(GetParam(),
                                               "INSERT INTO VelaData (Devizanem, Kivezetés, "
                                               "Brutto, RészÖsszegBruttó) VALUES (?, ?, ?, ?)"),
                     r));
    GroupedSum sums;
    sums.setDatabase(db.get());
    const Condition open = Condition::equals("Kivezetés", QStringLiteral("N"));
    sums.setSum(schema::velaData(), "Devizanem",
                {{Amount{"Brutto"}, open}, {Amount{"RészÖsszegBruttó"}, {}}}, std::nullopt, true);
    const vela::Status summed = sums.requery();
    ASSERT_TRUE(summed) << summed.errorText().toStdString();
    const auto& g = sums.groups();
    ASSERT_EQ(g.size(), 4u);
    EXPECT_EQ(g[0].key.toString(), "FT");
    EXPECT_EQ(g[0].rows, 3);
    EXPECT_EQ(g[0].sums[0].toDouble(), 300.0);
    EXPECT_EQ(g[0].sums[1].toDouble(), 50.0);
    EXPECT_EQ(g[1].key.toString(), "EUR");
    EXPECT_EQ(g[1].sums[0].toDouble(), 5.5);
    EXPECT_EQ(g[2].key.toString(), "USD");
    EXPECT_TRUE(g[2].sums[0].isNull());  // no open row
    EXPECT_EQ(g[2].sums[1].toDouble(), 0.0);
    EXPECT_TRUE(g[3].key.isNull());  // no currency: last among equals
    EXPECT_EQ(g[3].sums[0].toDouble(), 7.0);

    // Only the rows of a given where are taken.
    sums.setSum(schema::velaData(), "Devizanem",
                {{Amount{"Brutto"}, open}, {Amount{"RészÖsszegBruttó"}, open}}, open, true);
    ASSERT_TRUE(sums.requery());
    ASSERT_EQ(sums.groups().size(), 3u);
    EXPECT_EQ(sums.groups()[0].rows, 2);
}

INSTANTIATE_TEST_SUITE_P(Backends, GroupedSumOn, ::testing::Values(Backend::Files, Backend::Server),
                         test::backendName);

// The rows of either part are taken once each, and a part both sides share
// is asked for once: SQLite then walks its rows once, not twice.
TEST(GroupedSum, RowsOfOverlappingPartsAreTakenOnceAndTheSharedTermOnce) {
    const Condition n = Condition::equals("Kivezetés", QStringLiteral("N"));
    const Condition open =
        n || Condition::equals("Kivezetés", QStringLiteral("n")) || Condition::isEmpty("Kivezetés");
    QVariantList binds;
    EXPECT_EQ(Condition::anyOf({open, n}).sql(binds), open.sql(binds));
    EXPECT_EQ((n && n).sql(binds), n.sql(binds));

    TempDataFolder folder;
    auto opened = Database::open("veladata.mdb");
    ASSERT_TRUE(opened) << opened.errorText().toStdString();
    auto db = std::move(*opened);
    for (const char* flag : {"N", "n", "", "I"})
        ASSERT_TRUE(
            db->exec("INSERT INTO VelaData (Devizanem, Kivezetés, Brutto, "
                     "RészÖsszegBruttó) VALUES ('EUR', ?, 10, 1)",
                     {QString(flag)}));
    GroupedSum sums;
    sums.setDatabase(db.get());
    sums.setSum(schema::velaData(), "Devizanem",
                {{Amount{"Brutto"}, open}, {Amount{"RészÖsszegBruttó"}, n}});
    ASSERT_TRUE(sums.requery());
    ASSERT_EQ(sums.groups().size(), 1u);
    EXPECT_EQ(sums.groups()[0].rows, 3);
    EXPECT_EQ(sums.groups()[0].sums[0].toDouble(), 30.0);
    EXPECT_EQ(sums.groups()[0].sums[1].toDouble(), 1.0);
}
