// Online Számla invoices: every published sample read and mapped to its
// ledger row, the interface's wrapped form, and the files that are refused.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "import/navinvoicereader.h"
#include "import/navledgermapper.h"
#include "navstandinserver.h"

using namespace vela;

namespace {

const QString kSamples = QStringLiteral(VELA_SHARED_TESTDATA "/nav/samples/");

struct Expected {
    const char* file;
    int batchIndex;  // which member of a batch; 0 outside one
    const char* number;
    NavLedger ledger;
    NavEntryKind kind;
    const char* partner;
    const char* address;
    const char* item;
    double net;
    double gross;
    double vat;  // -1: no single rate
    const char* currency;
    const char* issued;
    const char* due;
    const char* payment;
    const char* note;
};

constexpr auto R = NavLedger::Receivables;
constexpr auto I = NavEntryKind::Invoice;
constexpr auto A = NavEntryKind::Advance;
constexpr auto M = NavEntryKind::Modification;
const char* const kBuyer = "Beszerző Kft";
const char* const kPecs = "7600 Pécs Északi sugárút 123";
const char* const kMunich = "81543 München North Avenue 123";

// Taken by hand from the sample files; the business is the supplier, 99999999.
const Expected kRows[] = {
    {"Belfoldi devizas vegszamla tobb eloleg tetel.xml", 0, "2021/00345", R, I, kBuyer, kPecs,
     "Érlelt szalámi + 2 tétel", 4000.00, 5080.00, 27, "EUR", "2021-05-15", "2021-05-30",
     "átutalás", ""},
    {"Belfoldi elolegszamla egysegar nelkul .xml", 0, "AAA000567", R, A, kBuyer, kPecs,
     "konyhabútor előleg", 500000, 635000, 27, "Ft", "2021-05-15", "2021-05-10", "átutalás E", ""},
    {"Belfoldi elolegszamla.xml", 0, "AAA000567", R, A, kBuyer, kPecs, "konyhabútor előleg", 500000,
     635000, 27, "Ft", "2021-05-15", "2021-05-10", "átutalás E", ""},
    {"Belfoldi ertekesites tobb AFA tipus.xml", 0, "2021/000123A", R, I, kBuyer, kPecs,
     "Búza vetőmag + 8 tétel", 2980000, 3263000, -1, "Ft", "2021-05-15", "2021-05-30", "átutalás",
     ""},
    {"Belfoldi termekertekesites AFA csoportok kozott.xml", 0, "2021/000123", R, I, kBuyer, kPecs,
     "Hűtött házi sertés (fél) + 3 tétel", 4952000, 6157040, -1, "Ft", "2021-05-15", "2021-05-30",
     "", ""},
    {"Belfoldi termekertekesites maganszemelynek.xml", 0, "2021/000123", R, I, "Magánszemély", "",
     "Hűtött házi sertés (fél) + 3 tétel", 4952, 6157, -1, "Ft", "2021-05-15", "2021-05-30", "",
     ""},
    {"Belfoldi termekertekesites.xml", 0, "2021/000123", R, I, kBuyer, kPecs,
     "Hűtött házi sertés (fél) + 3 tétel", 4952000, 6157040, -1, "Ft", "2021-05-15", "2021-05-30",
     "", ""},
    {"Belfoldi vegszamla.xml", 0, "AAA000568", R, I, kBuyer, kPecs, "konyhabútor + 1 tétel", 100000,
     127000, 27, "Ft", "2021-06-01", "2021-06-09", "átutalás", ""},
    {"Eredeti szamla modositasokhoz.xml", 0, "ZZZ000001", R, I, kBuyer, kPecs, "A termék + 4 tétel",
     5500000, 6985000, 27, "Ft", "2021-05-15", "2021-05-30", "átutalás", ""},
    {"Gyujtoszamla 1.xml", 0, "2021/00235", R, I, kBuyer, kPecs,
     "Hűtött házi sertés (fél) + 3 tétel", 6032000, 7396640, -1, "Ft", "2021-05-15", "2021-05-30",
     "átutalás", ""},
    {"Modositas es ervenytelenites 1.xml", 0, "ZZZ000009", R, M, kBuyer, kPecs,
     "A-E termék 40% kedvezmény minőségi hiba miatt", -2200000, -2794000, 27, "Ft", "2021-05-20",
     "2021-05-20", "átutalás", "módosítja: ZZZ000001, 1. módosítás"},
    {"Tagorszagi devizas szamla.xml", 0, "2021/00345", R, I, "Käufer Gmbh", kMunich,
     "Hűtött házi sertés (fél) + 2 tétel", 19120.00, 19120.40, -1, "EUR", "2021-05-15",
     "2021-05-30", "átutalás", ""},
    {"Teteladatok modositasa.xml", 0, "ZZZ000005", R, M, kBuyer, kPecs, "A termék", 0, 0, 27, "Ft",
     "2021-05-20", "2021-05-30", "átutalás", "módosítja: ZZZ000001, 1. módosítás"},
    {"Teves termek helyesbitese 20.xml", 0, "ZZZ000002", R, M, kBuyer, kPecs, "A termék + 4 tétel",
     -5500000, -6985000, 27, "Ft", "2021-05-20", "2021-05-30", "átutalás",
     "módosítja: ZZZ000001, 1. módosítás"},
    {"Teves termek helyesbitese.xml", 0, "ZZZ000002", R, M, kBuyer, kPecs, "D termék + 1 tétel",
     -1000000, -1270000, 27, "Ft", "2021-05-20", "2021-05-30", "átutalás",
     "módosítja: ZZZ000001, 1. módosítás"},
    {"Tobb szamla modositasa egy okirattal alap 1.xml", 0, "SZ00001", R, A, kBuyer, kPecs,
     "Konyhabútor A típus", 600000, 762000, 27, "Ft", "2021-05-15", "2021-05-10", "átutalás E", ""},
    {"Tobb szamla modositasa egy okirattal alap 3.xml", 0, "SZ00003", R, A, kBuyer, kPecs,
     "Konyhabútor C típus", 600000, 762000, 27, "Ft", "2021-05-15", "2021-05-10", "átutalás E", ""},
    {"Tobb szamla modositasa egy okirattal.xml", 1, "SZ00004", R, M, kBuyer, kPecs, "", 0, 0, 27,
     "Ft", "2021-05-16", "2021-06-15", "", "módosítja: SZ00001, 1. módosítás"},
    {"Tobb szamla modositasa egy okirattal.xml", 2, "SZ00004", R, M, kBuyer, kPecs, "", 0, 0, 27,
     "Ft", "2021-05-16", "2021-06-20", "", "módosítja: SZ00002, 1. módosítás"},
    {"Tobb szamla modositasa egy okirattal.xml", 3, "SZ00004", R, M, kBuyer, kPecs, "", 0, 0, 27,
     "Ft", "2021-05-16", "2021-06-25", "", "módosítja: SZ00003, 1. módosítás"},
    {"Tobbszoros modositas 1.xml", 0, "ZZZ000009", R, M, kBuyer, kPecs, "F termék", 3600000,
     4572000, 27, "Ft", "2021-05-20", "2021-05-20", "átutalás",
     "módosítja: ZZZ000001, 1. módosítás"},
    {"Uj kozlekedesi eszkoz export.xml", 0, "2021/00345", R, I, "Käufer Gmbh", kMunich,
     "Személygépkocsi", 8000.00, 8000.40, -1, "EUR", "2021-05-15", "2021-05-30", "átutalás", ""},
};

const NavBusiness kSupplier{QStringLiteral("99999999"), QStringLiteral("Ft")};

NavInvoice readOne(const QString& file, int batchIndex = 0) {
    const auto read = NavInvoiceReader::readFile(kSamples + file);
    EXPECT_TRUE(read) << read.errorText().toStdString();
    if (!read)
        return {};
    for (const NavInvoice& inv : *read) {
        if (inv.batchIndex == batchIndex)
            return inv;
    }
    ADD_FAILURE() << "no batch member " << batchIndex << " in " << file.toStdString();
    return {};
}

using navstandin::gzip;

QByteArray sample(const QString& file) {
    QFile f(kSamples + file);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return f.readAll();
}

QByteArray dataResponse(const QByteArray& invoiceData, bool compressed) {
    return QByteArray(R"(<?xml version="1.0" encoding="UTF-8"?>
<QueryInvoiceDataResponse xmlns="http://schemas.nav.gov.hu/OSA/3.0/api" xmlns:common="http://schemas.nav.gov.hu/NTCA/1.0/common">
<common:header><common:requestId>R1</common:requestId><common:timestamp>2021-06-01T10:00:00.000Z</common:timestamp><common:requestVersion>3.0</common:requestVersion></common:header>
<common:result><common:funcCode>OK</common:funcCode></common:result>
<software/>
<invoiceDataResult><invoiceData>)") +
           invoiceData.toBase64() +
           QByteArray(
               R"(</invoiceData><auditData><insDate>2021-05-15T10:00:00Z</insDate><insCusUser>abcdef</insCusUser><source>XML</source><transactionId>2BA4DGH38FK7KFCT</transactionId><originalRequestVersion>3.0</originalRequestVersion></auditData>
<compressedContentIndicator>)") +
           (compressed ? "true" : "false") +
           "</compressedContentIndicator></invoiceDataResult></QueryInvoiceDataResponse>";
}

}  // namespace

