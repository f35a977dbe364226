#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextTable>

#include "common/tempdatafolder.h"
#include "settings/felhasznaloikezikonyvvdform.h"
#include "settings/helpformx.h"
#include "settings/plaintextprinter.h"
#include "ui/appcontext.h"
#include "ui/qtprinterservice.h"
#include "ui/scripteddialogservice.h"
#include "ui/windowopener.h"

using vela::DialogService;
using vela::FelhasznaloiKezikonyvVDForm;
using vela::HelpFormX;

namespace {

const QString kNoHelp = QStringLiteral("Ehhez a modulhoz nincs segédlet!");
const QString kCannotLoad = QStringLiteral("A segédállomány jelenleg nem tölthető be!");
const QString kNotReady = QStringLiteral("A nyomtató nincs készenlétben!");

// The colour that covers most of a widget as painted: a button's face.
QColor mostPainted(QWidget* w) {
    const QImage img = w->grab().toImage();
    QHash<QRgb, int> counts;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) ++counts[img.pixel(x, y)];
    QRgb best = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > counts.value(best))
            best = it.key();
    return QColor::fromRgb(best);
}

class ViewerTest : public ::testing::Test {
  protected:
    ViewerTest() : printer(folder.file(QStringLiteral("print.pdf"))) {
        ctx.dialogs = &dialogs;
        ctx.printer = &printer;
        ctx.opener = &opener;
    }

    // Puts a help file into the data folder under the given spellings.
    void placeHelpFile(const QString& source, const QString& dir = QStringLiteral("Segedlet"),
                       const QString& name = QStringLiteral("AdatszolgaltatoFormX.rtf")) {
        QDir(folder.path()).mkpath(dir);
        ASSERT_TRUE(QFile::copy(source, folder.file(dir + QLatin1Char('/') + name)));
    }

    static QString sourceFile(const char* relative) {
        return QStringLiteral(VELA_SOURCE_DIR "/") + QLatin1String(relative);
    }

