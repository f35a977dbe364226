#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "common/tempdatafolder.h"
#include "maintenance/maintenancerun.h"
#include "maintenance/pagesalvage.h"
#include "reptesthelpers.h"

using velarep::MaintenanceRun;

namespace {

const QDateTime kStart(QDate(2024, 5, 2), QTime(9, 0, 0));
const QString kBackup = QStringLiteral("SAVE-20240502-090000");

struct Runner {
    explicit Runner(const QString& templateDir = TempDataFolder::templateDir())
        : run(templateDir, dialogs, &view) {
        run.setClock([] { return kStart; });
    }
    ScriptedRepDialogs dialogs;
    RecordingView view;
    MaintenanceRun run;
    QString endText() const {
        return dialogs.boxes.isEmpty() ? QString() : dialogs.boxes.last().text;
    }
};

// A VelaData of an older program version: the same columns, no constraints,
// no indexes, so its Yes/No columns can hold nulls.
void olderLedgerShape() {
    ASSERT_TRUE(
        sql::exec("veladata.mdb",
                  "CREATE TABLE Regi AS SELECT * FROM VelaData WHERE 0; DROP TABLE VelaData; "
                  "ALTER TABLE Regi RENAME TO VelaData"));
}

// `n` ledger rows in VelaData, wide enough for about 20 rows a page; the
// Yes/No column FIGYELEM null where the shape allows it.
void fillLedger(int n, bool olderShape = false) {
    if (olderShape)
        olderLedgerShape();
    ASSERT_TRUE(sql::exec(
        "veladata.mdb",
        QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE "
                       "i < %1) INSERT INTO VelaData (\"Sorszám\", Szamlaszam, CegNev, Netto, "
                       "recordID, FIGYELEM) SELECT i, 'SZ-' || i, 'Partner ' || i || ' ' || "
                       "printf('%.*c', 120, 'x'), i * 10, 'R' || i, %2 FROM n")
            .arg(n)
            .arg(olderShape ? "NULL" : "0")));
}

struct PageInfo {
    int page;
    int cells;
};

// The table's pages of one kind in tree order (leaves thus in rowid order).
std::vector<PageInfo> pages(const QString& file, const QString& name, const QString& type) {
    std::vector<PageInfo> out;
    for (const QString& r :
         sql::rows(file, QStringLiteral("SELECT pageno, ncell FROM dbstat WHERE name = '%1' AND "
                                        "pagetype = '%2' ORDER BY path")
                             .arg(name, type)))
        out.push_back({r.section('|', 0, 0).toInt(), r.section('|', 1, 1).toInt()});
    return out;
}

int pageSize(const QString& file) {
    return sql::rows(file, "PRAGMA page_size").value(0).toInt();
}

// Overwrites whole pages (from byte `from` of each) with a pattern no page starts with.
void damage(const QString& file, const std::vector<int>& pageNumbers, int from = 0) {
    const int size = pageSize(file);
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    for (int p : pageNumbers) {
        f.seek(qint64(p - 1) * size + from);
        f.write(QByteArray(size - from, '\x5a'));
    }
}

QStringList recordIds(const QString& file) {
    return sql::rows(file, "SELECT recordID FROM VelaData ORDER BY rowid");
}

}  // namespace