TEST(NavSamples, EverySampleReadAndMappedToItsLedgerRow) {
    const QStringList files = QDir(kSamples).entryList({"*.xml"}, QDir::Files);
    ASSERT_EQ(files.size(), 20);
    QSet<QString> covered;
    for (const Expected& x : kRows) {
        SCOPED_TRACE(std::string(x.file) + " #" + std::to_string(x.batchIndex));
        covered.insert(QString::fromUtf8(x.file));
        const NavInvoice inv = readOne(QString::fromUtf8(x.file), x.batchIndex);
        const auto mapped = NavLedgerMapper::map(inv, kSupplier);
        ASSERT_TRUE(mapped) << mapped.errorText().toStdString();
        const NavLedgerEntry& e = *mapped;
        EXPECT_EQ(e.ledger, x.ledger);
        EXPECT_EQ(e.kind, x.kind);
        EXPECT_EQ(e.Szamlaszam, QString::fromUtf8(x.number));
        EXPECT_EQ(e.CegNev, QString::fromUtf8(x.partner));
        EXPECT_EQ(e.CegCim, QString::fromUtf8(x.address));
        EXPECT_EQ(e.Megnevezes, QString::fromUtf8(x.item));
        EXPECT_DOUBLE_EQ(e.Netto, x.net);
        EXPECT_DOUBLE_EQ(e.Brutto, x.gross);
        if (x.vat < 0)
            EXPECT_FALSE(e.AFA.has_value());
        else
            EXPECT_EQ(e.AFA, std::optional<double>(x.vat));
        EXPECT_EQ(e.Devizanem, QString::fromUtf8(x.currency));
        EXPECT_EQ(e.Datumtol, QDate::fromString(x.issued, Qt::ISODate));
        EXPECT_EQ(e.Datumig, QDate::fromString(x.due, Qt::ISODate));
        EXPECT_EQ(e.FizetesModja, QString::fromUtf8(x.payment));
        EXPECT_EQ(e.Megjegyzes, QString::fromUtf8(x.note));
    }
    EXPECT_EQ(covered.size(), 20);
}

