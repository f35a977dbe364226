#include "import/navsignature.h"

#include <QCryptographicHash>

namespace vela {

namespace {

QString upperHash(const QByteArray& data, QCryptographicHash::Algorithm algorithm) {
    return QString::fromLatin1(QCryptographicHash::hash(data, algorithm).toHex().toUpper());
}

}  // namespace

QString NavSignature::timestampText(const QDateTime& moment) {
    return moment.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")) + QLatin1Char('Z');
}

QString NavSignature::requestSignature(const QString& requestId, const QDateTime& moment,
                                       const QString& signKey,
                                       const QList<std::pair<QString, QString>>& indexed) {
    QString base = requestId + moment.toUTC().toString(QStringLiteral("yyyyMMddHHmmss")) + signKey;
    for (const auto& [operation, data] : indexed)
        base += upperHash((operation + data).toUtf8(), QCryptographicHash::Sha3_512);
    return upperHash(base.toUtf8(), QCryptographicHash::Sha3_512);
}

QString NavSignature::passwordHash(const QString& password) {
    return upperHash(password.toUtf8(), QCryptographicHash::Sha512);
}

}  // namespace vela