TEST(DamagedDatabase, RowsOfDamagedLeafPagesAreTheOnlyOnesLost) {
    TempDataFolder data;
    fillLedger(3000, true);
    const QStringList all = recordIds("veladata.mdb");
    const auto leaves = pages("veladata.mdb", "VelaData", "leaf");
    ASSERT_GT(leaves.size(), 100u);
    // Two leaves apart and one beside the second: the rows on them, by page arithmetic.
    const std::set<size_t> hit = {10, 60, 61};
    QStringList expected;
    int lost = 0, position = 0;
    for (size_t i = 0; i < leaves.size(); ++i) {
        for (int c = 0; c < leaves[i].cells; ++c, ++position) {
            if (hit.count(i))
                ++lost;
            else
                expected << all[position];
        }
    }
    ASSERT_EQ(position, 3000);
    damage("veladata.mdb", {leaves[10].page, leaves[60].page, leaves[61].page});
    const QByteArray damaged = readFile("veladata.mdb");

    Runner r;
    ASSERT_TRUE(r.run.run());
    EXPECT_EQ(r.dialogs.questions(), 0);
    EXPECT_EQ(recordIds("veladata.mdb"), expected);
    EXPECT_EQ(expected.size(), 3000 - lost);
    EXPECT_EQ(sql::rows("veladata.mdb", "PRAGMA integrity_check"), QStringList{"ok"});
    // The copy turns a null Yes/No into No.
    EXPECT_EQ(sql::rows("veladata.mdb", "SELECT count(*) FROM VelaData WHERE FIGYELEM = 0"),
              QStringList{QString::number(3000 - lost)});
    EXPECT_TRUE(r.endText().contains(QString::fromUtf8("veladata.mdb / VelaData: %1 sor megmentve, "
                                                       "%2 sor nem olvasható")
                                         .arg(3000 - lost)
                                         .arg(lost)))
        << r.endText().toStdString();
    EXPECT_TRUE(
        r.endText().contains(QString::fromUtf8("a sérült eredeti a mentési mappában marad")));
    // The damaged original stays in the backup as it was.
    EXPECT_EQ(readFile(kBackup + "/veladata.mdb"), damaged);
}

TEST(DamagedDatabase, InteriorPageLostAllRowsStillComeAcross) {
    TempDataFolder data;
    fillLedger(20000);
    const QStringList all = recordIds("veladata.mdb");
    // A non-root interior page: the leaves under it are cut off from the tree.
    const auto interior = pages("veladata.mdb", "VelaData", "internal");
    ASSERT_GE(interior.size(), 3u);
    damage("veladata.mdb", {interior[1].page});

    Runner r;
    ASSERT_TRUE(r.run.run());
    EXPECT_EQ(recordIds("veladata.mdb"), all);
    EXPECT_TRUE(r.endText().contains(
        QString::fromUtf8("veladata.mdb / VelaData: 20000 sor megmentve, 0 sor nem olvasható")))
        << r.endText().toStdString();
    // Other tables of the same shape get none of the cut-off rows.
    EXPECT_EQ(sql::count("veladata.mdb", "VelanakData"), 0);
}

TEST(DamagedDatabase, RootPageLostRowsFoundByTheirPages) {
    TempDataFolder data;
    fillLedger(3000);
    const QStringList all = recordIds("veladata.mdb");
    const auto root = pages("veladata.mdb", "VelaData", "internal");
    ASSERT_EQ(root.size(), 1u);
    damage("veladata.mdb", {root[0].page});
    Runner r;
    ASSERT_TRUE(r.run.run());
    EXPECT_EQ(recordIds("veladata.mdb"), all);
    EXPECT_TRUE(r.endText().contains(QString::fromUtf8(
        "veladata.mdb / VelaData: 3000 sor megmentve, ismeretlen számú sor nem olvasható")))
        << r.endText().toStdString();
}

TEST(DamagedDatabase, DamagedIndexEveryRowComesAcross) {
    TempDataFolder data;
    fillLedger(3000);
    const QStringList all = recordIds("veladata.mdb");
    const QStringList indexes =
        sql::rows("veladata.mdb",
                  "SELECT name FROM sqlite_master WHERE type = 'index' AND tbl_name = "
                  "'VelaData' AND sql IS NOT NULL ORDER BY name");
    ASSERT_FALSE(indexes.isEmpty());
    std::vector<int> hit;
    for (const QString& ix : indexes) {
        const auto leaves = pages("veladata.mdb", ix, "leaf");
        if (leaves.size() > 2)
            hit.push_back(leaves[leaves.size() / 2].page);
    }
    ASSERT_FALSE(hit.empty());
    damage("veladata.mdb", hit);
    ASSERT_NE(sql::rows("veladata.mdb", "PRAGMA integrity_check"), QStringList{"ok"});

    Runner r;
    ASSERT_TRUE(r.run.run());
    EXPECT_EQ(recordIds("veladata.mdb"), all);
    EXPECT_EQ(sql::rows("veladata.mdb", "PRAGMA integrity_check"), QStringList{"ok"});
    EXPECT_EQ(r.endText(), QString::fromUtf8("Karbantartás vége! (Esc kilép)\n\nÁtkerült sorok:\n"
                                             "veladata.mdb: VelaData 3000 sor"));
}

