// The interface client against a stand-in of the authority's server on
// 127.0.0.1: each request is checked against invoiceApi.xsd (xmllint) and
// for its password hash and signature, and answered from the samples.
#include <gtest/gtest.h>
#include <zlib.h>

#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryFile>
#include <QTimer>
#include <QXmlStreamReader>
#include <memory>

#include "import/navclient.h"
#include "import/naverrors.h"
#include "import/navsignature.h"
#include "navstandinserver.h"

using namespace vela;
using namespace vela::navstandin;

namespace {

template <typename T>
T waitFor(const std::function<void(std::function<void(T)>)>& call) {
    QEventLoop loop;
    std::optional<T> got;
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    call([&](T r) {
        got.emplace(std::move(r));
        loop.quit();
    });
    if (!got)
        loop.exec();
    if (!got)
        return T(Error{"időtúllépés a tesztben"});
    return std::move(*got);
}

}  // namespace

TEST(NavClient, PagesTheDigestInWindowsAndDownloadsWhatIsNotInTheLedger) {
    StandInServer nav;
    QNetworkAccessManager network;
    NavClient client(network, nav.url(), kUser);
    const auto fetched = waitFor<Result<NavFetchResult>>([&](auto done) {
        // 40 days: two windows of the interface's 35.
        client.fetch(
            QDate(2021, 5, 1), QDate(2021, 6, 9), NavDirection::Inbound,
            [](const NavInvoiceDigest& d) { return d.invoiceNumber == "AAA000568"; }, done);
    });
    ASSERT_TRUE(fetched) << fetched.errorText().toStdString();
    EXPECT_EQ(nav.problems, QStringList{});
    EXPECT_EQ(nav.seen, (QStringList{"digest 2021-05-01 1", "digest 2021-05-01 2",
                                     "digest 2021-05-01 3", "digest 2021-06-05 1", "data ZZZ000001",
                                     "data 2021/00235", "data ZZZ000002", "data SZ00004#2"}));
    EXPECT_EQ(fetched->skipped, 1);
    EXPECT_EQ(fetched->problems, QStringList{});
    ASSERT_EQ(fetched->invoices.size(), 4);
    const NavInvoice& first = fetched->invoices[0];
    EXPECT_EQ(first.invoiceNumber, "ZZZ000001");
    EXPECT_DOUBLE_EQ(first.gross, 6985000);
    EXPECT_EQ(first.transactionId, "T0");
    EXPECT_EQ(first.sourceName, "NAV: ZZZ000001");
    EXPECT_EQ(fetched->invoices[1].invoiceNumber, "2021/00235");
    EXPECT_DOUBLE_EQ(fetched->invoices[1].gross, 7396640);
    EXPECT_EQ(fetched->invoices[2].operation, NavOperation::Storno);
    // Of a batch only the member the digest names.
    const NavInvoice& batch = fetched->invoices[3];
    EXPECT_EQ(batch.batchIndex, 2);
    ASSERT_TRUE(batch.reference);
    EXPECT_EQ(batch.reference->originalInvoiceNumber, "SZ00002");
}

TEST(NavClient, AWrongPasswordAndNoNetworkGetTheirMessages) {
    StandInServer nav;
    QNetworkAccessManager network;
    NavTechnicalUser wrong = kUser;
    wrong.password = "rossz";
    NavClient client(network, nav.url(), wrong);
    const auto refused = waitFor<Result<QList<NavInvoiceDigest>>>([&](auto done) {
        client.queryDigests(QDate(2021, 5, 1), QDate(2021, 5, 31), NavDirection::Inbound, done);
    });
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.errorText(),
              "A NAV hibát jelzett: Hibás a technikai felhasználó neve vagy jelszava. Ellenőrizze "
              "a NAV-os technikai felhasználó adatait a Paraméterek ablakban. "
              "(INVALID_SECURITY_USER)\nA NAV üzenete: Helytelen authentikációs adatok!");
    EXPECT_EQ(nav.problems, QStringList{});

    NavTechnicalUser wrongKey = kUser;
    wrongKey.signKey = "ab-cd12-3456789abcdef1XYZXYZXYQ";
    NavClient unsigned_(network, nav.url(), wrongKey);
    const auto badSignature = waitFor<Result<QList<NavInvoiceDigest>>>([&](auto done) {
        unsigned_.queryDigests(QDate(2021, 5, 1), QDate(2021, 5, 31), NavDirection::Inbound, done);
    });
    ASSERT_FALSE(badSignature);
    EXPECT_TRUE(badSignature.errorText().contains("(INVALID_REQUEST_SIGNATURE)"))
        << badSignature.errorText().toStdString();

    // A port nothing listens on stands for a missing network.
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const quint16 port = closed.serverPort();
    closed.close();
    NavClient offline(
        network, QUrl(QStringLiteral("http://127.0.0.1:%1/invoiceService/v3").arg(port)), kUser);
    const auto none = waitFor<Result<NavFetchResult>>([&](auto done) {
        offline.fetch(QDate(2021, 5, 1), QDate(2021, 5, 31), NavDirection::Outbound, {}, done);
    });
    ASSERT_FALSE(none);
    EXPECT_TRUE(none.errorText().startsWith(
        "A NAV Online Számla rendszere nem érhető el: nincs hálózati kapcsolat"))
        << none.errorText().toStdString();
}

TEST(NavClient, EveryErrorCodeOfTheInterfaceHasItsHungarianMeaning) {
    const char* codes[] = {"INVALID_REQUEST",
                           "INVALID_SECURITY_USER",
                           "NOT_REGISTERED_CUSTOMER",
                           "INVALID_CUSTOMER",
                           "INVALID_USER_RELATION",
                           "FORBIDDEN",
                           "REQUEST_ID_NOT_UNIQUE",
                           "INVALID_REQUEST_SIGNATURE",
                           "INDEX_NOT_SEQUENTIAL",
                           "INVALID_EXCHANGE_TOKEN",
                           "REQUEST_VERSION_NOT_ALLOWED",
                           "MAINTENANCE_MODE",
                           "STATUS_QUERY_NOT_ALLOWED",
                           "MULTIPLE_QUERY_RESULT_FOUND",
                           "BAD_QUERY_PARAM_OVERLAP",
                           "BAD_QUERY_PARAM_RANGE_EXCEEDED",
                           "BAD_QUERY_PARAM_EQ_NOT_STANDALONE",
                           "BAD_QUERY_PARAM_OPERATOR_COLLISION",
                           "BAD_QUERY_PARAM_SUPPLIER_NOT_EXPECTED",
                           "BAD_QUERY_PARAM_SUPPLIER_EXPECTED",
                           "INVALID_TIMESTAMP",
                           "INVALID_PASSWORD_HASH_CRYPTO",
                           "INVALID_REQUEST_SIGNATURE_HASH_CRYPTO",
                           "INVALID_REQUEST_VERSION",
                           "INVALID_HEADER_VERSION",
                           "OPERATION_FAILED",
                           "NOT_ALLOWED_EXCEPTION"};
    for (const char* c : codes) EXPECT_TRUE(NavErrors::known(c)) << c;
    EXPECT_FALSE(NavErrors::known("NO_SUCH_CODE"));
    EXPECT_EQ(NavErrors::describe("NO_SUCH_CODE", ""),
              "A NAV hibát jelzett: A NAV ismeretlen hibakódot adott. (NO_SUCH_CODE)");
}
