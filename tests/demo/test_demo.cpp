// The demo data folder: what veladata-demo makes must open through the
// storage layer and hold rows that follow the ledger's own rules.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <cmath>
#include <map>
#include <memory>

#include "demofoldermaker.h"
#include "demowords.h"
#include "storage/columns.h"
#include "storage/database.h"

using vela::Database;

namespace {

const QDate kToday(2024, 6, 15);

struct RunResult {
    int exitCode = -1;
    QString output;
};

RunResult runMaker(const QStringList& args) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral(VELA_BIN_DIR "/veladata-demo"), args);
    p.waitForFinished(120000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAll())};
}

std::unique_ptr<Database> openIn(const QString& dir, const QString& name,
                                 const QStringList& tables) {
    auto opened = Database::openPath(Database::findFile(dir, name), tables);
    EXPECT_TRUE(opened) << opened.errorText().toStdString();
    if (!opened)
        return nullptr;
    return std::move(*opened);
}

bool validDate(const QVariant& v) {
    const QString s = v.toString();
    return s.size() == 10 && QDate::fromString(s, Qt::ISODate).isValid();
}

bool sameMoney(double a, double b) {
    return std::fabs(a - b) <= 1e-9 * std::max(1.0, std::fabs(a));
}

class DemoFolderTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir_ = new QTemporaryDir;
        folder_ = dir_->filePath(QStringLiteral("demo"));
        const RunResult r = runMaker({"--today", kToday.toString(Qt::ISODate), folder_});
        ASSERT_EQ(r.exitCode, 0) << qPrintable(r.output);
    }
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }

    static QTemporaryDir* dir_;
    static QString folder_;
};

QTemporaryDir* DemoFolderTest::dir_ = nullptr;
QString DemoFolderTest::folder_;

TEST_F(DemoFolderTest, DatabasesOpenWithTheirRows) {
    auto vela = openIn(folder_, "veladata.mdb", {"VelaData", "VelanakData", "VelaIdeigl"});
    auto partners = openIn(folder_, "betarol.kdb", {"beraktar", "TorzsOrszagok"});
    auto params = openIn(folder_, "parameter.kdb", {"EmblemaPath"});
    auto staging = openIn(folder_, "LFakturo.mdb", {"OsszesSzamla"});
    ASSERT_TRUE(vela && partners && params && staging);

    EXPECT_EQ(vela->scalar("SELECT count(*) FROM VelaData")->toInt(), 300);
    EXPECT_EQ(vela->scalar("SELECT count(*) FROM VelanakData")->toInt(), 300);
    EXPECT_EQ(vela->scalar("SELECT count(*) FROM VelaIdeigl")->toInt(), 0);
    EXPECT_EQ(staging->scalar("SELECT count(*) FROM OsszesSzamla")->toInt(), 0);

    // Partners: identifiers 1..50, Hungarian addresses, known countries.
    EXPECT_EQ(partners->scalar("SELECT count(*) FROM beraktar")->toInt(), 50);
    EXPECT_EQ(partners
                  ->scalar("SELECT count(DISTINCT recordID) || '/' || min(recordID) || '/' || "
                           "max(recordID) FROM beraktar")
                  ->toString(),
              "50/1/50");
    EXPECT_GT(partners->scalar("SELECT count(*) FROM beraktar WHERE BerOrszag = 'HU'")->toInt(),
              40);
    EXPECT_EQ(partners
                  ->scalar("SELECT count(*) FROM beraktar WHERE BerOrszag NOT IN "
                           "(SELECT \"OrszágKód\" FROM TorzsOrszagok)")
                  ->toInt(),
              0);
    EXPECT_EQ(partners
                  ->scalar("SELECT count(*) FROM beraktar WHERE UgyfelStatus NOT IN "
                           "('0','1','2','3','4') OR \"VevöBeszállitó\" NOT IN ('V','B','') "
                           "OR BerIrszam GLOB '*[^0-9]*' OR BerAdoszam GLOB '*[^0-9]*' "
                           "OR BerSzamlaszam GLOB '*[^0-9]*' OR length(BerTelefon) > 15")
                  ->toInt(),
              0);
    const int countries = partners->scalar("SELECT count(*) FROM TorzsOrszagok")->toInt();
    EXPECT_GE(countries, 40);
    EXPECT_EQ(partners
                  ->scalar("SELECT count(DISTINCT \"OrszágKód\") FROM TorzsOrszagok WHERE "
                           "\"OrszágKód\" GLOB '[A-Z][A-Z]'")
                  ->toInt(),
              countries);
    EXPECT_EQ(partners
                  ->scalar("SELECT \"OrszágMegnevezés\" FROM TorzsOrszagok WHERE "
                           "\"OrszágKód\" = 'HU'")
                  ->toString(),
              QStringLiteral("Magyarország"));

    // One parameters row pointing at the stand-in invoicing database.
    const auto rowsRead = params->rows("SELECT * FROM EmblemaPath");
    ASSERT_TRUE(rowsRead) << rowsRead.errorText().toStdString();
    const auto& rows = *rowsRead;
    ASSERT_EQ(rows.size(), 1u);
    const auto& p = rows[0];
    EXPECT_TRUE(p[0].isNull() && p[1].isNull() && p[4].isNull() && p[6].isNull());
    EXPECT_EQ(p[2].toInt(), 0);
    EXPECT_EQ(p[3].toString(), "Ft");
    const QString interfacePath = p[5].toString();
    EXPECT_EQ(interfacePath, QDir(folder_).absoluteFilePath("FakturoW"));
    EXPECT_TRUE(QDir::isAbsolutePath(interfacePath));
    EXPECT_TRUE(QFile::exists(interfacePath + "/LFAKTURO.MDB"));
}

