// The Online Számla import window: the published samples staged and handed
// over into the ledgers, modifications of a booked invoice, the files it
// refuses, twice is once, and the interface query against a stand-in server.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>

#include "import/navcredentials.h"
#include "importwindow/navszamlaimportformx.h"
#include "ledger/ledgerwindow.h"
#include "navstandinserver.h"
#include "storage/database.h"
#include "tempdatafolder.h"
#include "ui/appcontext.h"
#include "ui/datepicker.h"
#include "ui/scripteddialogservice.h"
#include "ui/windowopener.h"

using namespace vela;

namespace {

const QString kSamples = QStringLiteral(VELA_SHARED_TESTDATA "/nav/samples/");

// A keyring in memory.
class MapStore : public SecretStore {
  public:
    void read(const QString& key,
              std::function<void(Result<std::optional<QString>>)> done) override {
        done(entries.contains(key) ? std::optional<QString>(entries[key]) : std::nullopt);
    }
    void write(const QString& key, const QString& value,
               std::function<void(Status)> done) override {
        entries[key] = value;
        done(Status{});
    }
    QMap<QString, QString> entries;
};

class NavImport : public ::testing::Test {
  protected:
    void SetUp() override {
        ctx.dialogs = &dialogs;
        ctx.opener = &opener;
        ctx.db.openAll();
        ASSERT_TRUE(ctx.db.veladata && ctx.db.betarol && ctx.db.parameters);
        own(QStringLiteral("99999999"));
    }
    void TearDown() override {
        window.reset();
        ctx.db.closeAll();
    }

    void own(const QString& taxNumber) {
        ASSERT_TRUE(ctx.db.parameters->exec(QStringLiteral("DELETE FROM EmblemaPath")));
        ASSERT_TRUE(ctx.db.parameters->exec(
            QStringLiteral("INSERT INTO EmblemaPath (SajatAdoszam, DevizaNem) VALUES (?, 'Ft')"),
            {taxNumber}));
    }

    void open() {
        window = std::make_unique<NavSzamlaImportFormX>(ctx);
        window->setRowIdMaker(
            [this](const QDateTime&) { return QStringLiteral("ID%1").arg(++ids); });
        window->setClock([] { return QDateTime(QDate(2024, 3, 1), QTime(10, 0)); });
        window->setSecretStore(&secrets);
        window->show();
    }

    // Hands over; the question is answered yes.
    void handOver() { window->findChild<QPushButton*>("Command3")->click(); }

    int rows(const char* table) {
        return ctx.db.veladata->scalar(QStringLiteral("SELECT count(*) FROM ") + table)->toInt();
    }

    TempDataFolder folder;
    ScriptedDialogService dialogs;
    ScriptedWindowOpener opener;
    AppContext ctx;
    MapStore secrets;
    std::unique_ptr<NavSzamlaImportFormX> window;
    int ids = 0;
};

struct Row {
    const char* number;
    const char* partner;
    double net;
    double gross;
    const char* currency;
    const char* issued;
    const char* due;
    const char* settled;
};

}  // namespace