TEST(NavSamples, TheCustomersSideGoesToPayablesWithTheSupplierAsPartner) {
    const NavBusiness customer{QStringLiteral("99887764"), QStringLiteral("HUF")};
    // A VAT group member is found by its own number inside the group's.
    const NavInvoice group = readOne("Belfoldi termekertekesites AFA csoportok kozott.xml");
    const auto e = NavLedgerMapper::map(group, customer);
    ASSERT_TRUE(e) << e.errorText().toStdString();
    EXPECT_EQ(e->ledger, NavLedger::Payables);
    EXPECT_EQ(e->CegNev, "Értékesítő Kft által képviselt ÁFA csoport");
    EXPECT_EQ(e->CegCim, "1234 Budapest Hármas utca 1");
    EXPECT_EQ(e->Devizanem, "HUF");
    EXPECT_EQ(e->partnerTaxNumber, "98765432");

    const NavInvoice plain = readOne("Tagorszagi devizas szamla.xml");
    const auto p = NavLedgerMapper::partner(plain, NavLedger::Payables);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->BerNev, "Értékesítő Kft");
    EXPECT_EQ(p->BerIrszam, "1234");
    EXPECT_EQ(p->BerSzekhely, "Budapest");
    EXPECT_EQ(p->BerCim, "Hármas utca 1");
    EXPECT_EQ(p->BerAdoszam, "99999999-2-41");
    EXPECT_EQ(p->BerEUAdoszam, "HU99999999");
    EXPECT_EQ(p->BerSzamlaszam, "HU12123456781234567812345678");
    // Our own invoice's partner is the customer: the EU buyer has no Hungarian number.
    const auto buyer = NavLedgerMapper::partner(plain, NavLedger::Receivables);
    ASSERT_TRUE(buyer);
    EXPECT_EQ(buyer->BerNev, "Käufer Gmbh");
    EXPECT_EQ(buyer->BerIrszam, "81543");
    EXPECT_EQ(buyer->BerAdoszam, "");
    EXPECT_EQ(buyer->BerEUAdoszam, "DE888888888");
    // A private person is no partner of the register.
    EXPECT_FALSE(NavLedgerMapper::partner(readOne("Belfoldi termekertekesites maganszemelynek.xml"),
                                          NavLedger::Receivables));
}

