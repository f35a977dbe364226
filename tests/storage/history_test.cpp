// The history the data files keep of their recorded tables: what a save, a
// new row, a deletion and a restore leave, and that a restore gives back
// every row as it stood.
#include <gtest/gtest.h>

#include "base/workstation.h"
#include "storage/columns.h"
#include "storage/database.h"
#include "storage/history.h"
#include "storage/recordsource.h"
#include "storagebackend.h"
#include "tempdatafolder.h"

using vela::Database;
namespace schema = vela::schema;
namespace history = vela::history;

namespace {

class HistoryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        auto opened = Database::open("veladata.mdb");
        ASSERT_TRUE(opened) << opened.errorText().toStdString();
        db = std::move(*opened);
        ASSERT_TRUE(db->exec(
            "INSERT INTO VelaData (Sorszám, recordID, CegNev, Netto, Brutto, Kivezetés, "
            "FIGYELEM, Datumig) VALUES (1, 'r1', 'Alfa Kft', 100, 127, 'N', 0, '2025-01-31'), "
            "(2, 'r2', 'Béta', 200.5, 254.64, 'I', 1, NULL), (3, 'r3', 'Gamma', -5, -6.35, "
            "'N', 0, '2025-02-28')"));
    }
    QList<history::Entry> historyOf(qint64 key) {
        auto h = history::rowHistory(*db, schema::velaData(), key);
        EXPECT_TRUE(h) << h.errorText().toStdString();
        return h ? *h : QList<history::Entry>{};
    }
    std::vector<Database::Row> ledger() {
        return db->rows("SELECT * FROM VelaData ORDER BY Kulcs").value();
    }

    TempDataFolder folder;
    std::unique_ptr<Database> db;
};

}  // namespace

TEST_F(HistoryTest, ASaveOfThreeFieldsLeavesOneEntryPerChangedField) {
    vela::RecordSource rs;
    rs.setDatabase(db.get());
    rs.setQuery(vela::Query(schema::velaData(), {}, {{"Sorszám", true}}));
    ASSERT_TRUE(rs.refresh());
    ASSERT_TRUE(rs.setBookmark(1));
    ASSERT_TRUE(rs.setField("CegNev", "Alfa Zrt"));
    ASSERT_TRUE(rs.setField("Netto", 150.25));
    ASSERT_TRUE(rs.setField("Datumig", QDate(2025, 3, 1)));
    ASSERT_TRUE(rs.setField("Megnevezes", QVariant()));  // null before and after: no change
    ASSERT_TRUE(rs.update());

    const QList<history::Entry> h = historyOf(1);
    struct Want {
        const char* column;
        const char* before;
        const char* after;
    };
    const Want want[] = {{"CegNev", "Alfa Kft", "Alfa Zrt"},
                         {"Netto", "100.0", "150.25"},
                         {"Datumig", "2025-01-31", "2025-03-01"}};
    ASSERT_EQ(h.size(), 4);  // and the row's making
    EXPECT_EQ(h.last().action, "U");
    for (const Want& w : want) {
        const auto it = std::find_if(h.begin(), h.end(),
                                     [&](const history::Entry& e) { return e.column == w.column; });
        ASSERT_NE(it, h.end()) << w.column;
        EXPECT_EQ(it->action, "M");
        EXPECT_EQ(it->oldValue.toString(), w.before) << w.column;
        EXPECT_EQ(it->newValue.toString(), w.after) << w.column;
        EXPECT_EQ(it->sorszam.toLongLong(), 1);
        EXPECT_EQ(it->recordId.toString(), "r1");
        EXPECT_EQ(it->host, vela::workstationName());
        EXPECT_EQ(it->user, vela::systemUserName());
        EXPECT_EQ(it->when.size(), 23);  // YYYY-MM-DD HH:MM:SS.SSS
    }
}

