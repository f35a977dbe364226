#pragma once

// A stand-in of the tax authority's Online Számla server on 127.0.0.1: each
// request is checked against invoiceApi.xsd (xmllint) and for its password
// hash and signature, and answered from the published samples.
#include <gtest/gtest.h>
#include <zlib.h>

#include <QFile>
#include <QHash>
#include <QMap>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryFile>
#include <QXmlStreamReader>

#include "import/navclient.h"
#include "import/navsignature.h"

namespace vela::navstandin {

inline const QString kNav = QStringLiteral(VELA_SHARED_TESTDATA "/nav/");
inline const NavTechnicalUser kUser{"vd7tech0user01", "Titkos-Jelszo1",
                                    "ab-cd12-3456789abcdef1XYZXYZXYZ", "99887764"};

inline QByteArray gzip(const QByteArray& plain) {
    z_stream zs{};
    deflateInit2(&zs, 1, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(int(deflateBound(&zs, uLong(plain.size()))), '\0');
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(plain.constData()));
    zs.avail_in = uInt(plain.size());
    zs.next_out = reinterpret_cast<Bytef*>(out.data());
    zs.avail_out = uInt(out.size());
    deflate(&zs, Z_FINISH);
    out.resize(qsizetype(zs.total_out));
    deflateEnd(&zs);
    return out;
}

// What the stand-in knows: the digests it lists, the file behind each.
struct Listed {
    const char* number;
    int batchIndex;
    const char* operation;
    const char* supplier;
    const char* file;
};
inline const Listed kListed[] = {
    {"ZZZ000001", 0, "CREATE", "99999999", "Eredeti szamla modositasokhoz.xml"},
    {"AAA000568", 0, "CREATE", "99999999", "Belfoldi vegszamla.xml"},
    {"2021/00235", 0, "CREATE", "99999999", "Gyujtoszamla 1.xml"},
    {"ZZZ000002", 0, "STORNO", "99999999", "Teves termek helyesbitese 20.xml"},
    {"SZ00004", 2, "MODIFY", "99999999", "Tobb szamla modositasa egy okirattal.xml"},
};
inline constexpr int kPageSize = 2;

// A one-request-per-connection HTTP responder playing the authority.
class StandInServer : public QObject {
  public:
    StandInServer() {
        EXPECT_TRUE(server_.listen(QHostAddress::LocalHost));
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = server_.nextPendingConnection()) {
                connect(s, &QTcpSocket::readyRead, this, [this, s] { read(s); });
                connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
            }
        });
    }
    QUrl url() const {
        return QUrl(
            QStringLiteral("http://127.0.0.1:%1/invoiceService/v3").arg(server_.serverPort()));
    }

    QStringList seen;      // "operation page/number" of each request, in order
    QStringList problems;  // what was wrong with a request

  private:
    void read(QTcpSocket* s) {
        QByteArray& buf = buffers_[s];
        buf += s->readAll();
        const int headEnd = int(buf.indexOf("\r\n\r\n"));
        if (headEnd < 0)
            return;
        const QByteArray head = buf.left(headEnd).toLower();
        const int at = int(head.indexOf("content-length:"));
        const int length =
            at < 0 ? 0 : head.mid(at + 15, head.indexOf("\r\n", at) - at - 15).trimmed().toInt();
        if (buf.size() < headEnd + 4 + length)
            return;
        const QByteArray path = buf.left(buf.indexOf(' ', 5)).mid(5);
        const QByteArray body = buf.mid(headEnd + 4, length);
        buffers_.remove(s);
        const auto [status, answer] = respond(path, body);
        s->write("HTTP/1.1 " + QByteArray::number(status) + (status == 200 ? " OK" : " ERROR") +
                 "\r\nContent-Type: application/xml;charset=UTF-8\r\nContent-Length: " +
                 QByteArray::number(answer.size()) + "\r\nConnection: close\r\n\r\n" + answer);
        s->disconnectFromHost();
    }

    bool schemaValid(const QByteArray& body) {
        QTemporaryFile f;
        if (!f.open())
            return false;
        f.write(body);
        f.flush();
        QProcess lint;
        lint.start("xmllint",
                   {"--noout", "--schema", kNav + "xsd/invoiceApi-all.xsd", f.fileName()});
        if (!lint.waitForFinished(20000))
            return false;
        if (lint.exitCode() != 0)
            problems << QString::fromUtf8(lint.readAllStandardError());
        return lint.exitCode() == 0;
    }

    static QMap<QString, QString> leaves(const QByteArray& body) {
        QMap<QString, QString> v;
        QXmlStreamReader r(body);
        while (!r.atEnd()) {
            if (r.readNext() == QXmlStreamReader::StartElement) {
                const QString n = r.name().toString();
                if (n != "header" && n != "user" && n != "software" && !n.endsWith("Params") &&
                    !n.endsWith("Query") && n != "invoiceIssueDate" && !n.endsWith("Request"))
                    v[n] = r.readElementText();
            }
        }
        return v;
    }

    static QByteArray error(const char* code, const char* message) {
        return QByteArray(
                   R"(<?xml version="1.0" encoding="UTF-8"?><GeneralErrorResponse xmlns="http://schemas.nav.gov.hu/OSA/3.0/api" xmlns:common="http://schemas.nav.gov.hu/NTCA/1.0/common"><common:header><common:requestId>X</common:requestId><common:timestamp>2021-06-01T10:00:00.000Z</common:timestamp><common:requestVersion>3.0</common:requestVersion></common:header><common:result><common:funcCode>ERROR</common:funcCode><common:errorCode>)") +
               code + "</common:errorCode><common:message>" + message +
               "</common:message></common:result><software/></GeneralErrorResponse>";
    }

    std::pair<int, QByteArray> respond(const QByteArray& path, const QByteArray& body) {
        if (!schemaValid(body))
            return {400, error("INVALID_REQUEST", "XML schema validation failed")};
        const auto v = leaves(body);
        if (v["passwordHash"] != NavSignature::passwordHash(kUser.password) ||
            v["login"] != kUser.login)
            return {401, error("INVALID_SECURITY_USER", "Helytelen authentikációs adatok!")};
        const QDateTime moment = QDateTime::fromString(v["timestamp"], Qt::ISODateWithMs);
        if (v["requestSignature"] !=
            NavSignature::requestSignature(v["requestId"], moment, kUser.signKey))
            return {400, error("INVALID_REQUEST_SIGNATURE", "Helytelen aláírás")};
        const QByteArray head =
            R"(<?xml version="1.0" encoding="UTF-8"?><%1 xmlns="http://schemas.nav.gov.hu/OSA/3.0/api" xmlns:common="http://schemas.nav.gov.hu/NTCA/1.0/common"><common:header><common:requestId>A</common:requestId><common:timestamp>2021-06-01T10:00:00.000Z</common:timestamp><common:requestVersion>3.0</common:requestVersion></common:header><common:result><common:funcCode>OK</common:funcCode></common:result><software/>)";
        if (path.endsWith("/queryInvoiceDigest")) {
            if (v["invoiceDirection"] != "INBOUND")
                problems << "direction " + v["invoiceDirection"];
            const int page = v["page"].toInt();
            seen << QStringLiteral("digest %1 %2").arg(v["dateFrom"]).arg(page);
            // The listed invoices were all issued in the window that holds 2021-05-15.
            const QDate mid(2021, 5, 15);
            const bool holds = QDate::fromString(v["dateFrom"], Qt::ISODate) <= mid &&
                               mid <= QDate::fromString(v["dateTo"], Qt::ISODate);
            const int count = holds ? int(std::size(kListed)) : 0;
            const int pages = (count + kPageSize - 1) / kPageSize;
            QByteArray out = QByteArray(head).replace("%1", "QueryInvoiceDigestResponse");
            out += "<invoiceDigestResult><currentPage>" + QByteArray::number(page) +
                   "</currentPage><availablePage>" + QByteArray::number(pages) + "</availablePage>";
            for (int i = (page - 1) * kPageSize; i < std::min(count, page * kPageSize); ++i) {
                const Listed& l = kListed[i];
                out += QByteArray("<invoiceDigest><invoiceNumber>") + l.number + "</invoiceNumber>";
                if (l.batchIndex)
                    out += "<batchIndex>" + QByteArray::number(l.batchIndex) + "</batchIndex>";
                out += QByteArray("<invoiceOperation>") + l.operation +
                       "</invoiceOperation><invoiceCategory>NORMAL</invoiceCategory>"
                       "<invoiceIssueDate>2021-05-15</invoiceIssueDate><supplierTaxNumber>" +
                       l.supplier +
                       "</supplierTaxNumber><supplierName>Értékesítő Kft</supplierName>"
                       "<insDate>2021-05-15T10:00:00.000Z</insDate></invoiceDigest>";
            }
            return {200, out + "</invoiceDigestResult></QueryInvoiceDigestResponse>"};
        }
        if (path.endsWith("/queryInvoiceData")) {
            seen << "data " + v["invoiceNumber"] +
                        (v.contains("batchIndex") ? "#" + v["batchIndex"] : "");
            if (v["supplierTaxNumber"] != "99999999")
                problems << "no supplier filter for " + v["invoiceNumber"];
            for (size_t i = 0; i < std::size(kListed); ++i) {
                if (v["invoiceNumber"] != QLatin1String(kListed[i].number))
                    continue;
                QFile f(kNav + "samples/" + kListed[i].file);
                EXPECT_TRUE(f.open(QIODevice::ReadOnly));
                const bool compressed = i % 2 == 0;
                const QByteArray data = compressed ? gzip(f.readAll()) : f.readAll();
                QByteArray out = QByteArray(head).replace("%1", "QueryInvoiceDataResponse");
                out +=
                    "<invoiceDataResult><invoiceData>" + data.toBase64() +
                    "</invoiceData><auditData><insDate>2021-05-15T10:00:00Z</insDate>"
                    "<insCusUser>abcdef</insCusUser><source>XML</source><transactionId>T" +
                    QByteArray::number(int(i)) +
                    "</transactionId><originalRequestVersion>3.0</originalRequestVersion>"
                    "</auditData><compressedContentIndicator>" +
                    (compressed ? "true" : "false") +
                    "</compressedContentIndicator></invoiceDataResult></QueryInvoiceDataResponse>";
                return {200, out};
            }
            return {200, QByteArray(head).replace("%1", "QueryInvoiceDataResponse") +
                             "</QueryInvoiceDataResponse>"};
        }
        return {404, {}};
    }

    QTcpServer server_;
    QHash<QTcpSocket*, QByteArray> buffers_;
};

}  // namespace vela::navstandin
