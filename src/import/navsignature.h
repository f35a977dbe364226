#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <utility>

namespace vela {

// The hashes the tax authority's interface authenticates a request by
// (the authority's interface documentation, section 1.5 and the user header).
class NavSignature {
  public:
    // The request's moment as the header writes it: UTC, milliseconds, "Z".
    static QString timestampText(const QDateTime& moment);

    // requestSignature: SHA3-512, upper case, over the request id, the UTC
    // moment as YYYYMMDDhhmmss and the signature key, followed for
    // manageInvoice and manageAnnulment by the upper-case SHA3-512 of each
    // index's operation and base64 data, in index order.
    static QString requestSignature(const QString& requestId, const QDateTime& moment,
                                    const QString& signKey,
                                    const QList<std::pair<QString, QString>>& indexed = {});

    // passwordHash: SHA-512 of the technical user's password, upper case.
    static QString passwordHash(const QString& password);
};

}  // namespace vela