TEST_F(HistoryTest, DeletingAllThenRestoringAllGivesBackTheLedgerFieldByField) {
    const auto before = ledger();
    ASSERT_TRUE(db->exec("DELETE FROM VelaData"));
    auto deleted = history::deletedRows(*db, schema::velaData());
    ASSERT_TRUE(deleted);
    ASSERT_EQ(deleted->size(), 3);
    EXPECT_EQ(deleted->first().values.value("recordID").toString(), "r3");  // newest first
    EXPECT_EQ(deleted->first().user, vela::systemUserName());

    QList<qint64> ids;
    for (const history::DeletedRow& r : *deleted) ids << r.id;
    auto keys = history::restore(*db, schema::velaData(), ids);
    ASSERT_TRUE(keys) << keys.errorText().toStdString();
    EXPECT_EQ(keys->size(), 3);
    const auto after = ledger();
    ASSERT_EQ(after.size(), before.size());
    for (size_t r = 0; r < before.size(); ++r) {
        for (qsizetype c = 0; c < before[r].size(); ++c) {
            EXPECT_EQ(after[r][c], before[r][c]) << "row " << r << " column " << c;
            EXPECT_EQ(after[r][c].typeId(), before[r][c].typeId())
                << "row " << r << " column " << c;
        }
    }
    // Restored rows leave the list, and a second restore brings nothing twice.
    EXPECT_TRUE(history::deletedRows(*db, schema::velaData())->isEmpty());
    EXPECT_TRUE(history::restore(*db, schema::velaData(), ids)->isEmpty());
    EXPECT_EQ(ledger().size(), before.size());

    // The restore is itself recorded, and the row's history runs on across it.
    const QList<history::Entry> h = historyOf(2);
    ASSERT_GE(h.size(), 2);
    EXPECT_EQ(h[0].action, "V");
    EXPECT_EQ(h[1].action, "T");
    // A later insert of this connection is a new row again.
    ASSERT_TRUE(db->exec("INSERT INTO VelaData (Sorszám, recordID) VALUES (9, 'r9')"));
    EXPECT_EQ(historyOf(db->scalar("SELECT max(Kulcs) FROM VelaData")->toLongLong())[0].action,
              "U");
}

TEST_F(HistoryTest, AKeyTakenSinceGetsAFreshOneAndAReusedKeyStartsAFreshHistory) {
    ASSERT_TRUE(db->exec("UPDATE VelaData SET CegNev = 'Régi' WHERE Kulcs = 3"));
    ASSERT_TRUE(db->exec("DELETE FROM VelaData WHERE Kulcs = 3"));
    ASSERT_TRUE(db->exec("INSERT INTO VelaData (Sorszám, recordID) VALUES (4, 'r4')"));
    // The new row took key 3: its history is its own.
    const QList<history::Entry> fresh = historyOf(3);
    ASSERT_EQ(fresh.size(), 1);
    EXPECT_EQ(fresh[0].action, "U");
    EXPECT_EQ(fresh[0].recordId.toString(), "r4");

    auto keys = history::restore(*db, schema::velaData(),
                                 {history::deletedRows(*db, schema::velaData())->first().id});
    ASSERT_TRUE(keys);
    ASSERT_EQ(keys->size(), 1);
    EXPECT_EQ(keys->first(), 4);
    EXPECT_EQ(db->scalar("SELECT CegNev FROM VelaData WHERE recordID = 'r3'")->toString(), "Régi");
}

TEST_F(HistoryTest, EveryRecordedFileGetsItsHistoryAndReadOnlyOnesNone) {
    const struct {
        const char* file;
        const vela::TableDef& table;
    } files[] = {{"veladata.mdb", schema::velaData()},
                 {"veladata.mdb", schema::velanakData()},
                 {"betarol.kdb", schema::beraktar()},
                 {"parameter.kdb", schema::emblemaPath()}};
    for (const auto& f : files) {
        auto opened = Database::open(f.file);
        ASSERT_TRUE(opened) << f.file;
        auto installed = history::installed(**opened, f.table);
        ASSERT_TRUE(installed);
        EXPECT_TRUE(*installed) << f.file << " " << f.table.name.toStdString();
    }
    auto readOnly = Database::openPath(folder.file("LFakturo.mdb"), {}, true);
    ASSERT_TRUE(readOnly);
    EXPECT_FALSE((*readOnly)->hasTable("Valtozasok"));
}

