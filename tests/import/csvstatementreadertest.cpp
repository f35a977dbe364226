#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "import/csvstatementreader.h"

using vela::CsvMapping;
using vela::CsvStatementReader;

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// "Árvíztűrő Kft." and "Őz és Társa Bt." in Windows-1250.
const QByteArray kArvizturo1250 = "\xC1rv\xEDzt\xFBr\xF5 Kft.";
const QByteArray kOz1250 = "\xD5z \xE9s T\xE1rsa Bt.";

}  // namespace

// The same two rows read alike from a UTF-8 export with a signed amount and
// from a Windows-1250 one with debit and credit columns.
TEST(CsvStatementReader, ReadsBothEncodingsAndBothAmountForms) {
    QTemporaryDir dir;
    CsvMapping utf8;  // date;amount;name;account;remittance, decimal comma
    const QString utf8Path = dir.filePath("utf8.csv");
    writeFile(utf8Path,
              "\xEF\xBB\xBF"
              "Dátum;Összeg;Partner;Számlaszám;Közlemény\r\n"
              "2024.03.05.;\"127 000,50\";Árvíztűrő Kft.;11773016-01234567;\"Szla 2024/17; "
              "köszönjük\"\r\n"
              "2024-03-06;-1.250,00;Őz és Társa Bt.;;\"két\nsoros\"\r\n"
              ";;;;\r\n");

    CsvMapping cp1250;
    cp1250.separator = u',';
    cp1250.decimalComma = false;
    cp1250.encoding = CsvMapping::Encoding::Windows1250;
    cp1250.headerRows = 0;
    cp1250.amountColumn = 0;
    cp1250.debitColumn = 2;
    cp1250.creditColumn = 3;
    cp1250.currencyColumn = 4;
    cp1250.nameColumn = 5;
    cp1250.accountColumn = 6;
    cp1250.remittanceColumn = 7;
    cp1250.dateFormat = QStringLiteral("dd.MM.yyyy");
    const QString cpPath = dir.filePath("cp1250.csv");
    writeFile(cpPath, "05.03.2024,,\"127,000.50\",HUF," + kArvizturo1250 +
                          ",11773016-01234567,\"Szla 2024/17; k\xF6sz\xF6nj\xFCk\"\n"
                          "06.03.2024,1250.00,,Ft," +
                          kOz1250 + ",,\"k\xE9t\nsoros\"\n");
    ASSERT_EQ(cp1250.problem(), QString());

    for (const auto& [path, mapping] : {std::pair{utf8Path, utf8}, std::pair{cpPath, cp1250}}) {
        SCOPED_TRACE(path.toStdString());
        auto read = CsvStatementReader::readFile(path, mapping);
        ASSERT_TRUE(read.ok()) << read.errorText().toStdString();
        ASSERT_EQ(read->entries.size(), 2u);
        const auto& in = read->entries[0];
        const auto& out = read->entries[1];
        EXPECT_EQ(in.bookingDate, QDate(2024, 3, 5));
        EXPECT_TRUE(in.credit);
        EXPECT_EQ(in.amount.toMinor(2), 12700050);
        EXPECT_EQ(in.counterparty().name, "Árvíztűrő Kft.");
        EXPECT_EQ(in.counterparty().account, "11773016-01234567");
        EXPECT_EQ(in.remittanceText(), "Szla 2024/17; köszönjük");
        EXPECT_EQ(vela::currency::normalized(in.currency), "HUF");
        EXPECT_FALSE(out.credit);
        EXPECT_EQ(out.amount.toMinor(2), 125000);
        EXPECT_EQ(out.counterparty().name, "Őz és Társa Bt.");
        EXPECT_EQ(out.remittanceText(), "két\nsoros");
        EXPECT_EQ(vela::currency::normalized(out.currency), "HUF");
        // The same row reads to the same reference each time: a second reading
        // is known as booked.
        auto again = CsvStatementReader::readFile(path, mapping);
        ASSERT_TRUE(again.ok());
        EXPECT_EQ(again->entries[0].reference(), in.reference());
        EXPECT_NE(in.reference(), out.reference());
    }
}

TEST(CsvStatementReader, RefusesBadRowsWithTheirLine) {
    QTemporaryDir dir;
    struct Case {
        QByteArray bytes;
        CsvMapping::Encoding encoding;
        const char* says;
    };
    const Case cases[] = {
        {"D;O;P;S;K\n2024.03.05;12x;A;;\n", CsvMapping::Encoding::Utf8,
         "2. sorban hibás az összeg: „12x”"},
        {"D;O;P;S;K\n2024.02.30;12;A;;\n", CsvMapping::Encoding::Utf8, "2. sorban hibás a dátum"},
        {"D;O;P;S;K\n2024.03.05;12;\xC1rv;;\n", CsvMapping::Encoding::Utf8,
         "2. sor nem UTF-8 kódolású"},
        {"D;O;P;S;K\n2024.03.05;12;\"A;;\n", CsvMapping::Encoding::Utf8,
         "2. sorban kezdődő idézőjel nincs lezárva"},
        {"D;O;P;S;K\n", CsvMapping::Encoding::Windows1250, "nincs benne egyetlen tétel sem"},
        {"D;O;P;S;K\n2024.03.05;0;A;;\n", CsvMapping::Encoding::Utf8, "2. sorban nincs összeg"},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.says);
        const QString path = dir.filePath(QStringLiteral("bad%1.csv").arg(++n));
        writeFile(path, c.bytes);
        CsvMapping m;
        m.encoding = c.encoding;
        auto read = CsvStatementReader::readFile(path, m);
        ASSERT_FALSE(read.ok());
        EXPECT_TRUE(read.errorText().contains(path)) << read.errorText().toStdString();
        EXPECT_TRUE(read.errorText().contains(QString::fromUtf8(c.says)))
            << read.errorText().toStdString();
    }
}

// The mapping survives its text form, and a damaged text is refused.
TEST(CsvMapping, RoundTripsThroughItsText) {
    CsvMapping m;
    m.separator = u'\t';
    m.decimalComma = false;
    m.encoding = CsvMapping::Encoding::Windows1250;
    m.headerRows = 3;
    m.dateFormat = QStringLiteral("yyyy.MM.dd");
    m.defaultCurrency = QStringLiteral("EUR");
    m.amountColumn = 0;
    m.debitColumn = 7;
    m.creditColumn = 8;
    m.referenceColumn = 9;
    m.valueDateColumn = 2;
    auto back = CsvMapping::fromText(m.toText());
    ASSERT_TRUE(back.ok()) << back.errorText().toStdString();
    EXPECT_EQ(*back, m);
    EXPECT_EQ(*CsvMapping::fromText(CsvMapping().toText()), CsvMapping());

    const struct {
        const char* text;
        const char* says;
    } bad[] = {
        {"elvalaszto=;;", "„elvalaszto” értéke hibás"},
        {"kodolas=latin2", "„kodolas” értéke hibás"},
        {"osszeg=-1", "„osszeg” értéke hibás"},
        {"valami", "1. sora hibás"},
        {"datum=0", "nincs megadva a dátum oszlopa"},
        {"terheles=6", "vagy az összeg, vagy a terhelés"},
        {"elvalaszto=,\ntizedesvesszo=1", "nem lehet vessző"},
    };
    for (const auto& b : bad) {
        auto r = CsvMapping::fromText(QString::fromUtf8(b.text));
        ASSERT_FALSE(r.ok()) << b.text;
        EXPECT_TRUE(r.errorText().contains(QString::fromUtf8(b.says)))
            << r.errorText().toStdString();
    }
}
