#include "base/programstart.h"

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

bool answerInfoRequest(int argc, char** argv, const QString& help, const QString& version) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    const InfoRequest request = infoRequest(arguments);
    if (request == InfoRequest::None)
        return false;
    const QByteArray text = (request == InfoRequest::Help ? help : version).toUtf8();
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