TEST_F(DemoFolderTest, LedgerRowsFollowTheLedgerRules) {
    auto db = openIn(folder_, "veladata.mdb", {"VelaData", "VelanakData"});
    ASSERT_TRUE(db);
    const QRegularExpression rowIdForm(QStringLiteral("^\\d{6,8}\\d{1,5}(,\\d{1,2})?$"));
    for (const char* table : {"VelaData", "VelanakData"}) {
        SCOPED_TRACE(table);
        const vela::TableDef& def =
            QString(table) == "VelaData" ? vela::schema::velaData() : vela::schema::velanakData();
        auto col = [&](const char* name) { return def.indexOf(QString::fromUtf8(name)); };
        const auto rowsRead =
            db->rows(QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(table));
        ASSERT_TRUE(rowsRead) << rowsRead.errorText().toStdString();
        const auto& rows = *rowsRead;
        ASSERT_EQ(rows.size(), 300u);

        QSet<QString> methods, currencies, flags;
        qint64 lastSorszam = 0;
        int overdue = 0, attention = 0, remarks = 0, emptyFlags = 0;
        for (const auto& r : rows) {
            // Sorszám runs 1, 2, 3 ... with partial rows repeating their base row's number.
            const qint64 s = r[col("Sorszám")].toLongLong();
            ASSERT_TRUE(s == lastSorszam || s == lastSorszam + 1) << s;
            lastSorszam = s;

            const double net = r[col("Netto")].toDouble();
            const double vat = r[col("AFA")].toDouble();
            EXPECT_TRUE(vat == 27 || vat == 18 || vat == 5 || vat == 0) << vat;
            EXPECT_TRUE(sameMoney(net * (100 + vat) / 100, r[col("Brutto")].toDouble()));

            for (const char* d : {"Datumtol", "Datumig", "Adatfelvetel", "Teljesités"})
                EXPECT_TRUE(validDate(r[col(d)])) << d << " " << qPrintable(r[col(d)].toString());
            const QVariant paid = r[col("BankiKiegyenlitésKelte")];
            EXPECT_TRUE(paid.isNull() || validDate(paid));
            EXPECT_LE(r[col("Datumtol")].toString(), r[col("Datumig")].toString());
            EXPECT_LE(r[col("Adatfelvetel")].toString(), kToday.toString(Qt::ISODate));

            const QString id = r[col("recordID")].toString();
            EXPECT_TRUE(rowIdForm.match(id).hasMatch()) << qPrintable(id);
            const bool partial = r[col("Részkiegyenlités")].toInt() == 1;
            if (!partial) {
                // A base row's identifier starts with its recording day's digits.
                const QDate rec = QDate::fromString(r[col("Adatfelvetel")].toString(), Qt::ISODate);
                EXPECT_TRUE(id.startsWith(QString::number(rec.year()) +
                                          QString::number(rec.month()) +
                                          QString::number(rec.day())))
                    << qPrintable(id);
                methods << r[col("FizetésMódja")].toString();
            }
            currencies << r[col("Devizanem")].toString();
            const QVariant flag = r[col("Kivezetés")];
            flags << flag.toString();
            const bool open = flag.toString() != "I";
            if (flag.isNull() || flag.toString().isEmpty())
                ++emptyFlags;
            if (open && r[col("Datumig")].toString() < kToday.toString(Qt::ISODate))
                ++overdue;
            if (r[col("FIGYELEM")].toInt() == 1) {
                ++attention;
                EXPECT_FALSE(r[col("FigyelemMegjegyzés")].toString().isEmpty());
            }
            if (!r[col("Megjegyzés")].toString().isEmpty())
                ++remarks;
        }
        for (const QString& m : vela::demo::paymentMethods())
            EXPECT_TRUE(methods.contains(m)) << qPrintable(m);
        EXPECT_EQ(methods.size(), 8);
        EXPECT_TRUE(currencies.contains("Ft") && currencies.contains("EUR"));
        EXPECT_TRUE(flags.contains("I") && flags.contains("N"));
        EXPECT_GT(emptyFlags, 0);
        EXPECT_GT(overdue, 0);
        EXPECT_GT(attention, 0);
        EXPECT_GT(remarks, 0);
    }
}

