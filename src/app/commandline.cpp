#include "app/commandline.h"

#include <QFileInfo>

#include "base/programstart.h"

namespace vela {

QString helpText() {
    return QStringLiteral(
        "Használat: VelaData [--bankkivonat FÁJL] [--help | --version | --nav-szamla FÁJL…]\n"
        "\n"
        "A VelaData a szállítói (Tartozunk) és a vevői (Tartoznak) nyitott számlák\n"
        "nyilvántartása. Adatmappája az aktuális mappa: ebben kell lennie a\n"
        "veladata.mdb, betarol.kdb, parameter.kdb és LFakturo.mdb adatbázisnak.\n"
        "A program adatbázist nem hoz létre; a hiányzó vagy sérült adatbázist a\n"
        "VelaRep program építi újra.\n"
        "\n"
        "A menüből (a veladata indítóval) a ~/VelaData adatmappában indul, vagy\n"
        "abban, amelyet a VELADATA_DIR környezeti változó megad; az új adatmappát\n"
        "az indító hozza létre.\n"
        "\n"
        "Kapcsolók:\n"
        "  -h, --help     ez a súgó\n"
        "  --version      a program verziója\n"
        "  --bankkivonat FÁJL\n"
        "                 a camt.053 vagy CSV bankszámlakivonatot a Bankkivonat\n"
        "                 ablakban nyitja meg\n"
        "  --nav-szamla FÁJL…\n"
        "                 az Online Számla import ablak nyílik meg ezekkel a NAV XML-\n"
        "                 fájlokkal (vagy mappákkal) a listában\n");
}

QString versionText() {
    return QStringLiteral("VelaData " VELA_VERSION "\n");
}

QString bankStatementArgument(const QStringList& arguments) {
    const QString option = QStringLiteral("--bankkivonat");
    for (int i = 0; i < arguments.size(); ++i) {
        QString file;
        if (arguments[i] == option && i + 1 < arguments.size())
            file = arguments[i + 1];
        else if (arguments[i].startsWith(option + QLatin1Char('=')))
            file = arguments[i].mid(option.size() + 1);
        if (!file.isEmpty())
            return QFileInfo(file).absoluteFilePath();
    }
    return {};
}

bool answerInfoRequest(int argc, char** argv) {
    return vela::answerInfoRequest(argc, argv, helpText(), versionText());
}

std::optional<QStringList> navSzamlaFiles(const QStringList& arguments) {
    const qsizetype at = arguments.indexOf(QStringLiteral("--nav-szamla"));
    if (at < 0)
        return std::nullopt;
    QStringList files;
    for (qsizetype i = at + 1;
         i < arguments.size() && !arguments[i].startsWith(QLatin1String("--")); ++i)
        files << arguments[i];
    return files;
}

}  // namespace vela
