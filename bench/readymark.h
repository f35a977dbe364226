#pragma once

#include <QByteArray>
#include <QCryptographicHash>
#include <QFile>
#include <QString>

// A benchmark's data folder in /tmp is made once and reused while its
// "ready" mark holds the fingerprint of the clean templates it was made
// from. A folder left by an older schema (other columns, other indexes)
// would measure a program that no longer exists: it is made again.
namespace bench {

inline QByteArray templatesFingerprint() {
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (const char* f : {"veladata.mdb", "betarol.kdb", "parameter.kdb", "LFakturo.mdb"}) {
        QFile t(QStringLiteral(VELA_TEMPLATE_DIR "/") + f);
        if (t.open(QIODevice::ReadOnly))
            hash.addData(t.readAll());
    }
    return hash.result().toHex();
}

inline bool isReady(const QString& dir) {
    QFile mark(dir + QStringLiteral("/ready"));
    return mark.open(QIODevice::ReadOnly) && mark.readAll() == templatesFingerprint();
}

inline void markReady(const QString& dir) {
    QFile mark(dir + QStringLiteral("/ready"));
    if (mark.open(QIODevice::WriteOnly))
        mark.write(templatesFingerprint());
}

}  // namespace bench