TEST_F(DemoFolderTest, PartialPaymentsMatchTheirBaseRows) {
    auto db = openIn(folder_, "veladata.mdb", {"VelaData", "VelanakData"});
    ASSERT_TRUE(db);
    for (const char* table : {"VelaData", "VelanakData"}) {
        SCOPED_TRACE(table);
        const QString t = QString::fromLatin1(table);
        const auto partialsRead = db->rows(
            QStringLiteral("SELECT \"Sorszám\", Szamlaszam, \"RészÖsszeg\", \"RészÖsszegBruttó\", "
                           "AFA, \"Kivezetés\" FROM %1 WHERE \"Részkiegyenlités\" = 1")
                .arg(t));
        ASSERT_TRUE(partialsRead) << partialsRead.errorText().toStdString();
        const auto& partials = *partialsRead;
        ASSERT_GT(partials.size(), 3u);
        for (const auto& p : partials) {
            const auto baseRead =
                db->rows(QStringLiteral("SELECT Szamlaszam, \"Kivezetés\", Netto FROM %1 WHERE "
                                        "\"Sorszám\" = ? AND \"Részkiegyenlités\" = 0")
                             .arg(t),
                         {p[0]});
            ASSERT_TRUE(baseRead) << baseRead.errorText().toStdString();
            const auto& base = *baseRead;
            ASSERT_EQ(base.size(), 1u) << p[0].toLongLong();
            EXPECT_EQ(base[0][0], p[1]);
            EXPECT_EQ(base[0][1], p[5]);
            EXPECT_GT(p[2].toDouble(), 0);
            EXPECT_LT(p[2].toDouble(), base[0][2].toDouble());
            EXPECT_TRUE(
                sameMoney(p[2].toDouble() * (100 + p[4].toDouble()) / 100, p[3].toDouble()));
        }
        // RészösszegÖsszesen of every row is the sum of the positive partial
        // amounts booked against its invoice number.
        EXPECT_EQ(db->scalar(QStringLiteral(
                                 "SELECT count(*) FROM %1 AS r WHERE abs(\"RészösszegÖsszesen\" - "
                                 "(SELECT coalesce(sum(\"RészÖsszeg\"), 0) FROM %1 AS o WHERE "
                                 "o.Szamlaszam = r.Szamlaszam AND o.\"RészÖsszeg\" > 0)) > 1e-6")
                                 .arg(t))
                      ->toInt(),
                  0);
        // The outstanding figure the ledger window shows for all rows.
        const double open =
            db->scalar(QStringLiteral("SELECT sum(Brutto) FROM %1 WHERE \"Kivezetés\" = 'N' AND "
                                      "\"Részkiegyenlités\" = 0")
                           .arg(t))
                ->toDouble() -
            db->scalar(QStringLiteral("SELECT sum(\"RészÖsszegBruttó\") FROM %1 WHERE "
                                      "\"Kivezetés\" = 'N'")
                           .arg(t))
                ->toDouble();
        EXPECT_GT(open, 0);
    }
}

