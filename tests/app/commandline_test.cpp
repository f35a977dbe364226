// The command line of VelaData and VelaRep, and Qt's own texts in Hungarian.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>

#include "app/commandline.h"
#include "maintenance/repcommandline.h"

namespace {

struct ProgramRun {
    int exitCode = -1;
    QString out;
};

// Runs a built program with no display at all: a program that made its
// QApplication here would fail instead of answering.
ProgramRun runProgram(const QString& name, const QStringList& arguments, const QString& dir) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* var : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(var));
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(dir);
    p.start(QDir(QStringLiteral(VELA_BIN_DIR)).filePath(name), arguments);
    ProgramRun r;
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.exitCode = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    return r;
}

}  // namespace

TEST(CommandLine, HelpAndVersionAreAskedAnywhereOtherArgumentsStartTheProgram) {
    using vela::InfoRequest;
    EXPECT_EQ(vela::infoRequest({}), InfoRequest::None);
    EXPECT_EQ(vela::infoRequest({"-platform", "offscreen"}), InfoRequest::None);
    EXPECT_EQ(vela::infoRequest({"--help"}), InfoRequest::Help);
    EXPECT_EQ(vela::infoRequest({"-h"}), InfoRequest::Help);
    EXPECT_EQ(vela::infoRequest({"--version"}), InfoRequest::Version);
    EXPECT_EQ(vela::infoRequest({"--version", "--help"}), InfoRequest::Help);
    EXPECT_EQ(vela::infoRequest({"--Help"}), InfoRequest::None);

    // VelaRep's "/s" in any case stays the window's argument.
    using R = velarep::InfoRequest;
    EXPECT_EQ(velarep::infoRequest({"/s"}), R::None);
    EXPECT_EQ(velarep::infoRequest({"/S"}), R::None);
    EXPECT_EQ(velarep::infoRequest({}), R::None);
    EXPECT_EQ(velarep::infoRequest({"--help"}), R::Help);
    EXPECT_EQ(velarep::infoRequest({"/s", "-h"}), R::Help);
    EXPECT_EQ(velarep::infoRequest({"--version"}), R::Version);
}

TEST(CommandLine, TheBankStatementFileIsMadeAbsolute) {
    const QString here = QDir::currentPath();
    const struct {
        QStringList arguments;
        QString file;
    } cases[] = {
        {{"--bankkivonat", "k.xml"}, here + "/k.xml"},
        {{"-x", "--bankkivonat=/tmp/k.csv"}, "/tmp/k.csv"},
        {{"--bankkivonat"}, {}},
        {{"k.xml"}, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(vela::bankStatementArgument(c.arguments), c.file)
            << c.arguments.join(' ').toStdString();
}

TEST(CommandLine, ProgramsAnswerOnTheTerminalWithoutDisplayOrDatabase) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());

    const ProgramRun version = runProgram(QStringLiteral("VelaData"), {"--version"}, dir.path());
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, QStringLiteral("VelaData 2.5\n"));

    const ProgramRun help = runProgram(QStringLiteral("VelaData"), {"--help"}, dir.path());
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith(QStringLiteral(
        "Használat: VelaData [--bankkivonat FÁJL] [--help | --version | --nav-szamla FÁJL…]\n")))
        << help.out.toStdString();
    EXPECT_TRUE(help.out.contains(QStringLiteral("VELADATA_DIR")));

    const ProgramRun repVersion = runProgram(QStringLiteral("VelaRep"), {"--version"}, dir.path());
    EXPECT_EQ(repVersion.exitCode, 0);
    EXPECT_EQ(repVersion.out, QStringLiteral("VelaRep 1.0 – a VelaData 2.5 adatbázisaihoz\n"));

    const ProgramRun repHelp = runProgram(QStringLiteral("VelaRep"), {"-h"}, dir.path());
    EXPECT_EQ(repHelp.exitCode, 0);
    EXPECT_TRUE(repHelp.out.startsWith(QStringLiteral(
        "Használat: VelaRep [/kiszolgalo | /helyi | /visszatoltes MAPPA] [/s] | --help | "
        "--version\n")))
        << repHelp.out.toStdString();
    EXPECT_TRUE(repHelp.out.contains(QStringLiteral(
        "  /s             a karbantartás azonnal indul, a végén az ablak bezárul\n")));
    EXPECT_TRUE(repHelp.out.contains(QStringLiteral("  /kiszolgalo    ")));
    EXPECT_TRUE(repHelp.out.contains(QStringLiteral("  /helyi         ")));

    // Neither program made a database or a backup folder in the data folder.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
}

TEST(Hungarian, QtDialogTextsNumbersAndDatesOfBothPrograms) {
    vela::useHungarian(*QCoreApplication::instance());
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Mégse"));
    EXPECT_EQ(QCoreApplication::translate("QPrintPreviewDialog", "Print Preview"),
              QStringLiteral("Nyomtatási kép"));
    EXPECT_EQ(QLocale().toString(1234.5, 'f', 2), QStringLiteral("1\u00a0234,50"));
    EXPECT_EQ(QLocale().toString(QDate(2026, 12, 8), QLocale::ShortFormat),
              QStringLiteral("2026. 12. 08."));
    EXPECT_EQ(QLocale().monthName(3), QStringLiteral("március"));
    EXPECT_EQ(QLocale().dayName(1, QLocale::ShortFormat), QStringLiteral("H"));

    QLocale::setDefault(QLocale::c());
    velarep::useHungarian(*QCoreApplication::instance());
    EXPECT_EQ(QLocale().language(), QLocale::Hungarian);
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes"), QStringLiteral("&Igen"));
}
