#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QRandomGenerator>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextTable>
#include <cstdio>
#include <memory>

#include "rtf/rtfreader.h"

using vela::RtfReader;

namespace {

std::unique_ptr<QTextDocument> read(const QByteArray& rtf, bool* ok = nullptr) {
    auto doc = std::make_unique<QTextDocument>();
    const vela::Status res = RtfReader::read(rtf, doc.get());
    if (ok)
        *ok = res.ok();
    return doc;
}

QString text(const QByteArray& rtf) {
    return read(rtf)->toPlainText();
}

QByteArray testFile(const char* name) {
    QFile f(QStringLiteral(RTF_TEST_DATA "/") + QLatin1String(name));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

// The character format at the first occurrence of needle.
QTextCharFormat formatOf(QTextDocument& doc, const QString& needle) {
    QTextCursor c = doc.find(needle);
    if (c.isNull())
        return {};
    QTextCursor at(&doc);
    at.setPosition(c.selectionStart() + 1);
    return at.charFormat();
}

QTextBlockFormat blockOf(QTextDocument& doc, const QString& needle) {
    QTextCursor c = doc.find(needle);
    return c.isNull() ? QTextBlockFormat() : c.blockFormat();
}

QList<QTextImageFormat> images(QTextDocument& doc) {
    QList<QTextImageFormat> out;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().isImageFormat())
                out.append(it.fragment().charFormat().toImageFormat());
    return out;
}

QTextTable* firstTable(QTextDocument& doc) {
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        if (QTextTable* t = QTextCursor(b).currentTable())
            return t;
    return nullptr;
}

QString cellText(QTextTable* t, int row, int col) {
    QTextCursor c = t->cellAt(row, col).firstCursorPosition();
    c.setPosition(t->cellAt(row, col).lastCursorPosition().position(), QTextCursor::KeepAnchor);
    return c.selectedText();
}

QByteArray pngHex(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::darkGreen);
    QByteArray png;
    QBuffer buf(&png);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "PNG");
    return png.toHex();
}

// Files written by LibreOffice Writer from a Hungarian document: the letters
// come as \u with a 1252 fallback, formatting sits in nested groups, the
// picture once as PNG beside a WMF copy (inline) and once as a shape (JPEG).
class LibreOfficeFile : public ::testing::TestWithParam<const char*> {};

TEST_P(LibreOfficeFile, ReadsTextFormattingTableAndPicture) {
    const QByteArray data = testFile(GetParam());
    ASSERT_FALSE(data.isEmpty());
    bool ok = false;
    auto doc = read(data, &ok);
    ASSERT_TRUE(ok);
    const QString plain = doc->toPlainText();

    EXPECT_TRUE(plain.startsWith(QStringLiteral("ÁRVÍZTŰRŐ TÜKÖRFÚRÓGÉP\n")));
    EXPECT_TRUE(plain.contains(QStringLiteral("Ő és Ű nagybetűk, ő és ű kisbetűk.")));
    EXPECT_TRUE(plain.endsWith(QStringLiteral("Utolsó bekezdés: tűz, fűző, őszi ködök.")));
    EXPECT_FALSE(plain.contains(QLatin1Char('?'))) << "a 1252 fallback leaked";
    EXPECT_FALSE(plain.contains(QStringLiteral("Normal"))) << "the style sheet leaked";

    EXPECT_EQ(blockOf(*doc, QStringLiteral("ÁRVÍZTŰRŐ")).alignment(), Qt::AlignHCenter);
    const QTextCharFormat bold = formatOf(*doc, QStringLiteral("félkövér"));
    EXPECT_EQ(bold.fontWeight(), QFont::Bold);
    EXPECT_FALSE(bold.fontItalic());
    const QTextCharFormat italic = formatOf(*doc, QStringLiteral("dőlt betűs"));
    EXPECT_TRUE(italic.fontItalic());
    EXPECT_NE(italic.fontWeight(), QFont::Bold);
    const QTextCharFormat both = formatOf(*doc, QStringLiteral("mindkettő"));
    EXPECT_TRUE(both.fontItalic());
    EXPECT_EQ(both.fontWeight(), QFont::Bold);
    const QTextCharFormat plainFmt = formatOf(*doc, QStringLiteral("tükörfúrógép:"));
    EXPECT_NE(plainFmt.fontWeight(), QFont::Bold);
    EXPECT_EQ(plainFmt.fontPointSize(), 12.0);
    EXPECT_EQ(plainFmt.fontFamilies().toStringList(), QStringList{"Liberation Serif"});

    QTextTable* table = firstTable(*doc);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->rows(), 3);
    EXPECT_EQ(table->columns(), 3);
    EXPECT_EQ(cellText(table, 0, 0), QStringLiteral("Név"));
    EXPECT_EQ(cellText(table, 1, 0), QStringLiteral("Őrző Kft."));
    EXPECT_EQ(cellText(table, 1, 1), QStringLiteral("Győr"));
    EXPECT_EQ(cellText(table, 2, 2), QStringLiteral("3 000"));
    EXPECT_EQ(QTextCursor(doc->find(QStringLiteral("Utolsó"))).currentTable(), nullptr);

    const QList<QTextImageFormat> imgs = images(*doc);
    ASSERT_EQ(imgs.size(), 1) << "the picture is shown once, not its WMF copy too";
    const QImage img =
        doc->resource(QTextDocument::ImageResource, QUrl(imgs[0].name())).value<QImage>();
    EXPECT_FALSE(img.isNull());
    EXPECT_NEAR(imgs[0].width(), 2 * 1440 / 2.54 / 15, 1.0);  // 2 cm wide in the document
}