TEST(NavSamples, ModificationAndCancellationOfAnInvoiceInTheLedger) {
    // ZZZ000001 stands in the ledger at 6 985 000 gross, 1 000 000 of it paid.
    const NavOriginalFigures original{5500000 - 787401.57, 5985000, 6985000};
    const auto partial =
        NavLedgerMapper::map(readOne("Teves termek helyesbitese.xml"), kSupplier, original);
    ASSERT_TRUE(partial);
    EXPECT_EQ(partial->kind, NavEntryKind::Modification);
    EXPECT_DOUBLE_EQ(partial->Brutto, -1270000);  // the difference it states
    EXPECT_EQ(partial->originalInvoiceNumber, "ZZZ000001");

    const auto whole =
        NavLedgerMapper::map(readOne("Teves termek helyesbitese 20.xml"), kSupplier, original);
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->kind, NavEntryKind::Cancellation);
    EXPECT_EQ(whole->Megjegyzes, "érvényteleníti: ZZZ000001, 1. módosítás");
    EXPECT_DOUBLE_EQ(whole->Brutto, -5985000);  // what is still open, so it comes to 0
    EXPECT_DOUBLE_EQ(whole->Netto, -4712598.43);

    // The interface's STORNO says so even without the original at hand.
    NavInvoice storno = readOne("Modositas es ervenytelenites 1.xml");
    storno.operation = NavOperation::Storno;
    const auto told = NavLedgerMapper::map(storno, kSupplier);
    ASSERT_TRUE(told);
    EXPECT_EQ(told->kind, NavEntryKind::Cancellation);
    EXPECT_DOUBLE_EQ(told->Brutto, -2794000);
}

TEST(NavSamples, WrappedInTheInterfacesAnswerPlainOrGzipped) {
    const QByteArray plain = sample("Belfoldi vegszamla.xml");
    for (const bool compressed : {false, true}) {
        SCOPED_TRACE(compressed);
        const auto read = NavInvoiceReader::readBytes(
            dataResponse(compressed ? gzip(plain) : plain, compressed), "valasz.xml");
        ASSERT_TRUE(read) << read.errorText().toStdString();
        ASSERT_EQ(read->size(), 1);
        EXPECT_EQ(read->first().invoiceNumber, "AAA000568");
        EXPECT_DOUBLE_EQ(read->first().gross, 127000);
        EXPECT_EQ(read->first().transactionId, "2BA4DGH38FK7KFCT");
    }
    // Compressed data said to be plain, and a truncated gzip stream.
    EXPECT_FALSE(NavInvoiceReader::readBytes(dataResponse(gzip(plain), false), "v.xml"));
    const auto cut =
        NavInvoiceReader::readBytes(dataResponse(gzip(plain).left(200), true), "v.xml");
    ASSERT_FALSE(cut);
    EXPECT_TRUE(cut.errorText().contains("sérült")) << cut.errorText().toStdString();
}

TEST(NavSamples, SimplifiedInvoiceFromItsGrossAndVatContent) {
    // A simplified invoice of 12 700 gross at 27 % (content 0.2126) and one line.
    QByteArray xml = sample("Belfoldi vegszamla.xml");
    const int lines = xml.indexOf("<invoiceLines>");
    const int linesEnd = xml.indexOf("</invoiceSummary>") + int(strlen("</invoiceSummary>"));
    xml.replace(lines, linesEnd - lines,
                R"(<invoiceLines><mergedItemIndicator>false</mergedItemIndicator>
<line><lineNumber>1</lineNumber><lineExpressionIndicator>false</lineExpressionIndicator><lineDescription>Kávé</lineDescription>
<lineAmountsSimplified><lineVatRate><vatContent>0.2126</vatContent></lineVatRate><lineGrossAmountSimplified>12700</lineGrossAmountSimplified></lineAmountsSimplified></line></invoiceLines>
<invoiceSummary><summarySimplified><vatRate><vatContent>0.2126</vatContent></vatRate><vatContentGrossAmount>12700</vatContentGrossAmount><vatContentGrossAmountHUF>12700</vatContentGrossAmountHUF></summarySimplified></invoiceSummary>)");
    xml.replace("<invoiceCategory>NORMAL</invoiceCategory>",
                "<invoiceCategory>SIMPLIFIED</invoiceCategory>");
    const auto read = NavInvoiceReader::readBytes(xml, "egyszerusitett.xml");
    ASSERT_TRUE(read) << read.errorText().toStdString();
    const NavInvoice& inv = read->first();
    EXPECT_EQ(inv.category, NavCategory::Simplified);
    EXPECT_TRUE(inv.simplifiedAmounts);
    const auto e = NavLedgerMapper::map(inv, kSupplier);
    ASSERT_TRUE(e);
    EXPECT_DOUBLE_EQ(e->Brutto, 12700);
    EXPECT_DOUBLE_EQ(e->Netto, 9999.98);  // 12 700 less its VAT content, 21.26 %: 2 700.02
    EXPECT_EQ(e->AFA, std::optional<double>(27));
    EXPECT_EQ(e->Megnevezes, "Kávé");
}

