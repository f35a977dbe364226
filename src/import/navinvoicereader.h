#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include "base/result.h"
#include "import/navinvoice.h"

namespace vela {

// Reads Online Számla 3.0 invoice data: an InvoiceData document alone, or
// the interface's QueryInvoiceDataResponse around one (base64, gzip when the
// response says so). The XML reader resolves no entity: a document with a
// DTD is refused before anything in it is looked at, and so is anything
// bigger than kMaxBytes, on disk or once unpacked.
class NavInvoiceReader {
  public:
    static constexpr qint64 kMaxBytes = 50LL * 1024 * 1024;

    static constexpr const char* kDataNamespace = "http://schemas.nav.gov.hu/OSA/3.0/data";
    static constexpr const char* kApiNamespace = "http://schemas.nav.gov.hu/OSA/3.0/api";

    // Every invoice of the file (a batch of modifications gives several).
    static Result<QList<NavInvoice>> readFile(const QString& path);

    // The same for a document already in memory; name is what messages call it.
    static Result<QList<NavInvoice>> readBytes(const QByteArray& xml, const QString& name);

    // The invoice data of a queryInvoiceData answer's invoiceData element.
    static Result<QList<NavInvoice>> readEncoded(const QByteArray& base64, bool compressed,
                                                 const QString& name);

    // Unpacks gzip data, refusing more than kMaxBytes of output.
    static Result<QByteArray> gunzip(const QByteArray& packed, const QString& name);
};

}  // namespace vela