INSTANTIATE_TEST_SUITE_P(Writer, LibreOfficeFile,
                         ::testing::Values("libreoffice-png.rtf", "libreoffice-jpeg.rtf"));

TEST(RtfReaderCodePage, EscapesFollowTheDocumentPage) {
    EXPECT_EQ(text("{\\rtf1\\ansi\\ansicpg1250 \\'f5\\'fb\\'d5\\'db \\'e1rv\\'edz}"),
              QStringLiteral("őűŐŰ árvíz"));
    EXPECT_EQ(text("{\\rtf1\\ansi\\ansicpg1252 \\'f5\\'fb\\'d5\\'db}"), QStringLiteral("õûÕÛ"));
    EXPECT_EQ(text("{\\rtf1\\ansi \\'80 \\'8a}"), QStringLiteral("€ Š"));
    EXPECT_EQ(text("{\\rtf1\\ansi\\ansicpg1250 \\'8a\\'9f\\'a3}"), QStringLiteral("ŠźŁ"));
    // Bytes above 127 written straight into the text read the same way.
    EXPECT_EQ(text("{\\rtf1\\ansi\\ansicpg1250 T\xfbz}"), QStringLiteral("Tűz"));
    // Upper- and lower-case hex digits.
    EXPECT_EQ(text("{\\rtf1\\ansicpg1250 \\'F5\\'fB}"), QStringLiteral("őű"));
}

TEST(RtfReaderCodePage, FontCharsetOverridesTheDocumentPage) {
    const QByteArray rtf =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fcharset238 Arial CE;}"
        "{\\f1\\fcharset0 Times;}{\\f2 Courier;}}"
        "\\f0 \\'f5 {\\f1 \\'f5} {\\f2 \\'f5} \\'fb}";
    auto doc = read(rtf);
    EXPECT_EQ(doc->toPlainText(), QStringLiteral("ő õ õ ű"));
    EXPECT_EQ(formatOf(*doc, QStringLiteral("ő")).fontFamilies().toStringList(),
              QStringList{"Arial CE"});
    // A font with its own \cpg.
    EXPECT_EQ(text("{\\rtf1\\ansi{\\fonttbl{\\f0\\cpg1250 X;}}\\f0 \\'db}"), QStringLiteral("Ű"));
}