TEST_F(DemoFolderTest, InvoicingDatabaseHasTheSixTables) {
    auto opened =
        Database::openPath(QDir(folder_).filePath("FakturoW/LFAKTURO.MDB"),
                           {"SZAMLA", "ATUTAL", "UTANVET", "NYUGTA", "SZALLITO", "SZAMLAHE"}, true);
    ASSERT_TRUE(opened) << opened.errorText().toStdString();
    auto db = std::move(*opened);
    const QStringList expected = {"SZAMLASOR INTEGER", "VEVONEV TEXT",    "VEVOSZEKH TEXT",
                                  "VEVOCIM TEXT",      "FIZ_MOD TEXT",    "SZML_KELTE TEXT",
                                  "ESEDEKES TEXT",     "MEGNEVEZES TEXT", "AFA REAL",
                                  "KIEGYENOSZ REAL",   "PENZNEM TEXT",    "NETTO_ERTE REAL",
                                  "BRUTTO REAL",       "TELJ_DATUM TEXT"};
    const std::map<QString, QSet<QString>> kinds = {
        {"SZAMLA", {"készpénzes"}},   {"ATUTAL", {"átutalás", "átutalás E"}},
        {"UTANVET", {"utánvét"}},     {"NYUGTA", {"nyugta"}},
        {"SZALLITO", {"szállítól."}}, {"SZAMLAHE", {"proforma-k", "proforma-a"}}};
    int lines = 0;
    for (const auto& [table, methods] : kinds) {
        SCOPED_TRACE(qPrintable(table));
        QStringList columns;
        const auto info = db->rows(QStringLiteral("PRAGMA table_info(%1)").arg(table));
        ASSERT_TRUE(info) << info.errorText().toStdString();
        for (const auto& r : *info) columns << r[1].toString() + " " + r[2].toString();
        EXPECT_EQ(columns, expected);
        EXPECT_TRUE(db->scalar("SELECT 1 FROM sqlite_master WHERE type = 'index' AND tbl_name = ? "
                               "AND sql LIKE '%(SZAMLASOR)%'",
                               {table})
                        ->isValid());
        QSet<QString> seen;
        const auto paid = db->rows(QStringLiteral("SELECT DISTINCT FIZ_MOD FROM %1").arg(table));
        ASSERT_TRUE(paid) << paid.errorText().toStdString();
        for (const auto& r : *paid) seen << r[0].toString();
        EXPECT_EQ(seen, methods);
        // Invoices of one to five lines, each line's gross from its net.
        EXPECT_EQ(db->scalar(QStringLiteral("SELECT count(*) FROM (SELECT count(*) AS n FROM %1 "
                                            "GROUP BY SZAMLASOR) WHERE n < 1 OR n > 5")
                                 .arg(table))
                      ->toInt(),
                  0);
        EXPECT_EQ(db->scalar(QStringLiteral("SELECT count(*) FROM %1 WHERE abs(NETTO_ERTE * "
                                            "(100 + AFA) / 100 - BRUTTO) > 1e-6 OR "
                                            "date(SZML_KELTE) IS NOT SZML_KELTE OR "
                                            "date(ESEDEKES) IS NOT ESEDEKES OR "
                                            "date(TELJ_DATUM) IS NOT TELJ_DATUM OR "
                                            "typeof(SZAMLASOR) <> 'integer'")
                                 .arg(table))
                      ->toInt(),
                  0);
        lines += db->scalar(QStringLiteral("SELECT count(*) FROM %1").arg(table))->toInt();
    }
    EXPECT_GE(lines, 300);
}

// The maker never overwrites someone's folder by accident, and the same
// seed and day give the same rows.
TEST(DemoMakerTest, RefusesAFolderInUseUnlessForced) {
    QTemporaryDir tmp;
    const QString folder = tmp.filePath("data");
    QDir().mkpath(folder);
    QFile keep(QDir(folder).filePath("sajat.txt"));
    ASSERT_TRUE(keep.open(QIODevice::WriteOnly));
    keep.write("marad");
    keep.close();

    RunResult r = runMaker({folder});
    EXPECT_NE(r.exitCode, 0);
    EXPECT_TRUE(r.output.contains("--force")) << qPrintable(r.output);
    EXPECT_FALSE(QFile::exists(QDir(folder).filePath("veladata.mdb")));

    r = runMaker({"--force", "--today", "2024-06-15", folder});
    ASSERT_EQ(r.exitCode, 0) << qPrintable(r.output);
    EXPECT_TRUE(QFile::exists(QDir(folder).filePath("sajat.txt")));
    // A second forced run replaces the databases instead of adding rows.
    r = runMaker({"--force", "--today", "2024-06-15", folder});
    ASSERT_EQ(r.exitCode, 0) << qPrintable(r.output);

    const QString other = tmp.filePath("other");
    ASSERT_EQ(runMaker({"--today", "2024-06-15", other}).exitCode, 0);
    auto a = openIn(folder, "veladata.mdb", {"VelaData"});
    auto b = openIn(other, "veladata.mdb", {"VelaData"});
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->scalar("SELECT count(*) FROM VelaData")->toInt(), 300);
    const auto rowsA = a->rows("SELECT * FROM VelaData ORDER BY rowid");
    const auto rowsB = b->rows("SELECT * FROM VelaData ORDER BY rowid");
    ASSERT_TRUE(rowsA && rowsB);
    EXPECT_EQ(*rowsA, *rowsB);

    EXPECT_NE(runMaker({"--ledger-rows", "sok", tmp.filePath("x")}).exitCode, 0);
    EXPECT_NE(runMaker({}).exitCode, 0);
}

