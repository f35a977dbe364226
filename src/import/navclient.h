#pragma once

#include <QDate>
#include <QDateTime>
#include <QObject>
#include <QStringList>
#include <QUrl>
#include <functional>

#include "base/result.h"
#include "import/navinvoice.h"

class QNetworkAccessManager;
class QXmlStreamWriter;

namespace vela {

enum class NavEnvironment { Production, Test };
enum class NavDirection { Outbound, Inbound };

// The technical user the business registered at the authority. The
// password is kept as typed and only its hash leaves the program.
struct NavTechnicalUser {
    QString login;
    QString password;
    QString signKey;
    QString taxNumber;  // the business's 8 digits
    // The test system has technical users of its own, so the choice goes with the user.
    NavEnvironment environment = NavEnvironment::Production;
};

// One line of a queryInvoiceDigest answer.
struct NavInvoiceDigest {
    QString invoiceNumber;
    int batchIndex = 0;
    NavOperation operation = NavOperation::Unknown;
    QString supplierTaxNumber;
    QString customerTaxNumber;
    QDate issueDate;
    QString transactionId;
};

// What a fetch brought: the invoices, and a line for each one that could
// not be downloaded or read (the others are not given up for it).
struct NavFetchResult {
    QList<NavInvoice> invoices;
    QStringList problems;
    int skipped = 0;  // digests the caller said it already has
};

// The tax authority's Online Számla interface, for reading invoices back:
// queryInvoiceDigest over a date range (every page, in windows the
// interface allows), then queryInvoiceData for each invoice. Every call
// answers once, through its callback, on the thread's event loop.
class NavClient : public QObject {
    Q_OBJECT
  public:
    static QUrl endpoint(NavEnvironment environment);

    // The interface allows at most this many days between a query's dates.
    static constexpr int kMaxQueryDays = 35;

    NavClient(QNetworkAccessManager& network, const QUrl& base, const NavTechnicalUser& user,
              QObject* parent = nullptr);

    using Clock = std::function<QDateTime()>;
    using RequestIdMaker = std::function<QString(const QDateTime&)>;
    void setClock(Clock clock) { clock_ = std::move(clock); }
    void setRequestIdMaker(RequestIdMaker maker) { newRequestId_ = std::move(maker); }
    void setTimeoutMs(int ms) { timeoutMs_ = ms; }

    using DigestsDone = std::function<void(Result<QList<NavInvoiceDigest>>)>;
    using DataDone = std::function<void(Result<QList<NavInvoice>>)>;
    using FetchDone = std::function<void(Result<NavFetchResult>)>;
    // True for a digest whose invoice need not be downloaded (already in the ledger).
    using Skip = std::function<bool(const NavInvoiceDigest&)>;

    void queryDigests(const QDate& from, const QDate& to, NavDirection direction, DigestsDone done);
    void queryData(const NavInvoiceDigest& digest, NavDirection direction, DataDone done);
    void fetch(const QDate& from, const QDate& to, NavDirection direction, Skip skip,
               FetchDone done);

    // The request bodies, as they are sent.
    QByteArray digestRequest(const QDate& from, const QDate& to, NavDirection direction,
                             int page) const;
    QByteArray dataRequest(const NavInvoiceDigest& digest, NavDirection direction) const;

  signals:
    void progress(int done, int total);

  private:
    using BodyDone = std::function<void(Result<QByteArray>)>;
    void post(const QString& operation, const QByteArray& body, BodyDone done);
    void digestWindow(QList<std::pair<QDate, QDate>> windows, NavDirection direction, int page,
                      QList<NavInvoiceDigest> sofar, DigestsDone done);
    void downloadNext(QList<NavInvoiceDigest> todo, int total, NavDirection direction,
                      NavFetchResult sofar, FetchDone done);
    QByteArray request(const char* root, const std::function<void(QXmlStreamWriter&)>& body) const;

    QNetworkAccessManager& network_;
    QUrl base_;
    NavTechnicalUser user_;
    Clock clock_;
    RequestIdMaker newRequestId_;
    int timeoutMs_ = 60000;
};

}  // namespace vela
