#include "maintenance/repcommandline.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdio>

#include "maintenance/reptexts.h"

namespace velarep {

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
        "Használat: VelaRep [/s | --help | --version]\n"
        "\n"
        "A VelaRep az aktuális mappa (az adatmappa) négy adatbázisát építi újra a\n"
        "program melletti Data mappa tiszta mintáiból úgy, hogy az adatsorok\n"
        "megmaradnak; a régi fájlok a SAVE-ÉÉÉÉHHNN-ÓÓPPMM mentési mappába\n"
        "kerülnek. A hiányzó adatbázis helyére a tiszta minta kerül.\n"
        "\n"
        "Kapcsolók:\n"
        "  /s             a karbantartás azonnal indul, a végén az ablak bezárul\n"
        "  -h, --help     ez a súgó\n"
        "  --version      a program verziója\n");
}

QString versionText() {
    return QString::fromUtf8(texts::kVersionLine) + QLatin1Char('\n');
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

}  // namespace velarep