TEST(RtfReaderUnicode, FallbackCharactersAreSkippedByUc) {
    EXPECT_EQ(text("{\\rtf1 \\u337?\\u369?}"), QStringLiteral("őű"));
    EXPECT_EQ(text("{\\rtf1 \\u336\\'3f\\u368\\'3f}"), QStringLiteral("ŐŰ"));
    EXPECT_EQ(text("{\\rtf1 \\uc0\\u337 x}"), QStringLiteral("őx"));
    EXPECT_EQ(text("{\\rtf1 \\uc2\\u337\\'f5\\'f5x}"), QStringLiteral("őx"));
    // \uc is scoped to its group; a group boundary ends the skipping.
    EXPECT_EQ(text("{\\rtf1 {\\uc2\\u337 ab}\\u337 cd}"), QStringLiteral("őőd"));
    EXPECT_EQ(text("{\\rtf1 {\\u337}?}"), QStringLiteral("ő?"));
    // A control word counts as one fallback character.
    EXPECT_EQ(text("{\\rtf1 \\u8364\\bullet x}"), QStringLiteral("€x"));
    // Negative values above 32767, and surrogate pairs.
    EXPECT_EQ(text("{\\rtf1 \\u-1?}"),
              QString(QChar(0xFFFF)).replace(QChar(0xFFFF), QChar(0xFFFD)));
    EXPECT_EQ(text("{\\rtf1 \\u-10179?\\u-8704?}"), QString::fromUcs4(U"\U0001F600"));
    // A lone half of a pair, NUL and the document's own marks are not let in.
    EXPECT_EQ(text("{\\rtf1 a\\u-10179?b}"), QStringLiteral("a\uFFFDb"));
    EXPECT_EQ(text("{\\rtf1 a\\u0?\\u65532?\\u64976?b}"), QStringLiteral("a\uFFFD\uFFFDb"));
}

TEST(RtfReaderFormat, CharacterFormattingAndColours) {
    auto doc = read(
        "{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1 Courier New;}}"
        "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
        "n1 \\b b1\\b0  n2 {\\i i1} \\ul u1\\ulnone  \\strike s1\\strike0  "
        "\\fs36 big\\fs24  \\f1 mono\\f0  \\cf1 red\\cf0  \\cb2 onblue\\cb0  "
        "x\\super sup\\nosupersub  \\b\\i\\ul all\\plain  plain}");
    EXPECT_EQ(formatOf(*doc, "n1").fontWeight(), QFont::Normal);
    EXPECT_EQ(formatOf(*doc, "b1").fontWeight(), QFont::Bold);
    EXPECT_EQ(formatOf(*doc, "n2").fontWeight(), QFont::Normal);
    EXPECT_TRUE(formatOf(*doc, "i1").fontItalic());
    EXPECT_TRUE(formatOf(*doc, "u1").fontUnderline());
    EXPECT_TRUE(formatOf(*doc, "s1").fontStrikeOut());
    EXPECT_FALSE(formatOf(*doc, "big").fontStrikeOut());
    EXPECT_EQ(formatOf(*doc, "big").fontPointSize(), 18.0);
    EXPECT_EQ(formatOf(*doc, "mono").fontFamilies().toStringList(), QStringList{"Courier New"});
    EXPECT_EQ(formatOf(*doc, "red").foreground().color(), QColor(255, 0, 0));
    EXPECT_EQ(formatOf(*doc, "onblue").background().color(), QColor(0, 0, 255));
    EXPECT_FALSE(formatOf(*doc, "plain").foreground().style() != Qt::NoBrush);
    EXPECT_EQ(formatOf(*doc, "sup").verticalAlignment(), QTextCharFormat::AlignSuperScript);
    const QTextCharFormat all = formatOf(*doc, "all");
    EXPECT_TRUE(all.fontItalic() && all.fontUnderline() && all.fontWeight() == QFont::Bold);
    const QTextCharFormat plain = formatOf(*doc, "plain");
    EXPECT_FALSE(plain.fontItalic() || plain.fontUnderline() || plain.fontWeight() == QFont::Bold);
    EXPECT_EQ(plain.fontFamilies().toStringList(), QStringList{"Arial"});
}