TEST_F(NavImport, EverySampleStagedFromTheFolderAndHandedOverIntoTheReceivables) {
    open();
    window->findChild<QLineEdit*>("Text1")->setText(kSamples);
    window->findChild<QPushButton*>("Command1")->click();
    ASSERT_EQ(window->staged().size(), 22) << dialogs.texts().join("\n").toStdString();
    // The same number and partner a second time (another sample of the same
    // invoice) is marked, not handed over; 2021/000123 comes three times, but
    // to three partners (two tax numbers and a private person).
    QStringList twice;
    for (int r = 0; r < window->grid()->rowCount(); ++r)
        if (!window->grid()->item(r, NavSzamlaImportFormX::Booked)->text().isEmpty())
            twice << window->grid()->item(r, NavSzamlaImportFormX::Number)->text();
    EXPECT_EQ(twice, (QStringList{"AAA000567", "ZZZ000002", "ZZZ000009", "2021/00345"}));
    // The list shows a modification of an invoice above it as it will be
    // written: against that invoice (see ZZZ000002 below).
    QStringList shown;
    for (const NavStagedInvoice& s : window->staged())
        if (s.entry.Szamlaszam == "ZZZ000002" && s.state == NavStagedInvoice::State::New)
            shown << QString::number(s.entry.Brutto, 'f', 0);
    EXPECT_EQ(shown, QStringList{"-4191000"});

    handOver();
    EXPECT_EQ(window->report().receivables, 18);
    EXPECT_EQ(window->report().payables, 0);
    EXPECT_EQ(window->report().skipped, 4);
    // Beszerző Kft under each of its two tax numbers, Käufer Gmbh.
    EXPECT_EQ(window->report().partnersAdded, 3);
    EXPECT_EQ(dialogs.texts().last(),
              "Az átadás kész.\n\nTartoznak (Vevő): 18 számla\nTartozunk (Szállító): 0 számla\n"
              "Új partner a partnertörzsben: 3\nMár a nyilvántartásban volt, nem került át: 4");

    const Row expected[] = {
        {"2021/00345", "Beszerző Kft", 4000, 5080, "EUR", "2021-05-15", "2021-05-30", "N"},
        {"AAA000567", "Beszerző Kft", 500000, 635000, "Ft", "2021-05-15", "2021-05-10", "I"},
        {"2021/000123A", "Beszerző Kft", 2980000, 3263000, "Ft", "2021-05-15", "2021-05-30", "N"},
        {"2021/000123", "Beszerző Kft", 4952000, 6157040, "Ft", "2021-05-15", "2021-05-30", "N"},
        {"2021/000123", "Magánszemély", 4952, 6157, "Ft", "2021-05-15", "2021-05-30", "N"},
        {"2021/000123", "Beszerző Kft", 4952000, 6157040, "Ft", "2021-05-15", "2021-05-30", "N"},
        {"AAA000568", "Beszerző Kft", 100000, 127000, "Ft", "2021-06-01", "2021-06-09", "N"},
        {"ZZZ000001", "Beszerző Kft", 5500000, 6985000, "Ft", "2021-05-15", "2021-05-30", "N"},
        {"2021/00235", "Beszerző Kft", 6032000, 7396640, "Ft", "2021-05-15", "2021-05-30", "N"},
        {"ZZZ000009", "Beszerző Kft", -2200000, -2794000, "Ft", "2021-05-20", "2021-05-20", "N"},
        {"2021/00345", "Käufer Gmbh", 19120, 19120.40, "EUR", "2021-05-15", "2021-05-30", "N"},
        {"ZZZ000005", "Beszerző Kft", 0, 0, "Ft", "2021-05-20", "2021-05-30", "N"},
        // The whole original taken back: what is still open of it, 6 985 000 less
        // the 2 794 000 of the first modification.
        {"ZZZ000002", "Beszerző Kft", -3300000, -4191000, "Ft", "2021-05-20", "2021-05-30", "N"},
        {"SZ00001", "Beszerző Kft", 600000, 762000, "Ft", "2021-05-15", "2021-05-10", "I"},
        {"SZ00003", "Beszerző Kft", 600000, 762000, "Ft", "2021-05-15", "2021-05-10", "I"},
        {"SZ00004", "Beszerző Kft", 0, 0, "Ft", "2021-05-16", "2021-06-15", "N"},
        {"SZ00004", "Beszerző Kft", 0, 0, "Ft", "2021-05-16", "2021-06-20", "N"},
        {"SZ00004", "Beszerző Kft", 0, 0, "Ft", "2021-05-16", "2021-06-25", "N"},
    };
    const auto got = ctx.db.veladata->rows(QStringLiteral(
        "SELECT Sorszám, Szamlaszam, CegNev, Netto, Brutto, Devizanem, Datumtol, Datumig, "
        "Kivezetés, Adatfelvetel FROM VelanakData ORDER BY Sorszám"));
    ASSERT_TRUE(got);
    ASSERT_EQ(got->size(), std::size(expected));
    EXPECT_EQ(rows("VelaData"), 0);
    for (size_t i = 0; i < std::size(expected); ++i) {
        const auto& r = (*got)[i];
        const Row& e = expected[i];
        SCOPED_TRACE(e.number);
        EXPECT_EQ(r[0].toLongLong(), qint64(i + 1));
        EXPECT_EQ(r[1].toString(), e.number);
        EXPECT_EQ(r[2].toString(), e.partner);
        EXPECT_DOUBLE_EQ(r[3].toDouble(), e.net);
        EXPECT_DOUBLE_EQ(r[4].toDouble(), e.gross);
        EXPECT_EQ(r[5].toString(), e.currency);
        EXPECT_EQ(r[6].toString(), e.issued);
        EXPECT_EQ(r[7].toString(), e.due);
        EXPECT_EQ(r[8].toString(), e.settled);
        EXPECT_EQ(r[9].toString(), "2024-03-01");
    }
    const auto note = ctx.db.veladata->scalar(
        QStringLiteral("SELECT Megjegyzés FROM VelanakData WHERE Sorszám = 13"));
    EXPECT_EQ(note->toString(), "érvényteleníti: ZZZ000001, 1. módosítás");
    const auto partners = ctx.db.betarol->rows(QStringLiteral(
        "SELECT BerNev, BerAdoszam, BerEUAdoszam, recordID, VevöBeszállitó FROM beraktar "
        "ORDER BY recordID"));
    ASSERT_TRUE(partners);
    ASSERT_EQ(partners->size(), 3u);
    EXPECT_EQ((*partners)[1][1].toString(), "87654321-5-02");
    EXPECT_EQ((*partners)[2][0].toString(), "Käufer Gmbh");
    EXPECT_EQ((*partners)[2][2].toString(), "DE888888888");
    EXPECT_EQ((*partners)[2][4].toString(), "V");

    // Twice is once: the folder staged again is all in the ledger already.
    window = nullptr;
    open();
    window->stageFiles({kSamples});
    for (int r = 0; r < window->grid()->rowCount(); ++r)
        EXPECT_FALSE(window->grid()->item(r, NavSzamlaImportFormX::Booked)->text().isEmpty()) << r;
    EXPECT_FALSE(window->findChild<QPushButton*>("Command3")->isEnabled());
    window->Command3_Click();
    EXPECT_EQ(dialogs.texts().last(),
              "Nincs átadandó számla: a listában minden számla már a nyilvántartásban van.");
    EXPECT_EQ(rows("VelanakData"), 18);
}