// A template that is no database stops the maker with SQLite's code in the
// Error, so the caller can tell damage from other failures; a folder in use
// is refused with its own reason, which is no damage.
TEST(DemoMakerTest, FailuresCarryTheirReasonAndTellDamage) {
    QTemporaryDir tmp;
    const QString templates = tmp.filePath("templates");
    QDir().mkpath(templates);
    for (const vela::DatabaseDef& def : vela::schema::databases())
        ASSERT_TRUE(QFile::copy(QDir(QStringLiteral(VELA_TEMPLATE_DIR)).filePath(def.fileName),
                                QDir(templates).filePath(def.fileName)));
    QFile broken(QDir(templates).filePath("veladata.mdb"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly | QIODevice::Truncate));
    broken.write(QByteArray(4096, 'x'));
    broken.close();

    vela::demo::DemoOptions options;
    options.today = kToday;
    options.templateDir = templates;
    options.extraDir = tmp.filePath("none");
    const vela::Status damaged = vela::demo::DemoFolderMaker(options).make(tmp.filePath("a"));
    ASSERT_FALSE(damaged);
    EXPECT_TRUE(damaged.error().damaged()) << damaged.errorText().toStdString();

    const QString used = tmp.filePath("used");
    QDir().mkpath(used);
    QFile keep(QDir(used).filePath("sajat.txt"));
    ASSERT_TRUE(keep.open(QIODevice::WriteOnly));
    keep.write("marad");
    keep.close();
    options.templateDir = QStringLiteral(VELA_TEMPLATE_DIR);
    const vela::Status refused = vela::demo::DemoFolderMaker(options).make(used);
    ASSERT_FALSE(refused);
    EXPECT_FALSE(refused.error().damaged());
    EXPECT_EQ(refused.errorText(),
              QStringLiteral("A(z) „%1” mappa nem üres; a felülíráshoz adja meg a "
                             "--force kapcsolót!")
                  .arg(QDir::toNativeSeparators(QDir(used).absolutePath())));
}

TEST(DemoMakerTest, LargeLedgerKeepsItsIndexesAndTheDataFolderFilesAreCopied) {
    QTemporaryDir tmp;
    // The files every data folder carries, in their layout.
    const QString extra = tmp.filePath("DataFolder");
    QDir().mkpath(extra + "/data");
    QDir().mkpath(extra + "/Segedlet");
    for (const char* f :
         {"/data/VelaDataStatTartozunk.xls", "/Segedlet/AdatszolgaltatoFormX.rtf"}) {
        QFile file(extra + f);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("x");
    }
    vela::demo::DemoOptions options;
    options.payablesRows = 25000;
    options.receivablesRows = 10;
    options.today = kToday;
    options.templateDir = QStringLiteral(VELA_TEMPLATE_DIR);
    options.extraDir = extra;
    vela::demo::DemoFolderMaker maker(options);
    const QString folder = tmp.filePath("big");
    const vela::Status made = maker.make(folder);
    ASSERT_TRUE(made) << made.errorText().toStdString();

    EXPECT_TRUE(QFile::exists(folder + "/data/VelaDataStatTartozunk.xls"));
    EXPECT_TRUE(QFile::exists(folder + "/Segedlet/AdatszolgaltatoFormX.rtf"));
    auto db = openIn(folder, "veladata.mdb", {"VelaData"});
    ASSERT_TRUE(db);
    EXPECT_EQ(db->scalar("SELECT count(*) FROM VelaData")->toInt(), 25000);
    EXPECT_EQ(db->scalar("SELECT count(*) FROM VelanakData")->toInt(), 10);
    for (const vela::IndexDef& ix : vela::schema::velaData().indexes)
        EXPECT_TRUE(
            db->scalar("SELECT 1 FROM sqlite_master WHERE type = 'index' AND name = ?", {ix.name})
                ->isValid())
            << qPrintable(ix.name);
    EXPECT_EQ(db->scalar("PRAGMA integrity_check")->toString(), "ok");
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