TEST(RtfReaderFormat, ParagraphsBreaksAndIndents) {
    auto doc = read(
        "{\\rtf1\\pard\\qc centred\\par\\pard\\qr right\\par\\pard\\qj just\\par"
        "\\pard\\li720\\ri360\\fi-360\\sb120\\sa240 indented\\par"
        "\\pard one\\line two\\tab three\\par\\page after page\\par}");
    EXPECT_EQ(doc->blockCount(), 6);
    EXPECT_EQ(blockOf(*doc, "centred").alignment(), Qt::AlignHCenter);
    EXPECT_EQ(blockOf(*doc, "right").alignment(), Qt::AlignRight);
    EXPECT_EQ(blockOf(*doc, "just").alignment(), Qt::AlignJustify);
    const QTextBlockFormat ind = blockOf(*doc, "indented");
    EXPECT_EQ(ind.leftMargin(), 48.0);
    EXPECT_EQ(ind.rightMargin(), 24.0);
    EXPECT_EQ(ind.textIndent(), -24.0);
    EXPECT_EQ(ind.topMargin(), 8.0);
    EXPECT_EQ(ind.bottomMargin(), 16.0);
    // The hanging indent's own tab stop lines the text up under the indent.
    ASSERT_EQ(ind.tabPositions().size(), 1);
    EXPECT_EQ(ind.tabPositions()[0].position, 24.0);
    EXPECT_EQ(blockOf(*doc, "one").alignment(), Qt::AlignLeft);
    EXPECT_EQ(doc->findBlockByNumber(4).text(),
              QStringLiteral("one") + QChar(QChar::LineSeparator) + "two\tthree");
    EXPECT_EQ(blockOf(*doc, "after page").pageBreakPolicy(), QTextFormat::PageBreak_AlwaysBefore);
    EXPECT_EQ(blockOf(*doc, "one").pageBreakPolicy(), QTextFormat::PageBreak_Auto);
}

TEST(RtfReaderDestinations, HiddenPartsAreDroppedAndFieldResultsShown) {
    EXPECT_EQ(text("{\\rtf1{\\*\\unknownthing secret}{\\info{\\title T}{\\author A}}"
                   "{\\stylesheet{\\s1 Heading;}}{\\header H}{\\footer F}{\\*\\generator G;}"
                   "visible{\\v hidden} text}"),
              QStringLiteral("visible text"));
    EXPECT_EQ(
        text("{\\rtf1 see {\\field{\\*\\fldinst HYPERLINK \"http://x\"}{\\fldrslt the link}}.}"),
        QStringLiteral("see the link."));
    // A known destination needs no \*, an unknown one with \* goes with all it holds.
    EXPECT_EQ(text("{\\rtf1 a{\\*\\x{\\b b}{\\pict\\pngblip 00}}c}"), QStringLiteral("ac"));
    // \bin data in the text is skipped without being read as RTF.
    EXPECT_EQ(text("{\\rtf1 a{\\*\\objdata \\bin4 }}{x}b}"), QStringLiteral("ab"));
    EXPECT_EQ(read("{\\rtf1 \\{braces\\} and \\\\ back~\\~nb}")->toRawText(),
              QStringLiteral("{braces} and \\ back~\u00A0nb"));
}

TEST(RtfReaderTable, RowsCellsAndTheTextAround) {
    auto doc = read(
        "{\\rtf1 before\\par"
        "\\trowd\\cellx2000\\cellx4000\\pard\\intbl A1\\cell\\pard\\intbl {\\b B1}\\cell\\row"
        "\\trowd\\cellx2000\\cellx4000\\pard\\intbl A2\\cell\\pard\\intbl two\\par lines\\cell\\row"
        "\\pard after\\par}");
    QTextTable* t = firstTable(*doc);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->rows(), 2);
    EXPECT_EQ(t->columns(), 2);
    EXPECT_EQ(cellText(t, 0, 0), "A1");
    EXPECT_EQ(cellText(t, 0, 1), "B1");
    EXPECT_EQ(cellText(t, 1, 0), "A2");
    EXPECT_EQ(cellText(t, 1, 1), QStringLiteral("two\u2029lines"));
    EXPECT_EQ(formatOf(*doc, "B1").fontWeight(), QFont::Bold);
    EXPECT_EQ(doc->begin().text(), "before");
    EXPECT_EQ(QTextCursor(doc->find("before")).currentTable(), nullptr);
    EXPECT_EQ(QTextCursor(doc->find("after")).currentTable(), nullptr);
    EXPECT_EQ(doc->lastBlock().text(), "after");

    // More cells than the row defines widen the table; an empty cell stays a cell.
    auto wide = read("{\\rtf1\\trowd\\cellx1000\\intbl a\\cell\\cell c\\cell\\row\\pard x}");
    QTextTable* w = firstTable(*wide);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->columns(), 3);
    EXPECT_EQ(cellText(w, 0, 1), "");
    EXPECT_EQ(cellText(w, 0, 2), "c");
}