TEST(DamagedDatabase, SchemaPageLostTablesReadByTheTemplate) {
    TempDataFolder data;
    fillUserRows();
    sql::exec("betarol.kdb",
              "WITH RECURSIVE n(i) AS (SELECT 3 UNION ALL SELECT i + 1 FROM n WHERE i < 500) "
              "INSERT INTO beraktar (BerNev, recordID) SELECT 'Partner ' || i, i FROM n");
    const QStringList partners =
        sql::rows("betarol.kdb", "SELECT BerNev FROM beraktar ORDER BY rowid");
    // The table list after the 100-byte file header.
    damage("betarol.kdb", {1}, 100);

    Runner r;
    ASSERT_TRUE(r.run.run()) << r.endText().toStdString();
    EXPECT_EQ(r.dialogs.questions(), 0);
    EXPECT_EQ(sql::rows("betarol.kdb", "SELECT BerNev FROM beraktar ORDER BY rowid"), partners);
    EXPECT_EQ(sql::rows("betarol.kdb", "SELECT OrszágKód, OrszágMegnevezés FROM TorzsOrszagok"),
              QStringList{QString::fromUtf8("HU|Magyarország")});
    EXPECT_TRUE(
        r.endText().contains(QString::fromUtf8("betarol.kdb: a táblák leírása sérült; a sorokat a "
                                               "sablon szerkezete alapján olvastam ki.")))
        << r.endText().toStdString();
    // The other databases are untouched by it.
    EXPECT_EQ(sql::count("veladata.mdb", "VelaData"), 3);
}

TEST(DamagedDatabase, DamagedPartnerTableLeafOfAnotherDatabase) {
    TempDataFolder data;
    fillUserRows();
    sql::exec("betarol.kdb",
              "WITH RECURSIVE n(i) AS (SELECT 3 UNION ALL SELECT i + 1 FROM n WHERE i < 2000) "
              "INSERT INTO beraktar (BerNev, recordID) SELECT 'Partner ' || i || "
              "printf('%.*c', 100, 'y'), i FROM n");
    const auto leaves = pages("betarol.kdb", "beraktar", "leaf");
    ASSERT_GT(leaves.size(), 10u);
    damage("betarol.kdb", {leaves[5].page});
    Runner r;
    ASSERT_TRUE(r.run.run());
    EXPECT_EQ(sql::count("betarol.kdb", "beraktar"), 2000 - leaves[5].cells);
    EXPECT_TRUE(r.endText().contains(QString::fromUtf8("betarol.kdb / beraktar: %1 sor megmentve, "
                                                       "%2 sor nem olvasható")
                                         .arg(2000 - leaves[5].cells)
                                         .arg(leaves[5].cells)))
        << r.endText().toStdString();
}

// The page reader refuses what is no SQLite file at all: a file too short or
// with a header no SQLite file has is damage, a file that is not there is not.
TEST(PageSalvage, FilesItCannotReadAreErrorsThatTellDamage) {
    QTemporaryDir dir;
    const QString missing = dir.filePath("nincs.db");
    const auto none = velarep::PageSalvage::open(missing);
    ASSERT_FALSE(none);
    EXPECT_FALSE(none.error().damaged());

    const QString shortFile = dir.filePath("rovid.db");
    {
        QFile f(shortFile);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("SQLite format 3\0", 16));
    }
    const auto cut = velarep::PageSalvage::open(shortFile);
    ASSERT_FALSE(cut);
    EXPECT_TRUE(cut.error().damaged());
    EXPECT_EQ(cut.errorText(), QString::fromUtf8("az állomány csonka"));

    const QString badHeader = dir.filePath("fejlec.db");
    {
        QFile f(badHeader);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        QByteArray bytes(4096, '\0');
        bytes.replace(0, 16, QByteArray("SQLite format 3\0", 16));
        bytes[16] = 3;  // a page size of 768: no power of two
        f.write(bytes);
    }
    const auto header = velarep::PageSalvage::open(badHeader);
    ASSERT_FALSE(header);
    EXPECT_TRUE(header.error().damaged());
    EXPECT_EQ(header.errorText(), QString::fromUtf8("az állomány fejléce sérült"));
}
