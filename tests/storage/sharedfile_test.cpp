// Two connections to one file in one process stand for two workstations: what
// one does to a row the other still shows must not be lost without a word.
#include <gtest/gtest.h>

#include <QElapsedTimer>

#include "base/statement.h"
#include "storage/aggregatequery.h"
#include "storage/columns.h"
#include "storage/database.h"
#include "storage/query.h"
#include "storage/recordsource.h"
#include "tempdatafolder.h"

using vela::Database;
using vela::RecordSource;

namespace {

std::unique_ptr<Database> openLedger() {
    auto opened = Database::open("veladata.mdb");
    EXPECT_TRUE(opened) << opened.errorText().toStdString();
    if (!opened)
        return nullptr;
    return std::move(*opened);
}

}  // namespace

TEST(SharedFile, EditOfARowTheOtherDeletedIsRefusedAndTheOtherRowsKeepTheirs) {
    TempDataFolder folder;
    auto mine = openLedger();
    auto theirs = openLedger();
    ASSERT_TRUE(mine && theirs);
    for (const char* name : {"Első Kft.", "Második Bt."})
        ASSERT_TRUE(mine->exec("INSERT INTO VelaData (CegNev) VALUES (?)", {QString(name)}));

    RecordSource rs;
    rs.setDatabase(mine.get());
    rs.setQuery(vela::Query(vela::schema::velaData(), {}, {{"CegNev"}}));
    ASSERT_TRUE(rs.refresh());
    ASSERT_EQ(rs.recordCount(), 2);
    ASSERT_EQ(rs.field("CegNev").toString(), "Első Kft.");

    ASSERT_TRUE(theirs->exec("DELETE FROM VelaData WHERE CegNev = ?", {QString("Első Kft.")}));
    ASSERT_TRUE(rs.setField("Megnevezes", QString("javítás")));
    const vela::Status refused = rs.update();
    EXPECT_FALSE(refused);
    EXPECT_TRUE(refused.errorText().contains("másik munkaállomás törölte"))
        << refused.errorText().toStdString();
    rs.cancelUpdate();

    // The row still there takes the edit, and the other connection sees it.
    ASSERT_TRUE(rs.moveNext());
    ASSERT_TRUE(rs.setField("Megnevezes", QString("javítás")));
    const vela::Status updated = rs.update();
    EXPECT_TRUE(updated) << updated.errorText().toStdString();
    EXPECT_EQ(*theirs->scalar("SELECT Megnevezes FROM VelaData WHERE CegNev = ?",
                              {QString("Második Bt.")}),
              QVariant("javítás"));
    ASSERT_TRUE(rs.requery());
    EXPECT_EQ(rs.recordCount(), 1);
}

TEST(SharedFile, AHeldFileIsWaitedForThenNamedInHungarianAndTheEditStaysPending) {
    TempDataFolder folder;
    auto mine = openLedger();
    auto theirs = openLedger();
    ASSERT_TRUE(mine && theirs);
    RecordSource rs;
    rs.setDatabase(mine.get());
    rs.setQuery(vela::Query(vela::schema::velaData()));
    ASSERT_TRUE(rs.refresh());

    ASSERT_TRUE(theirs->begin());
    ASSERT_TRUE(theirs->exec("INSERT INTO VelaData (CegNev) VALUES ('Tartó Kft.')"));
    ASSERT_TRUE(rs.addNew());
    ASSERT_TRUE(rs.setField("CegNev", QString("Váró Kft.")));
    QElapsedTimer waited;
    waited.start();
    const vela::Status refused = rs.update();
    EXPECT_FALSE(refused);
    EXPECT_GE(waited.elapsed(), 2500);  // the busy timeout, 3 s
    EXPECT_TRUE(!refused && refused.error().busy());
    EXPECT_EQ(refused.errorText(),
              "A(z) „veladata.mdb” adatbázisba most egy másik munkaállomás ír. A program néhány "
              "másodpercig várt rá, de nem sikerült; próbálja újra egy kis idő múlva!");
    EXPECT_TRUE(rs.addingNew());

    ASSERT_TRUE(theirs->commit());
    const vela::Status written = rs.update();
    EXPECT_TRUE(written) << written.errorText().toStdString();
    EXPECT_EQ(mine->scalar("SELECT count(*) FROM VelaData")->toInt(), 2);
}

TEST(SharedFile, AFollowedTotalTakesInWhatTheOtherWorkstationWrote) {
    TempDataFolder folder;
    auto mine = openLedger();
    auto theirs = openLedger();
    ASSERT_TRUE(mine && theirs);
    ASSERT_TRUE(mine->exec("INSERT INTO VelaData (CegNev, Brutto) VALUES ('Első', 100)"));

    RecordSource rs;
    rs.setDatabase(mine.get());
    rs.setQuery(vela::Query(vela::schema::velaData()));
    ASSERT_TRUE(rs.refresh());
    vela::AggregateQuery total;
    total.setDatabase(mine.get());
    total.setSum(vela::schema::velaData(), {vela::Amount{"Brutto"}});
    total.follow(&rs);
    ASSERT_TRUE(total.requery());
    EXPECT_EQ(total.value().toDouble(), 100);

    // A save of mine is followed without reading the table again ...
    ASSERT_TRUE(rs.setField("Brutto", 150));
    ASSERT_TRUE(rs.update());
    const int runs = total.fullRuns();
    ASSERT_TRUE(total.requery());
    EXPECT_EQ(total.value().toDouble(), 150);
    EXPECT_EQ(total.fullRuns(), runs);

    // ... but a row the other workstation added is read in at the next requery.
    ASSERT_TRUE(theirs->exec("INSERT INTO VelaData (CegNev, Brutto) VALUES ('Másik', 25)"));
    ASSERT_TRUE(total.requery());
    EXPECT_EQ(total.value().toDouble(), 175);
}