TEST(RtfReaderPicture, PngAndBinaryDataBecomeImages) {
    const QByteArray hex = pngHex(8, 4);
    auto doc =
        read("{\\rtf1 a{\\pict\\pngblip\\picw8\\pich4\\picwgoal300\\pichgoal150\n" + hex + "}b}");
    EXPECT_EQ(doc->toPlainText().remove(QChar::ObjectReplacementCharacter), "ab");
    QList<QTextImageFormat> imgs = images(*doc);
    ASSERT_EQ(imgs.size(), 1);
    EXPECT_EQ(imgs[0].width(), 20.0);
    EXPECT_EQ(imgs[0].height(), 10.0);
    EXPECT_EQ(
        doc->resource(QTextDocument::ImageResource, QUrl(imgs[0].name())).value<QImage>().size(),
        QSize(8, 4));

    // Without a goal size the picture keeps its own, scaled by \picscalex/y.
    doc = read("{\\rtf1{\\pict\\pngblip\\picscalex50\\picscaley200 " + hex + "}}");
    imgs = images(*doc);
    ASSERT_EQ(imgs.size(), 1);
    EXPECT_EQ(imgs[0].width(), 4.0);
    EXPECT_EQ(imgs[0].height(), 8.0);

    const QByteArray raw = QByteArray::fromHex(hex);
    doc = read("{\\rtf1{\\pict\\pngblip\\bin" + QByteArray::number(raw.size()) + " " + raw + "}z}");
    EXPECT_EQ(images(*doc).size(), 1);
    EXPECT_TRUE(doc->toPlainText().endsWith('z'));

    // Formats this reader does not draw, and broken data, leave only the text.
    EXPECT_EQ(text("{\\rtf1 a{\\pict\\wmetafile8 0100090000}b}"), "ab");
    doc = read("{\\rtf1 a{\\pict\\pngblip 89504e470d0a1a0a00ff}b}");
    EXPECT_TRUE(images(*doc).isEmpty());
    EXPECT_EQ(doc->toPlainText(), "ab");
}

TEST(RtfReaderMalformed, RefusesWhatIsNotRtf) {
    bool ok = true;
    auto doc = read("", &ok);
    EXPECT_FALSE(ok);
    read("Hello, plain text", &ok);
    EXPECT_FALSE(ok);
    read("{\\rtx1 nope}", &ok);
    EXPECT_FALSE(ok);
    QTextDocument d;
    d.setPlainText("old");
    const vela::Status missing = RtfReader::readFile("/nonexistent/AdatszolgaltatoFormX.rtf", &d);
    EXPECT_FALSE(missing);
    EXPECT_TRUE(missing.errorText().contains("AdatszolgaltatoFormX.rtf"));
    EXPECT_TRUE(d.isEmpty());
    // A byte-order mark and blanks before the document are tolerated.
    read("\xEF\xBB\xBF \r\n{\\rtf1 ok}", &ok);
    EXPECT_TRUE(ok);
}

