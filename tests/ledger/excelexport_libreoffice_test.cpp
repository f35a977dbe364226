#include <freexl.h>

#include <QTemporaryDir>

#include "exportfixture.h"
#include "office.h"

// The export read back by LibreOffice, and appended to a workbook that
// LibreOffice wrote itself. Skipped when soffice is not installed.
class ExportLibreOffice : public ExportFixture {
  protected:
    void SetUp() override {
        if (!office.available())
            GTEST_SKIP() << "soffice is not installed (package libreoffice-calc-nogui)";
        ExportFixture::SetUp();
    }

    QString convert(const QString& xls, const QString& filter, const QString& ext) {
        QString log;
        EXPECT_TRUE(office.convert(xls, filter, out.path(), &log)) << log.toStdString();
        QFile f(out.filePath(QFileInfo(xls).completeBaseName() + ext));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

    Office office;
    QTemporaryDir out;
};

TEST_F(ExportLibreOffice, ExportedRowsOpenInLibreOffice) {
    insert("VelaData",
           {{1, "A-1", "Árvíztűrő \"Tükör\", Bt.", 1270.25, "N"}, {2, "B-2", "Őz Kft.", -99, "I"}});
    ASSERT_TRUE(veladata->exec("UPDATE VelaData SET Datumtol = '2024-02-29' WHERE Sorszám = 1"));
    open();
    goTo(1);
    runExport();
    QString log;
    const auto lines = office.csv(workbook(), &log);
    ASSERT_EQ(lines.size(), 3u) << log.toStdString();
    EXPECT_EQ(lines[0].value(0), "Sorszám");
    EXPECT_EQ(lines[1].value(0), "1");
    EXPECT_EQ(lines[1].value(2), "Árvíztűrő \"Tükör\", Bt.");
    EXPECT_EQ(lines[1].value(7), "1270.25");
    EXPECT_EQ(lines[1].value(8), "2024.02.29.");
    EXPECT_EQ(lines[2].value(2), "Őz Kft.");
    EXPECT_EQ(lines[2].value(12), "I");
}

TEST_F(ExportLibreOffice, CustomisedTemplateKeepsItsOtherSheetFormattingAndFormula) {
    // The user's own template, saved by LibreOffice: a bold heading, a row
    // with a formula, and a second sheet.
    const QString fods = QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<office:document xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
        "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\" "
        "xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\" "
        "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
        "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
        "xmlns:of=\"urn:oasis:names:tc:opendocument:xmlns:of:1.2\" office:version=\"1.2\" "
        "office:mimetype=\"application/vnd.oasis.opendocument.spreadsheet\">"
        "<office:automatic-styles><style:style style:name=\"ce1\" style:family=\"table-cell\">"
        "<style:text-properties fo:font-weight=\"bold\" fo:color=\"#c00000\"/></style:style>"
        "</office:automatic-styles>"
        "<office:body><office:spreadsheet><table:table table:name=\"Munka1\">"
        "<table:table-row>"
        "<table:table-cell table:style-name=\"ce1\" office:value-type=\"string\">"
        "<text:p>Sorszám</text:p></table:table-cell>"
        "<table:table-cell table:style-name=\"ce1\" office:value-type=\"string\">"
        "<text:p>Számla</text:p></table:table-cell>"
        "<table:table-cell table:style-name=\"ce1\" office:value-type=\"string\">"
        "<text:p>Kétszeres</text:p></table:table-cell></table:table-row>"
        "<table:table-row><table:table-cell office:value-type=\"float\" office:value=\"21\"/>"
        "<table:table-cell office:value-type=\"string\"><text:p>minta</text:p></table:table-cell>"
        "<table:table-cell table:formula=\"of:=[.A2]*2\" office:value-type=\"float\" "
        "office:value=\"42\"/></table:table-row>"
        "</table:table><table:table table:name=\"Összesítő\"><table:table-row>"
        "<table:table-cell office:value-type=\"string\"><text:p>második lap</text:p>"
        "</table:table-cell></table:table-row></table:table>"
        "</office:spreadsheet></office:body></office:document>");
    QTemporaryDir src;
    const QString source = src.filePath("VelaDataStatTartozunk.fods");
    {
        QFile f(source);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(fods.toUtf8());
    }
    QString log;
    ASSERT_TRUE(office.convert(source, "xls:MS Excel 97", folder.file("data"), &log))
        << log.toStdString();
    ASSERT_EQ(readWithFreexl(folder.file("data/VelaDataStatTartozunk.xls")).sheetNames,
              (QStringList{"Munka1", "Összesítő"}));

    insert("VelaData", {{1, "A-1", "Alma", 10, "N"}, {2, "B-2", "Béka", 20, "N"}});
    open();
    goTo(1);
    dialogs.clear();
    runExport();
    ASSERT_EQ(dialogs.shown.size(), 1) << dialogs.texts().join('|').toStdString();

    const FreexlSheet s = sheet();
    ASSERT_EQ(s.rows, 4u);
    EXPECT_EQ(s.at(1, 0).number, 21);
    EXPECT_EQ(s.at(2, 0).number, 1);
    EXPECT_EQ(s.at(3, 1).text, "B-2");
    EXPECT_EQ(s.sheetNames, (QStringList{"Munka1", "Összesítő"}));

    // LibreOffice reads the formula, the formatting and the other sheet back.
    const QString back = convert(workbook(), "fods", ".fods");
    ASSERT_FALSE(back.isEmpty());
    EXPECT_TRUE(back.contains("table:formula=\"of:=[.A2]*2\"")) << back.toStdString();
    EXPECT_TRUE(back.contains("fo:font-weight=\"bold\""));
    EXPECT_TRUE(back.contains("table:name=\"Összesítő\""));
    EXPECT_TRUE(back.contains("<text:p>második lap</text:p>"));
    EXPECT_TRUE(back.contains("<text:p>B-2</text:p>"));
    const auto lines = office.csv(workbook(), &log);
    ASSERT_EQ(lines.size(), 4u) << log.toStdString();
    EXPECT_EQ(lines[1].value(2), "42");
    EXPECT_EQ(lines[3].value(0), "2");
}
