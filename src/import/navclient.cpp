#include "import/navclient.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRandomGenerator>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <memory>

#include "import/naverrors.h"
#include "import/navinvoicereader.h"
#include "import/navsignature.h"

namespace vela {

namespace {

namespace text {
const QString noNetwork = QStringLiteral(
    "A NAV Online Számla rendszere nem érhető el: nincs hálózati kapcsolat, vagy a "
    "kiszolgáló nem válaszol. Ellenőrizze az internetkapcsolatot, és próbálja újra. (%1)");
const QString httpError = QStringLiteral("A NAV kiszolgálója HTTP %1 hibát adott: %2");
const QString badAnswer = QStringLiteral("A NAV válasza nem értelmezhető (%1): %2");
const QString badRange = QStringLiteral("A lekérdezés időszaka hibás: %1 – %2.");
const QString dataName = QStringLiteral("NAV: %1");
const QString notDownloaded = QStringLiteral("%1: %2");
}  // namespace text

constexpr const char* kCommon = "http://schemas.nav.gov.hu/NTCA/1.0/common";

QString directionText(NavDirection d) {
    return d == NavDirection::Outbound ? QStringLiteral("OUTBOUND") : QStringLiteral("INBOUND");
}

NavOperation operationOf(QStringView v) {
    if (v == QLatin1String("CREATE"))
        return NavOperation::Create;
    if (v == QLatin1String("MODIFY"))
        return NavOperation::Modify;
    if (v == QLatin1String("STORNO"))
        return NavOperation::Storno;
    return NavOperation::Unknown;
}

// The result element of any answer: funcCode, errorCode, message.
struct Outcome {
    QString funcCode, errorCode, message;
    bool error() const { return funcCode == QLatin1String("ERROR") || !errorCode.isEmpty(); }
};

// Reads the outcome of an answer body; false when the body is no XML.
bool readOutcome(const QByteArray& body, Outcome& out) {
    QXmlStreamReader r(body);
    bool sawElement = false;
    while (!r.atEnd()) {
        const auto t = r.readNext();
        if (t == QXmlStreamReader::DTD || t == QXmlStreamReader::EntityReference)
            return false;
        if (t != QXmlStreamReader::StartElement)
            continue;
        sawElement = true;
        const QStringView n = r.name();
        if (n == QLatin1String("funcCode"))
            out.funcCode = r.readElementText().trimmed();
        else if (n == QLatin1String("errorCode"))
            out.errorCode = r.readElementText().trimmed();
        else if (n == QLatin1String("message") && out.message.isEmpty())
            out.message = r.readElementText().trimmed();
    }
    return sawElement && !r.hasError();
}

struct DigestPage {
    int availablePage = 0;
    QList<NavInvoiceDigest> digests;
};

Result<DigestPage> readDigestPage(const QByteArray& body) {
    QXmlStreamReader r(body);
    DigestPage page;
    NavInvoiceDigest* d = nullptr;
    QString parent;
    while (!r.atEnd()) {
        const auto t = r.readNext();
        if (t == QXmlStreamReader::DTD || t == QXmlStreamReader::EntityReference)
            return Error{
                text::badAnswer.arg(QStringLiteral("queryInvoiceDigest"), QStringLiteral("DTD"))};
        if (t == QXmlStreamReader::EndElement && r.name() == QLatin1String("invoiceDigest")) {
            d = nullptr;
            continue;
        }
        if (t != QXmlStreamReader::StartElement)
            continue;
        const QStringView n = r.name();
        if (n == QLatin1String("availablePage")) {
            page.availablePage = r.readElementText().toInt();
        } else if (n == QLatin1String("invoiceDigest")) {
            page.digests.append(NavInvoiceDigest{});
            d = &page.digests.last();
        } else if (d) {
            const QString v = r.readElementText().trimmed();
            if (n == QLatin1String("invoiceNumber"))
                d->invoiceNumber = v;
            else if (n == QLatin1String("batchIndex"))
                d->batchIndex = v.toInt();
            else if (n == QLatin1String("invoiceOperation"))
                d->operation = operationOf(v);
            else if (n == QLatin1String("supplierTaxNumber"))
                d->supplierTaxNumber = v;
            else if (n == QLatin1String("customerTaxNumber"))
                d->customerTaxNumber = v;
            else if (n == QLatin1String("invoiceIssueDate"))
                d->issueDate = QDate::fromString(v, Qt::ISODate);
            else if (n == QLatin1String("transactionId"))
                d->transactionId = v;
        }
    }
    if (r.hasError())
        return Error{text::badAnswer.arg(QStringLiteral("queryInvoiceDigest"), r.errorString())};
    return page;
}

QString defaultRequestId(const QDateTime& moment) {
    // Unique per request: the moment to the millisecond and a random tail.
    return QStringLiteral("VD") + moment.toUTC().toString(QStringLiteral("yyyyMMddHHmmsszzz")) +
           QString::number(QRandomGenerator::global()->bounded(100000, 999999));
}

}  // namespace

QUrl NavClient::endpoint(NavEnvironment environment) {
    return QUrl(environment == NavEnvironment::Production
                    ? QStringLiteral("https://api.onlineszamla.nav.gov.hu/invoiceService/v3")
                    : QStringLiteral("https://api-test.onlineszamla.nav.gov.hu/invoiceService/v3"));
}

NavClient::NavClient(QNetworkAccessManager& network, const QUrl& base, const NavTechnicalUser& user,
                     QObject* parent)
    : QObject(parent),
      network_(network),
      base_(base),
      user_(user),
      clock_([] { return QDateTime::currentDateTimeUtc(); }),
      newRequestId_(defaultRequestId) {}

QByteArray NavClient::request(const char* root,
                              const std::function<void(QXmlStreamWriter&)>& body) const {
    const QDateTime now = clock_().toUTC();
    const QString id = newRequestId_(now);
    QByteArray out;
    QXmlStreamWriter w(&out);
    w.writeStartDocument();
    w.writeNamespace(QLatin1String(kCommon), QStringLiteral("common"));
    w.writeDefaultNamespace(QLatin1String(NavInvoiceReader::kApiNamespace));
    w.writeStartElement(QLatin1String(NavInvoiceReader::kApiNamespace), QLatin1String(root));
    w.writeStartElement(QLatin1String(kCommon), QStringLiteral("header"));
    w.writeTextElement(QLatin1String(kCommon), QStringLiteral("requestId"), id);
    w.writeTextElement(QLatin1String(kCommon), QStringLiteral("timestamp"),
                       NavSignature::timestampText(now));
    w.writeTextElement(QLatin1String(kCommon), QStringLiteral("requestVersion"),
                       QStringLiteral("3.0"));
    w.writeTextElement(QLatin1String(kCommon), QStringLiteral("headerVersion"),
                       QStringLiteral("1.0"));
    w.writeEndElement();
    w.writeStartElement(QLatin1String(kCommon), QStringLiteral("user"));
    w.writeTextElement(QLatin1String(kCommon), QStringLiteral("login"), user_.login);
    w.writeStartElement(QLatin1String(kCommon), QStringLiteral("passwordHash"));
    w.writeAttribute(QStringLiteral("cryptoType"), QStringLiteral("SHA-512"));
    w.writeCharacters(NavSignature::passwordHash(user_.password));
    w.writeEndElement();
    w.writeTextElement(QLatin1String(kCommon), QStringLiteral("taxNumber"), user_.taxNumber);
    w.writeStartElement(QLatin1String(kCommon), QStringLiteral("requestSignature"));
    w.writeAttribute(QStringLiteral("cryptoType"), QStringLiteral("SHA3-512"));
    w.writeCharacters(NavSignature::requestSignature(id, now, user_.signKey));
    w.writeEndElement();
    w.writeEndElement();
    const QString api = QLatin1String(NavInvoiceReader::kApiNamespace);
    w.writeStartElement(api, QStringLiteral("software"));
    w.writeTextElement(api, QStringLiteral("softwareId"), QStringLiteral("VELADATA-000000025"));
    w.writeTextElement(api, QStringLiteral("softwareName"), QStringLiteral("VelaData"));
    w.writeTextElement(api, QStringLiteral("softwareOperation"), QStringLiteral("LOCAL_SOFTWARE"));
    w.writeTextElement(api, QStringLiteral("softwareMainVersion"), QStringLiteral("2.5"));
    w.writeTextElement(api, QStringLiteral("softwareDevName"), QStringLiteral("VelaData"));
    w.writeTextElement(api, QStringLiteral("softwareDevContact"),
                       QStringLiteral("veladata@example.hu"));
    w.writeTextElement(api, QStringLiteral("softwareDevCountryCode"), QStringLiteral("HU"));
    w.writeEndElement();
    body(w);
    w.writeEndElement();
    w.writeEndDocument();
    return out;
}

QByteArray NavClient::digestRequest(const QDate& from, const QDate& to, NavDirection direction,
                                    int page) const {
    const QString api = QLatin1String(NavInvoiceReader::kApiNamespace);
    return request("QueryInvoiceDigestRequest", [&](QXmlStreamWriter& w) {
        w.writeTextElement(api, QStringLiteral("page"), QString::number(page));
        w.writeTextElement(api, QStringLiteral("invoiceDirection"), directionText(direction));
        w.writeStartElement(api, QStringLiteral("invoiceQueryParams"));
        w.writeStartElement(api, QStringLiteral("mandatoryQueryParams"));
        w.writeStartElement(api, QStringLiteral("invoiceIssueDate"));
        w.writeTextElement(api, QStringLiteral("dateFrom"), from.toString(Qt::ISODate));
        w.writeTextElement(api, QStringLiteral("dateTo"), to.toString(Qt::ISODate));
        w.writeEndElement();
        w.writeEndElement();
        w.writeEndElement();
    });
}

QByteArray NavClient::dataRequest(const NavInvoiceDigest& digest, NavDirection direction) const {
    const QString api = QLatin1String(NavInvoiceReader::kApiNamespace);
    return request("QueryInvoiceDataRequest", [&](QXmlStreamWriter& w) {
        w.writeStartElement(api, QStringLiteral("invoiceNumberQuery"));
        w.writeTextElement(api, QStringLiteral("invoiceNumber"), digest.invoiceNumber);
        w.writeTextElement(api, QStringLiteral("invoiceDirection"), directionText(direction));
        if (digest.batchIndex > 0)
            w.writeTextElement(api, QStringLiteral("batchIndex"),
                               QString::number(digest.batchIndex));
        // Asked as the customer, the same number may come from several
        // suppliers; as the supplier the interface refuses the filter.
        if (direction == NavDirection::Inbound && !digest.supplierTaxNumber.isEmpty())
            w.writeTextElement(api, QStringLiteral("supplierTaxNumber"),
                               digest.supplierTaxNumber.left(8));
        w.writeEndElement();
    });
}

void NavClient::post(const QString& operation, const QByteArray& body, BodyDone done) {
    QUrl url = base_;
    url.setPath(url.path() + QLatin1Char('/') + operation);
    QNetworkRequest req(url);
    req.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/xml"));
    req.setRawHeader("Accept", "application/xml");
    req.setTransferTimeout(timeoutMs_);
    QNetworkReply* reply = network_.post(req, body);
    connect(reply, &QNetworkReply::finished, this, [reply, done = std::move(done)] {
        reply->deleteLater();
        const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        const QByteArray answer = reply->readAll();
        if (!status.isValid()) {
            // Nothing came back from a server: no route, no name, refused, timed out.
            done(Error{text::noNetwork.arg(reply->errorString())});
            return;
        }
        Outcome outcome;
        const bool xml = readOutcome(answer, outcome);
        if (xml && outcome.error()) {
            done(Error{NavErrors::describe(outcome.errorCode, outcome.message)});
            return;
        }
        if (status.toInt() != 200) {
            done(Error{
                text::httpError.arg(status.toInt())
                    .arg(reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString())});
            return;
        }
        if (!xml) {
            done(Error{text::badAnswer.arg(reply->url().path(), QStringLiteral("nem XML"))});
            return;
        }
        done(answer);
    });
}

void NavClient::queryDigests(const QDate& from, const QDate& to, NavDirection direction,
                             DigestsDone done) {
    if (!from.isValid() || !to.isValid() || from > to) {
        done(Error{text::badRange.arg(from.toString(Qt::ISODate), to.toString(Qt::ISODate))});
        return;
    }
    // The interface answers at most kMaxQueryDays at once; a longer range
    // is asked window by window.
    QList<std::pair<QDate, QDate>> windows;
    for (QDate start = from; start <= to; start = start.addDays(kMaxQueryDays))
        windows.append({start, std::min(to, start.addDays(kMaxQueryDays - 1))});
    digestWindow(windows, direction, 1, {}, std::move(done));
}

void NavClient::digestWindow(QList<std::pair<QDate, QDate>> windows, NavDirection direction,
                             int page, QList<NavInvoiceDigest> sofar, DigestsDone done) {
    if (windows.isEmpty()) {
        done(sofar);
        return;
    }
    const auto [from, to] = windows.first();
    post(QStringLiteral("queryInvoiceDigest"), digestRequest(from, to, direction, page),
         [this, windows, direction, page, sofar,
          done = std::move(done)](Result<QByteArray> body) mutable {
             if (!body) {
                 done(body.error());
                 return;
             }
             auto read = readDigestPage(*body);
             if (!read) {
                 done(read.error());
                 return;
             }
             sofar.append(read->digests);
             if (page < read->availablePage) {
                 digestWindow(windows, direction, page + 1, sofar, std::move(done));
             } else {
                 windows.removeFirst();
                 digestWindow(windows, direction, 1, sofar, std::move(done));
             }
         });
}

void NavClient::queryData(const NavInvoiceDigest& digest, NavDirection direction, DataDone done) {
    post(QStringLiteral("queryInvoiceData"), dataRequest(digest, direction),
         [digest, done = std::move(done)](Result<QByteArray> body) {
             if (!body) {
                 done(body.error());
                 return;
             }
             auto invoices =
                 NavInvoiceReader::readBytes(*body, text::dataName.arg(digest.invoiceNumber));
             if (invoices && digest.batchIndex > 0) {
                 // The answer holds the whole batch document; the digest names one member.
                 invoices->removeIf(
                     [&](const NavInvoice& inv) { return inv.batchIndex != digest.batchIndex; });
             }
             if (invoices) {
                 for (NavInvoice& inv : *invoices) {
                     inv.operation = digest.operation;
                     if (inv.transactionId.isEmpty())
                         inv.transactionId = digest.transactionId;
                 }
             }
             done(std::move(invoices));
         });
}

void NavClient::fetch(const QDate& from, const QDate& to, NavDirection direction, Skip skip,
                      FetchDone done) {
    queryDigests(from, to, direction,
                 [this, direction, skip = std::move(skip),
                  done = std::move(done)](Result<QList<NavInvoiceDigest>> digests) mutable {
                     if (!digests) {
                         done(digests.error());
                         return;
                     }
                     NavFetchResult result;
                     QList<NavInvoiceDigest> todo;
                     for (const NavInvoiceDigest& d : *digests) {
                         if (skip && skip(d))
                             ++result.skipped;
                         else
                             todo.append(d);
                     }
                     const int total = int(todo.size());
                     emit progress(0, total);
                     downloadNext(todo, total, direction, result, std::move(done));
                 });
}

void NavClient::downloadNext(QList<NavInvoiceDigest> todo, int total, NavDirection direction,
                             NavFetchResult sofar, FetchDone done) {
    if (todo.isEmpty()) {
        done(sofar);
        return;
    }
    const NavInvoiceDigest digest = todo.takeFirst();
    queryData(digest, direction,
              [this, todo, total, direction, sofar, digest,
               done = std::move(done)](Result<QList<NavInvoice>> invoices) mutable {
                  if (!invoices) {
                      // A lost connection ends the whole fetch; a single
                      // unreadable invoice is listed and the rest come on.
                      if (invoices.errorText().startsWith(text::noNetwork.left(40))) {
                          done(invoices.error());
                          return;
                      }
                      sofar.problems
                          << text::notDownloaded.arg(digest.invoiceNumber, invoices.errorText());
                  } else {
                      sofar.invoices.append(*invoices);
                  }
                  emit progress(total - int(todo.size()), total);
                  downloadNext(todo, total, direction, sofar, std::move(done));
              });
}

}  // namespace vela
