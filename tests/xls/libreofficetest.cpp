#include "freexlsheet.h"
#include "office.h"
#include "streamcheck.h"
#include "xls/compoundfile.h"
#include "xls/workbook.h"

#include <freexl.h>
#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

using vela::xls::Workbook;

namespace {

QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class XlsLibreOffice : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!office.available())
            GTEST_SKIP() << "soffice is not installed (package libreoffice-calc-nogui)";
        ASSERT_TRUE(dir.isValid());
    }

    Office office;
    QTemporaryDir dir;
};

}  // namespace

TEST_F(XlsLibreOffice, AppendedRowsOpenInLibreOffice) {
    const QString path = dir.filePath(QStringLiteral("VelaDataStatTartoznak.xls"));
    ASSERT_TRUE(QFile::copy(
        QStringLiteral(VELA_BIN_DIR "/DataFolder/data/VelaDataStatTartoznak.xls"), path));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    const QString longText = QStringLiteral("Hosszú megjegyzés, ő és ű betűkkel. ").repeated(9);
    const vela::Status written = Workbook::appendRows(
        path,
        {{qlonglong(7), QStringLiteral("V-1/2024"), QStringLiteral("Őrség Bt."), 1000.25, 27.0,
          QDate(2024, 2, 29), true, QVariant(), longText},
         {qlonglong(8), QStringLiteral("V-2/2024"), QStringLiteral("Ügyfél \"idézet\", vessző")}});
    ASSERT_TRUE(written) << written.errorText().toStdString();

    QString log;
    const auto lines = office.csv(path, &log);
    ASSERT_EQ(lines.size(), 3u) << log.toStdString();
    EXPECT_EQ(lines[0].value(0), QStringLiteral("Sorszám"));
    EXPECT_EQ(lines[0].value(23), QStringLiteral("Teljesités"));
    EXPECT_EQ(lines[1].value(0), QStringLiteral("7"));
    EXPECT_EQ(lines[1].value(1), QStringLiteral("V-1/2024"));
    EXPECT_EQ(lines[1].value(2), QStringLiteral("Őrség Bt."));
    EXPECT_EQ(lines[1].value(3), QStringLiteral("1000.25"));
    EXPECT_EQ(lines[1].value(5), QStringLiteral("2024.02.29."));
    EXPECT_TRUE(lines[1].value(6) == QStringLiteral("TRUE") ||
                lines[1].value(6) == QStringLiteral("1"))
        << lines[1].value(6).toStdString();
    EXPECT_EQ(lines[1].value(7), QString());
    EXPECT_EQ(lines[1].value(8), longText);
    EXPECT_EQ(lines[2].value(2), QStringLiteral("Ügyfél \"idézet\", vessző"));
}

TEST_F(XlsLibreOffice, WorkbookOfAnotherProgramKeepsItsOtherParts) {
    // A two-sheet workbook as LibreOffice writes it: summary streams, INDEX and
    // DBCELL records, a second sheet behind the first.
    QString fods = QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<office:document xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
        "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
        "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" office:version=\"1.2\" "
        "office:mimetype=\"application/vnd.oasis.opendocument.spreadsheet\">"
        "<office:body><office:spreadsheet><table:table table:name=\"Munka1\">"
        "<table:table-row><table:table-cell office:value-type=\"string\"><text:p>Név</text:p>"
        "</table:table-cell><table:table-cell office:value-type=\"string\"><text:p>Összeg</text:p>"
        "</table:table-cell></table:table-row>");
    for (int i = 1; i <= 100; ++i)
        fods += QStringLiteral(
                    "<table:table-row><table:table-cell office:value-type=\"string\"><text:p>sor %1"
                    "</text:p></table:table-cell><table:table-cell office:value-type=\"float\" "
                    "office:value=\"%1\"/></table:table-row>")
                    .arg(i);
    fods += QStringLiteral("</table:table><table:table table:name=\"Munka2\">");
    for (int i = 1; i <= 80; ++i)
        fods += QStringLiteral(
                    "<table:table-row><table:table-cell office:value-type=\"string\"><text:p>"
                    "második lap %1</text:p></table:table-cell></table:table-row>")
                    .arg(i);
    fods += QStringLiteral("</table:table></office:spreadsheet></office:body></office:document>");
    const QString source = dir.filePath(QStringLiteral("idegen.fods"));
    {
        QFile f(source);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(fods.toUtf8());
    }
    QString log;
    ASSERT_TRUE(office.convert(source, QStringLiteral("xls:MS Excel 97"), dir.path(), &log))
        << log.toStdString();
    const QString path = dir.filePath(QStringLiteral("idegen.xls"));
    const QByteArray before = bytesOf(path);
    ASSERT_FALSE(before.isEmpty()) << log.toStdString();
    const FreexlSheet secondBefore = readWithFreexl(path, 1);
    ASSERT_TRUE(secondBefore.ok) << secondBefore.error.toStdString();
    EXPECT_EQ(usedRows(path), 101);

    const vela::Status written = Workbook::appendRows(
        path, {{QStringLiteral("új sor"), 1.5}, {QStringLiteral("még egy"), 2.0}});
    ASSERT_TRUE(written) << written.errorText().toStdString();

    const FreexlSheet first = readWithFreexl(path, 0);
    ASSERT_TRUE(first.ok) << first.error.toStdString();
    ASSERT_EQ(first.rows, 103u);
    EXPECT_EQ(first.at(0, 0).text, QStringLiteral("Név"));
    EXPECT_EQ(first.at(100, 0).text, QStringLiteral("sor 100"));
    EXPECT_EQ(first.at(101, 0).text, QStringLiteral("új sor"));
    EXPECT_EQ(first.at(102, 1).number, 2.0);
    const FreexlSheet second = readWithFreexl(path, 1);
    ASSERT_TRUE(second.ok) << second.error.toStdString();
    ASSERT_EQ(second.rows, secondBefore.rows);
    for (unsigned r = 0; r < second.rows; ++r)
        EXPECT_EQ(second.at(r, 0).text, secondBefore.at(r, 0).text);

    // The streams other than the workbook are copied as they are.
    const QByteArray after = bytesOf(path);
    for (const char* name : {"\005SummaryInformation", "\005DocumentSummaryInformation"}) {
        const vela::Result<QByteArray> a = vela::xls::CompoundFile::readStream(before, name);
        if (!a)
            continue;
        const vela::Result<QByteArray> b = vela::xls::CompoundFile::readStream(after, name);
        ASSERT_TRUE(b) << b.errorText().toStdString();
        EXPECT_EQ(*a, *b) << name;
    }

    // Every BOUNDSHEET points at the start of a sheet, and every INDEX left at
    // DBCELL records.
    const std::vector<int> indexesBefore = checkSheets(before);
    const std::vector<int> indexesAfter = checkSheets(after);
    ASSERT_EQ(indexesBefore.size(), 2u);
    ASSERT_EQ(indexesAfter.size(), 2u);
    EXPECT_EQ(indexesAfter[0], 0);
    EXPECT_EQ(indexesAfter[1], indexesBefore[1]);

    const auto lines = office.csv(path, &log);
    ASSERT_EQ(lines.size(), 103u) << log.toStdString();
    EXPECT_EQ(lines[101].value(0), QStringLiteral("új sor"));
    EXPECT_EQ(lines[102].value(1), QStringLiteral("2"));
}