    QByteArray pdf() const {
        QFile f(printer.path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    static QAction* action(QWidget& w, const char* name) {
        return w.findChild<QAction*>(QLatin1String(name));
    }

    TempDataFolder folder;
    vela::ScriptedDialogService dialogs;
    // Tells the test when a print job starts.
    struct WatchedPrinter : vela::PdfPrinterService {
        using PdfPrinterService::PdfPrinterService;
        vela::Status print(const PaintFn& paint, QPageLayout::Orientation o) override {
            if (onPrint)
                onPrint();
            return PdfPrinterService::print(paint, o);
        }
        std::function<void()> onPrint;
    } printer;
    vela::ScriptedWindowOpener opener;
    vela::AppContext ctx;
};

TEST_F(ViewerTest, HelpFromParametersOrPartnerListOpensEmptyAndSilent) {
    for (const QString& topic :
         {QStringLiteral("ParameterFormX"), QStringLiteral("BeszallitoNyomFormX")}) {
        placeHelpFile(sourceFile("data/help/AdatszolgaltatoFormX.rtf"), QStringLiteral("Segedlet"),
                      topic + QStringLiteral(".rtf"));
        ctx.helpTopic = topic;
        HelpFormX help(ctx);
        EXPECT_EQ(help.windowTitle(), QStringLiteral("Segédlet (Help) - VelaData"));
        bool checked = false;
        opener.handlers.append([&](QDialog&) {
            EXPECT_TRUE(help.richTextBox()->document()->isEmpty()) << topic.toStdString();
            checked = true;
        });
        opener.openModal(help);
        EXPECT_TRUE(checked);
        EXPECT_TRUE(dialogs.shown.isEmpty());
        EXPECT_EQ(dialogs.beeps, 0);
        EXPECT_TRUE(ctx.helpTopic.isEmpty());
    }
}

TEST_F(ViewerTest, PartnerHelpIsReadFromTheDataFolderWhateverTheCase) {
    placeHelpFile(sourceFile("data/help/AdatszolgaltatoFormX.rtf"), QStringLiteral("segedlet"),
                  QStringLiteral("ADATSZOLGALTATOFORMX.RTF"));
    ctx.helpTopic = QStringLiteral("BeraktarozokFormX");
    HelpFormX help(ctx);
    help.show();
    QTextDocument* doc = help.richTextBox()->document();
    const QString text = doc->toPlainText();
    EXPECT_TRUE(text.startsWith(QStringLiteral("Ügyfelek adatai törzs")))
        << text.left(80).toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Vevő-Szállító törzs")));
    EXPECT_TRUE(text.contains(QStringLiteral("Postai irányítószám")));
    bool hasTable = false;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
        hasTable = hasTable || QTextCursor(b).currentTable();
    EXPECT_TRUE(hasTable);
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_EQ(dialogs.beeps, 0);
    EXPECT_TRUE(ctx.helpTopic.isEmpty());

    // Shown again without the topic being set again: there is no help now.
    help.hide();
    help.show();
    EXPECT_EQ(doc->toPlainText(), kNoHelp);
    EXPECT_EQ(dialogs.beeps, 1);
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(ViewerTest, MissingOrDamagedHelpFileGivesTheLoadMessage) {
    for (int round = 0; round < 2; ++round) {
        if (round == 1) {
            // A file that is there but is no RTF.
            QDir(folder.path()).mkpath(QStringLiteral("Segedlet"));
            QFile f(folder.file(QStringLiteral("Segedlet/AdatszolgaltatoFormX.rtf")));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("PK\x03\x04 not a help text");
        }
        dialogs.clear();
        ctx.helpTopic = QStringLiteral("BeraktarozokFormX");
        HelpFormX help(ctx);
        opener.openModal(help);
        ASSERT_EQ(dialogs.shown.size(), 1) << round;
        const auto& box = dialogs.shown[0];
        EXPECT_EQ(box.text, kCannotLoad);
        EXPECT_EQ(box.title, QStringLiteral("FIGYELEM!"));
        EXPECT_EQ(box.icon, DialogService::Icon::Critical);
        EXPECT_EQ(box.beepsBefore, 1);
        EXPECT_TRUE(help.richTextBox()->document()->isEmpty());
        EXPECT_TRUE(ctx.helpTopic.isEmpty());
    }
}

TEST_F(ViewerTest, EmptyTopicShowsTheNoHelpText) {
    ctx.helpTopic.clear();
    HelpFormX help(ctx);
    help.show();
    EXPECT_EQ(help.richTextBox()->toPlainText(), kNoHelp);
    EXPECT_EQ(dialogs.beeps, 1);
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(ViewerTest, HelpPrintsBareCharactersOrSaysThePrinterIsNotReady) {
    // A help text with a picture, a table and bold type.
    placeHelpFile(sourceFile("tests/rtf/data/libreoffice-png.rtf"));
    ctx.helpTopic = QStringLiteral("BeraktarozokFormX");
    HelpFormX help(ctx);
    help.show();
    const QString printable =
        vela::PlainTextPrinter::printableText(*help.richTextBox()->document());
    EXPECT_TRUE(printable.contains(QStringLiteral("Kép:  vége.")));
    EXPECT_FALSE(printable.contains(QChar::ObjectReplacementCharacter));

    printer.setReady(false);
    action(help, "HNyom")->trigger();
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text, kNotReady);
    EXPECT_EQ(dialogs.shown[0].title, QStringLiteral("FIGYELEM!"));
    EXPECT_EQ(dialogs.shown[0].icon, DialogService::Icon::Critical);
    EXPECT_EQ(dialogs.shown[0].beepsBefore, 1);
    EXPECT_EQ(printer.jobs, 0);
    EXPECT_TRUE(help.isVisible());

    dialogs.clear();
    printer.setReady(true);
    action(help, "HNyom")->trigger();
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_EQ(printer.jobs, 1);
    const QByteArray out = pdf();
    ASSERT_FALSE(out.isEmpty());
    EXPECT_FALSE(out.contains("/Subtype /Image")) << "pictures are not printed";

    action(help, "Hki")->trigger();
    EXPECT_FALSE(help.isVisible());
}

TEST_F(ViewerTest, ManualIsStoredWithItsPictures) {
    FelhasznaloiKezikonyvVDForm manual(ctx);
    EXPECT_EQ(manual.windowTitle(), QStringLiteral("Felhasználói kézikönyv - VelaData - Kvadra"));
    QTextDocument* doc = manual.richTextBox()->document();
    const QString text = doc->toPlainText();
    EXPECT_TRUE(text.contains(QStringLiteral("2.5")));
    EXPECT_TRUE(text.contains(QStringLiteral("VD15")));

    int pictures = 0;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            if (!f.isImageFormat())
                continue;
            ++pictures;
            const QString name = f.toImageFormat().name();
            EXPECT_FALSE(doc->resource(QTextDocument::ImageResource, QUrl(name)).isNull())
                << "picture not found: " << name.toStdString();
        }
    EXPECT_GE(pictures, 1);
}

TEST_F(ViewerTest, ManualPrintsOrSaysThePrinterIsNotReady) {
    FelhasznaloiKezikonyvVDForm manual(ctx);
    manual.show();
    printer.setReady(false);
    manual.printButton()->click();
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text, kNotReady);
    EXPECT_EQ(dialogs.shown[0].title, QStringLiteral("FIGYELEM! HIBA!"));
    EXPECT_EQ(dialogs.shown[0].icon, DialogService::Icon::Critical);
    EXPECT_EQ(dialogs.shown[0].beepsBefore, 1);
    EXPECT_EQ(printer.jobs, 0);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(manual.isVisible());

    dialogs.clear();
    // The button is painted green while the print runs, white again after.
    QColor duringPrint;
    printer.onPrint = [&] { duringPrint = mostPainted(manual.printButton()); };
    printer.setReady(true);
    manual.printButton()->click();
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_EQ(printer.jobs, 1);
    EXPECT_FALSE(pdf().contains("/Subtype /Image"));
    // (a pressed button is painted a shade darker)
    EXPECT_GT(duringPrint.green(), 150) << duringPrint.name().toStdString();
    EXPECT_LT(duringPrint.red(), 60);
    EXPECT_LT(duringPrint.blue(), 60);
    const QColor after = mostPainted(manual.printButton());
    EXPECT_GT(after.red(), 245);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(ViewerTest, ManualCloseBoxRunsExitWhileTheFlagIsSet) {
    {
        FelhasznaloiKezikonyvVDForm manual(ctx);
        EXPECT_TRUE(manual.closeFlag());
        opener.openModal(manual);  // closed by its close box
        EXPECT_FALSE(manual.isVisible());
        EXPECT_FALSE(manual.closeFlag());
        EXPECT_EQ(manual.result(), QDialog::Accepted);
    }
    {
        FelhasznaloiKezikonyvVDForm manual(ctx);
        opener.handlers.append([&](QDialog&) { manual.exitButton()->click(); });
        opener.openModal(manual);
        EXPECT_FALSE(manual.isVisible());
        EXPECT_FALSE(manual.closeFlag());
    }
    {
        // With the flag cleared from outside, the close box just closes.
        FelhasznaloiKezikonyvVDForm manual(ctx);
        manual.SetQui(false);
        manual.show();
        manual.close();
        EXPECT_FALSE(manual.isVisible());
        EXPECT_EQ(manual.result(), QDialog::Rejected);
    }
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