// The same recording on the data folder's files and on the server: a write
// past the program (bare SQL) is recorded field by field, and a ledger
// deleted whole comes back field by field.
namespace {

class HistoryOnEitherBackend : public ::testing::TestWithParam<vela::test::Backend> {
  protected:
    void SetUp() override {
        auto opened = backend.open(GetParam(), "veladata.mdb", {"VelaData"});
        ASSERT_TRUE(opened) << opened.errorText().toStdString();
        db = std::move(*opened);
        ASSERT_TRUE(
            exec("INSERT INTO VelaData (Sorszám, recordID, CegNev, Brutto, Kivezetés, "
                 "Datumig) VALUES (1, 'r1', 'Alfa Kft', 127, 'N', '2025-01-31'), "
                 "(2, 'r2', 'Béta''s', 254.5, 'I', NULL)"));
    }
    vela::Status exec(const QString& sql) {
        return db->exec(vela::test::StorageBackend::sql(GetParam(), sql));
    }
    std::vector<Database::Row> ledger() {
        return db
            ->rows(vela::test::StorageBackend::sql(GetParam(),
                                                   "SELECT * FROM VelaData ORDER BY Kulcs"))
            .value();
    }
    qint64 keyOf(const char* recordId) {
        return db
            ->scalar(vela::test::StorageBackend::sql(
                         GetParam(), "SELECT Kulcs FROM VelaData WHERE recordID = ?1"),
                     {recordId})
            ->toLongLong();
    }

    vela::test::StorageBackend backend;
    std::unique_ptr<Database> db;
};

}  // namespace

TEST_P(HistoryOnEitherBackend, AWritePastTheProgramAndAWholeDeletionAreRecordedAndUndone) {
    const qint64 first = keyOf("r1");
    ASSERT_TRUE(
        exec("UPDATE VelaData SET CegNev = 'Alfa Zrt', Kivezetés = 'I', Datumig = NULL "
             "WHERE recordID = 'r1'"));
    auto h = history::rowHistory(*db, schema::velaData(), first);
    ASSERT_TRUE(h) << h.errorText().toStdString();
    QStringList changes;
    for (const history::Entry& e : *h)
        changes << QStringLiteral("%1 %2: %3 -> %4")
                       .arg(e.action, e.column, e.oldValue.toString(), e.newValue.toString());
    changes.sort();
    EXPECT_EQ(changes, (QStringList{"M CegNev: Alfa Kft -> Alfa Zrt", "M Datumig: 2025-01-31 -> ",
                                    "M Kivezetés: N -> I", "U :  -> "}));

    const auto before = ledger();
    ASSERT_TRUE(exec("DELETE FROM VelaData"));
    auto deleted = history::deletedRows(*db, schema::velaData());
    ASSERT_TRUE(deleted) << deleted.errorText().toStdString();
    ASSERT_EQ(deleted->size(), 2);
    QList<qint64> ids;
    for (const history::DeletedRow& r : *deleted) ids << r.id;
    auto keys = history::restore(*db, schema::velaData(), ids);
    ASSERT_TRUE(keys) << keys.errorText().toStdString();
    const auto after = ledger();
    ASSERT_EQ(after.size(), before.size());
    for (size_t r = 0; r < before.size(); ++r)
        for (qsizetype c = 0; c < before[r].size(); ++c)
            EXPECT_EQ(after[r][c], before[r][c]) << "row " << r << " column " << c;
    h = history::rowHistory(*db, schema::velaData(), first);
    ASSERT_TRUE(h && h->size() >= 2);
    EXPECT_EQ((*h)[0].action, "V");
    EXPECT_EQ((*h)[1].action, "T");
}

INSTANTIATE_TEST_SUITE_P(Backends, HistoryOnEitherBackend,
                         ::testing::Values(vela::test::Backend::Files, vela::test::Backend::Server),
                         vela::test::backendName);