TEST(NavRefusals, EachBadInputGetsItsMessageNamingTheFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray good = sample("Belfoldi vegszamla.xml");
    QByteArray old = good;
    old.replace("http://schemas.nav.gov.hu/OSA/3.0/data", "http://schemas.nav.gov.hu/OSA/2.0/data");
    QByteArray foreign = good;
    foreign.replace("http://schemas.nav.gov.hu/OSA/3.0/data", "urn:valami");
    QByteArray entity = good;
    entity.replace("<InvoiceData ",
                   "<!DOCTYPE InvoiceData [<!ENTITY xxe SYSTEM \"file:///etc/passwd\">]>\n"
                   "<InvoiceData ");
    entity.replace("<invoiceNumber>AAA000568", "<invoiceNumber>&xxe;");
    QByteArray laughs = good;
    laughs.replace("<InvoiceData ", "<!DOCTYPE x [<!ENTITY a \"aaaaaaaa\">]>\n<InvoiceData ");
    const struct {
        const char* file;
        QByteArray content;
        const char* says;
    } cases[] = {
        {"csonka.xml", good.left(good.size() / 2), "nem szabályos XML"},
        {"regi.xml", old, "2.0-s"},
        {"idegen.xml", foreign, "nem Online Számla 3.0"},
        {"entitas.xml", entity, "(DTD)"},
        {"belso.xml", laughs, "(DTD)"},
        {"szam.xml",
         QByteArray(good).replace("<invoiceNetAmount>100000<", "<invoiceNetAmount>1O0<"),
         "hibás összeg"},
        {"ures.xml", QByteArray(), "nem szabályos XML"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        QFile f(dir.filePath(c.file));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(c.content);
        f.close();
        const auto read = NavInvoiceReader::readFile(f.fileName());
        ASSERT_FALSE(read);
        EXPECT_TRUE(read.errorText().contains(QString::fromUtf8(c.says)))
            << read.errorText().toStdString();
        EXPECT_TRUE(read.errorText().contains(QString::fromUtf8(c.file)))
            << read.errorText().toStdString();
    }

    // Over 50 MB: refused by its size, before a byte is read.
    QFile big(dir.filePath("nagy.xml"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    ASSERT_TRUE(big.resize(NavInvoiceReader::kMaxBytes + 1));
    big.close();
    const auto tooBig = NavInvoiceReader::readFile(big.fileName());
    ASSERT_FALSE(tooBig);
    EXPECT_EQ(tooBig.errorText(),
              "A(z) „nagy.xml” nagyobb 50 MB-nál; ekkora számlaadatot nem olvasunk be.");

    // Neither ours nor to us, and no own tax number set.
    const NavInvoice inv = readOne("Belfoldi vegszamla.xml");
    const auto stranger = NavLedgerMapper::map(inv, {QStringLiteral("12345678-2-41")});
    ASSERT_FALSE(stranger);
    EXPECT_EQ(stranger.errorText(),
              "A(z) „Belfoldi vegszamla.xml” AAA000568 számlája sem nem a mi számlánk, sem nem "
              "nekünk szól: az eladó adószáma 99999999, a vevőé 99887764, a saját adószámunk "
              "12345678. Nem vesszük át.");
    const auto unset = NavLedgerMapper::map(inv, {QString()});
    ASSERT_FALSE(unset);
    EXPECT_TRUE(unset.errorText().contains("saját adószámát"));
}