TEST(RtfReaderMalformed, ReadsWhatItCanOfDamagedFiles) {
    bool ok = false;
    // Unbalanced braces both ways.
    EXPECT_EQ(text("{\\rtf1 {\\b open {\\i groups"), "open groups");
    EXPECT_EQ(text("{\\rtf1 closed} after the end}}"), "closed");
    EXPECT_EQ(text("{\\rtf1 a}}}}}"), "a");
    // Cut-off and bad escapes.
    EXPECT_EQ(text("{\\rtf1\\ansicpg1250 x\\'f"), "x");
    EXPECT_EQ(text("{\\rtf1 x\\'"), "x");
    EXPECT_EQ(text("{\\rtf1 x\\'g1y}"), "xg1y");
    EXPECT_EQ(text("{\\rtf1 x\\"), "x");
    // Huge numbers and words.
    EXPECT_EQ(text("{\\rtf1\\fs99999999999999999999999 a\\u99999999999?b\\uc2147483647 c}"), "abc");
    EXPECT_EQ(text("{\\rtf1\\li-99999999999\\fi99999999999 a\\cellx-5\\ansicpg99999999 b}"), "ab");
    EXPECT_EQ(text("{\\rtf1 \\" + QByteArray(100000, 'a') + " tail}"), "tail");
    auto doc = read("{\\rtf1\\fs999999999 big}");
    EXPECT_GT(formatOf(*doc, "big").fontPointSize(), 0.0);
    // \bin longer than the file.
    EXPECT_EQ(text("{\\rtf1 a\\bin999999999 xyz}"), "a");
    EXPECT_EQ(text("{\\rtf1{\\pict\\pngblip\\bin2147483647 xyz}}"), "");
    // Control bytes and NULs in the text.
    EXPECT_EQ(text(QByteArray("{\\rtf1 a\0b\x01"
                              "c}",
                              13)),
              "abc");
    // A picture cut off in the middle.
    doc = read("{\\rtf1 a{\\pict\\pngblip " + pngHex(4, 4).left(40), &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(doc->toPlainText(), "a");
    // Table words out of place.
    EXPECT_NO_FATAL_FAILURE(read("{\\rtf1\\row\\cell\\row\\intbl\\row x\\cell\\pard y\\cell}"));
    EXPECT_NO_FATAL_FAILURE(
        read("{\\rtf1\\intbl" + QByteArray(2000, 0).replace('\0', "\\cell ") + "}"));
}

TEST(RtfReaderMalformed, DeepNestingNeitherCrashesNorLosesTheOuterText) {
    const QByteArray deep = QByteArray(200000, '{') + "x" + QByteArray(200000, '}');
    EXPECT_EQ(text("{\\rtf1 before " + deep + " after}"), "before  after");
    EXPECT_EQ(text("{\\rtf1 before " + QByteArray(200000, '{')), "before ");
    // Nesting within the limit keeps its text.
    EXPECT_EQ(text("{\\rtf1 " + QByteArray(100, '{') + "in" + QByteArray(100, '}') + "}"), "in");
}

TEST(RtfReaderMalformed, RandomDamageToARealFileNeverCrashes) {
    const QByteArray original = testFile("libreoffice-png.rtf");
    ASSERT_FALSE(original.isEmpty());
    QRandomGenerator rng(20240607);
    for (int round = 0; round < 300; ++round) {
        QByteArray data = original;
        const int edits = 1 + rng.bounded(20);
        for (int e = 0; e < edits && data.size() > 1; ++e) {
            const int at = rng.bounded(data.size());
            switch (rng.bounded(4)) {
                case 0:
                    data[at] = static_cast<char>(rng.bounded(256));
                    break;
                case 1:
                    data.remove(at, rng.bounded(50));
                    break;
                case 2:
                    data.insert(at, "{}\\'"[rng.bounded(4)]);
                    break;
                default:
                    data.truncate(at + 5);
                    break;
            }
        }
        QTextDocument doc;
        // Whether the damaged data was taken as RTF or refused, the reader came back.
        (void)RtfReader::read(data, &doc);
        doc.toPlainText();
    }
    SUCCEED();
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Broken pictures are part of the test data; their decoder warnings are noise.
    qputenv("QT_LOGGING_RULES", "qt.gui.imageio=false");
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& msg) {
        if (!msg.startsWith(QLatin1String("libpng")))
            fprintf(stderr, "%s\n", qPrintable(msg));
    });
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