TEST_F(NavImport, AnInvoiceToUsGoesIntoThePayablesWithItsSupplierAsANewPartner) {
    own(QStringLiteral("99887764"));
    ASSERT_TRUE(ctx.db.betarol->exec(QStringLiteral(
        "INSERT INTO beraktar (BerNev, BerAdoszam, recordID) VALUES ('Régi Partner', "
        "'11111111-2-41', 7)")));
    open();
    window->stageFiles({kSamples + "Belfoldi vegszamla.xml"});
    handOver();
    const auto got = ctx.db.veladata->rows(QStringLiteral(
        "SELECT Szamlaszam, CegNev, CegCim, Netto, Brutto, AFA, FizetésMódja FROM VelaData"));
    ASSERT_TRUE(got && got->size() == 1u);
    EXPECT_EQ((*got)[0][0].toString(), "AAA000568");
    EXPECT_EQ((*got)[0][1].toString(), "Értékesítő Kft");
    EXPECT_EQ((*got)[0][2].toString(), "1234 Budapest Hármas utca 1");
    EXPECT_DOUBLE_EQ((*got)[0][4].toDouble(), 127000);
    EXPECT_DOUBLE_EQ((*got)[0][5].toDouble(), 27);
    EXPECT_EQ((*got)[0][6].toString(), "átutalás");
    const auto partner = ctx.db.betarol->rows(QStringLiteral(
        "SELECT BerNev, BerSzamlaszam, recordID, VevöBeszállitó FROM beraktar WHERE recordID = 8"));
    ASSERT_TRUE(partner && partner->size() == 1u);
    EXPECT_EQ((*partner)[0][0].toString(), "Értékesítő Kft");
    EXPECT_EQ((*partner)[0][1].toString(), "12345678-12345678-12345678");
    EXPECT_EQ((*partner)[0][3].toString(), "B");
}

TEST_F(NavImport, ModificationAndCancellationOfABookedInvoiceFromTheLedgerMenu) {
    LedgerWindow ledger(ctx, LedgerKind::Receivables);
    ledger.show();
    QApplication::processEvents();
    // Each step: the file handed over through the menu, then the ledger's figure.
    const struct {
        const char* file;
        const char* total;
    } steps[] = {
        {"Eredeti szamla modositasokhoz.xml", "6985000.-"},
        {"Modositas es ervenytelenites 1.xml", "4191000.-"},
        {"Teves termek helyesbitese 20.xml", "0.-"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.file);
        opener.handlers << [&](QDialog& w) {
            auto& nav = static_cast<NavSzamlaImportFormX&>(w);
            nav.stageFiles({kSamples + step.file});
            nav.findChild<QPushButton*>("Command3")->click();
        };
        ledger.menuItem("NavSzamla")->trigger();
        EXPECT_EQ(ledger.openTotalText(), step.total);
    }
    EXPECT_EQ(ledger.rows().recordCount(), 3);
}

