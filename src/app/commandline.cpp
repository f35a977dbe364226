#include "app/commandline.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdio>

namespace vela {

InfoRequest infoRequest(const QStringList& arguments) {
    InfoRequest request = InfoRequest::None;
    for (const QString& a : arguments) {
        if (a == QLatin1String("-h") || a == QLatin1String("--help"))
            return InfoRequest::Help;
        if (a == QLatin1String("--version"))
            request = InfoRequest::Version;
    }
    return request;
}

QString helpText() {
    return QStringLiteral(
        "Használat: VelaData [--help | --version]\n"
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
        "  --version      a program verziója\n");
}

QString versionText() {
    return QStringLiteral("VelaData " VELA_VERSION "\n");
}

bool answerInfoRequest(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    const InfoRequest request = infoRequest(arguments);
    if (request == InfoRequest::None)
        return false;
    const QByteArray text = (request == InfoRequest::Help ? helpText() : versionText()).toUtf8();
    std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
    std::fflush(stdout);
    return true;
}

void useHungarian(QCoreApplication& app) {
    const QLocale hungarian(QLocale::Hungarian, QLocale::Hungary);
    QLocale::setDefault(hungarian);
    auto* translator = new QTranslator(&app);
    if (translator->load(hungarian, QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

}  // namespace vela