TEST_F(NavImport, RefusedFilesAreToldAndNothingIsWritten) {
    QTemporaryDir dir;
    QFile sample(kSamples + "Belfoldi vegszamla.xml");
    ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
    const QByteArray good = sample.readAll();
    QByteArray huge = good;
    huge.insert(huge.indexOf("<invoiceNumber>"),
                "<!--" + QByteArray(50 * 1024 * 1024, 'x') + "-->");
    const struct {
        const char* name;
        QByteArray content;
        const char* own;
        const char* said;  // a part of the message
    } cases[] = {
        {"csonka.xml", good.left(good.size() / 2), "99999999", "csonka.xml"},
        {"regi.xml",
         QByteArray(good).replace("http://schemas.nav.gov.hu/OSA/3.0/data",
                                  "http://schemas.nav.gov.hu/OSA/2.0/data"),
         "99999999", "2.0"},
        {"entitas.xml",
         QByteArray(good).replace("<?xml version=\"1.0\" encoding=\"UTF-8\"?>",
                                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?><!DOCTYPE x [<!ENTITY "
                                  "e SYSTEM \"file:///etc/passwd\">]>"),
         "99999999", "entitas.xml"},
        {"nagy.xml", huge, "99999999", "nagy.xml"},
        {"idegen.xml", good, "12121212", "sem nem a mi számlánk"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        own(QString::fromLatin1(c.own));
        QFile f(dir.filePath(c.name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(c.content);
        f.close();
        open();
        const int before = int(dialogs.shown.size());
        window->stageFiles({f.fileName()});
        ASSERT_EQ(int(dialogs.shown.size()), before + 1);
        EXPECT_TRUE(dialogs.texts().last().contains(QString::fromUtf8(c.said)))
            << dialogs.texts().last().toStdString();
        EXPECT_TRUE(window->staged().isEmpty());
        EXPECT_FALSE(window->findChild<QPushButton*>("Command3")->isEnabled());
        f.remove();
    }
    EXPECT_EQ(rows("VelanakData") + rows("VelaData"), 0);
    EXPECT_EQ(ctx.db.betarol->scalar(QStringLiteral("SELECT count(*) FROM beraktar"))->toInt(), 0);
}

// A row the ledger refuses (a partner name too long for it) takes the whole
// hand-over back, partners included; without it the rest goes through.
TEST_F(NavImport, AFailedWriteWritesNothingAndTheRestGoesWhenItIsDropped) {
    QTemporaryDir dir;
    QFile sample(kSamples + "Belfoldi vegszamla.xml");
    ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
    QFile bad(dir.filePath("hosszu.xml"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write(
        sample.readAll().replace("<customerName>Beszerző Kft</customerName>",
                                 "<customerName>" + QByteArray(300, 'x') + "</customerName>"));
    bad.close();
    open();
    window->stageFiles({kSamples + "Belfoldi termekertekesites.xml", bad.fileName()});
    ASSERT_EQ(window->staged().size(), 2);
    handOver();
    EXPECT_TRUE(
        dialogs.texts().last().startsWith("A(z) „AAA000568” számla (hosszu.xml) nem írható"))
        << dialogs.texts().last().toStdString();
    EXPECT_EQ(rows("VelanakData") + rows("VelaData"), 0);
    EXPECT_EQ(ctx.db.betarol->scalar(QStringLiteral("SELECT count(*) FROM beraktar"))->toInt(), 0);

    window->grid()->selectRow(1);
    window->findChild<QPushButton*>("Command2")->click();
    handOver();
    EXPECT_EQ(window->report().receivables, 1);
    EXPECT_EQ(window->report().partnersAdded, 1);
    EXPECT_EQ(
        ctx.db.veladata->scalar(QStringLiteral("SELECT Szamlaszam FROM VelanakData"))->toString(),
        "2021/000123");
}

TEST_F(NavImport, TheInterfaceQueryStagesWhatIsNotBookedAndTellsAWrongPassword) {
    navstandin::StandInServer nav;
    const struct {
        const char* password;
        int staged;
        const char* message;  // a part of the last message; empty: none shown
    } cases[] = {
        {"Titkos-Jelszo1", 5, ""},
        {"rossz", 0, "Hibás a technikai felhasználó neve vagy jelszava"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.password);
        NavTechnicalUser user = navstandin::kUser;
        user.password = QString::fromLatin1(c.password);
        std::optional<Status> saved;
        NavCredentials(secrets).save(user, [&](Status s) { saved = s; });
        ASSERT_TRUE(saved && *saved);
        open();
        window->setEndpoint(nav.url());
        window->findChild<DatePicker*>("DTPicker1")->setDate(QDate(2021, 5, 1));
        window->findChild<DatePicker*>("DTPicker2")->setDate(QDate(2021, 5, 31));
        window->findChild<QComboBox*>("Combo1")->setCurrentIndex(1);
        const int before = int(dialogs.shown.size());
        QEventLoop loop;
        QObject::connect(window.get(), &NavSzamlaImportFormX::queryFinished, &loop,
                         &QEventLoop::quit);
        QTimer::singleShot(60000, &loop, &QEventLoop::quit);
        window->findChild<QPushButton*>("Command4")->click();
        if (window->querying())
            loop.exec();
        EXPECT_EQ(window->staged().size(), c.staged);
        if (*c.message) {
            ASSERT_GT(int(dialogs.shown.size()), before);
            EXPECT_TRUE(dialogs.texts().last().contains(QString::fromUtf8(c.message)))
                << dialogs.texts().last().toStdString();
        } else {
            EXPECT_EQ(int(dialogs.shown.size()), before)
                << dialogs.texts().join("\n").toStdString();
        }
    }
    EXPECT_EQ(nav.problems, QStringList{});
}
