#include "import/navinvoicereader.h"

#include <zlib.h>

#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>
#include <cmath>
#include <vector>

namespace vela {

namespace {

namespace text {
const QString cannotOpen = QStringLiteral("A(z) „%1” fájl nem nyitható meg: %2");
const QString tooBig =
    QStringLiteral("A(z) „%1” nagyobb 50 MB-nál; ekkora számlaadatot nem olvasunk be.");
const QString malformed = QStringLiteral("A(z) „%1” nem szabályos XML (%2. sor, %3. oszlop): %4");
const QString dtd = QStringLiteral(
    "A(z) „%1” dokumentumtípus-leírást (DTD) vagy entitást tartalmaz; biztonsági okból "
    "ilyen fájlt nem olvasunk be.");
const QString oldFormat = QStringLiteral(
    "A(z) „%1” a régi, 2.0-s Online Számla formátumban van; a NAV ezt már nem "
    "használja, csak a 3.0-s számlaadatot tudjuk beolvasni.");
const QString foreign = QStringLiteral(
    "A(z) „%1” nem Online Számla 3.0 számlaadat: a gyökéreleme „%2”, a névtere „%3” "
    "(várt: InvoiceData, %4).");
const QString noInvoice = QStringLiteral("A(z) „%1” NAV-válasz nem tartalmaz számlaadatot.");
const QString answerError = QStringLiteral("A(z) „%1” NAV-válasz hibát jelez: %2");
const QString badBase64 = QStringLiteral("A(z) „%1” számlaadata nem szabályos base64 kódolású.");
const QString badGzip = QStringLiteral("A(z) „%1” tömörített számlaadata sérült: %2");
const QString missing = QStringLiteral("A(z) „%1” hiányos számla: nincs benne %2.");
const QString badNumber = QStringLiteral("A(z) „%1” hibás összeget tartalmaz (%2: „%3”).");
const QString badDate = QStringLiteral("A(z) „%1” hibás dátumot tartalmaz (%2: „%3”).");
}  // namespace text

constexpr const char* kOldNamespace = "http://schemas.nav.gov.hu/OSA/2.0/data";

double cents(double v) {
    return std::round(v * 100.0) / 100.0;
}

// Parts of an address as the document gives them, run together at its end.
struct AddressParts {
    QString country, postal, city, street, kind, number, building, staircase, floor, door, lot,
        detail;

    NavAddress joined() const {
        QStringList s;
        for (const QString* p : {&street, &kind, &number}) {
            if (!p->isEmpty())
                s << *p;
        }
        if (!building.isEmpty())
            s << building + QStringLiteral(" ép.");
        if (!staircase.isEmpty())
            s << staircase + QStringLiteral(" lh.");
        if (!floor.isEmpty())
            s << floor + QStringLiteral(" em.");
        if (!door.isEmpty())
            s << door + QStringLiteral(" ajtó");
        if (!lot.isEmpty())
            s << QStringLiteral("hrsz. ") + lot;
        if (!detail.isEmpty())
            s << detail;
        return {country, postal, city, s.join(QLatin1Char(' '))};
    }
};

// Walks one InvoiceData document. Every leaf value is taken at its end tag
// from the names of the elements around it, so elements this program does not
// use (product codes, fees, discounts ...) are passed over whatever they hold.
class DataWalker {
  public:
    DataWalker(QXmlStreamReader& xml, const QString& name) : xml_(xml), name_(name) {}

    Result<QList<NavInvoice>> run() {
        while (!xml_.atEnd()) {
            const auto token = xml_.readNext();
            switch (token) {
                case QXmlStreamReader::DTD:
                case QXmlStreamReader::EntityReference:
                    return Error{text::dtd.arg(name_)};
                case QXmlStreamReader::StartElement:
                    if (Status s = start(); !s)
                        return s.error();
                    break;
                case QXmlStreamReader::Characters:
                    text_ += xml_.text();
                    break;
                case QXmlStreamReader::EndElement:
                    if (Status s = end(); !s)
                        return s.error();
                    break;
                default:
                    break;
            }
        }
        if (xml_.hasError())
            return Error{text::malformed.arg(name_)
                             .arg(xml_.lineNumber())
                             .arg(xml_.columnNumber())
                             .arg(xml_.errorString())};
        return finish();
    }

  private:
    bool parentIs(const char* n) const {
        return stack_.size() >= 2 && stack_[stack_.size() - 2] == QLatin1String(n);
    }
    bool inside(const char* n) const {
        for (size_t i = 0; i + 1 < stack_.size(); ++i) {
            if (stack_[i] == QLatin1String(n))
                return true;
        }
        return false;
    }

    Status start() {
        const QString local = xml_.name().toString();
        text_.clear();
        if (stack_.empty()) {
            const QString ns = xml_.namespaceUri().toString();
            if (ns == QLatin1String(kOldNamespace))
                return Error{text::oldFormat.arg(name_)};
            if (local != QLatin1String("InvoiceData") ||
                ns != QLatin1String(NavInvoiceReader::kDataNamespace))
                return Error{text::foreign.arg(name_, local, ns,
                                               QLatin1String(NavInvoiceReader::kDataNamespace))};
        }
        stack_.push_back(local);
        if (local == QLatin1String("invoice")) {
            invoices_.append(NavInvoice{});
            invoices_.last().batchIndex = pendingBatch_;
            current_ = &invoices_.last();
        } else if (!current_) {
            return {};
        } else if (local == QLatin1String("line") && parentIs("invoiceLines")) {
            current_->lines.append(NavLine{});
            line_ = &current_->lines.last();
        } else if (local == QLatin1String("invoiceReference")) {
            current_->reference = NavReference{};
        } else if (local == QLatin1String("supplierAddress") ||
                   local == QLatin1String("customerAddress")) {
            address_ = AddressParts{};
        } else if (local == QLatin1String("advancePaymentData") && line_) {
            line_->advanceDeduction = true;
        } else if (local == QLatin1String("lineAmountsSimplified") ||
                   local == QLatin1String("summarySimplified")) {
            current_->simplifiedAmounts = true;
            if (local == QLatin1String("summarySimplified"))
                simplified_.push_back({});
        } else if (parentIs("vatRate") || parentIs("lineVatRate")) {
            // A rate given by its case instead of a percentage.
            if (local != QLatin1String("vatPercentage") && local != QLatin1String("vatContent"))
                setRate(NavVatRate{std::nullopt, local});
        }
        return {};
    }

    Status end() {
        if (stack_.empty())
            return {};
        const QString local = stack_.back();
        const QString value = text_.trimmed();
        Status s = current_ ? leaf(local, value) : Status{};
        if (s && stack_.size() == 2 && local == QLatin1String("invoiceNumber"))
            number_ = value;
        if (s && stack_.size() == 2 && local == QLatin1String("invoiceIssueDate"))
            s = date(local, value, issued_);
        if (s && local == QLatin1String("batchIndex") && parentIs("batchInvoice"))
            pendingBatch_ = value.toInt();
        if (local == QLatin1String("invoice")) {
            closeInvoice();
            current_ = nullptr;
        } else if (local == QLatin1String("line")) {
            line_ = nullptr;
        } else if (current_ && local == QLatin1String("supplierAddress")) {
            current_->supplier.address = address_.joined();
        } else if (current_ && local == QLatin1String("customerAddress")) {
            current_->customer.address = address_.joined();
        }
        text_.clear();
        stack_.pop_back();
        return s;
    }

    Status amount(const QString& element, const QString& value, double& into) {
        bool ok = false;
        const double v = value.toDouble(&ok);
        if (!ok || !std::isfinite(v))
            return Error{text::badNumber.arg(name_, element, value)};
        into = v;
        return {};
    }

    Status date(const QString& element, const QString& value, QDate& into) {
        into = QDate::fromString(value, Qt::ISODate);
        if (!into.isValid())
            return Error{text::badDate.arg(name_, element, value)};
        return {};
    }

    void setRate(const NavVatRate& rate) {
        if (line_ && inside("line") && parentIs("lineVatRate")) {
            line_->rate = rate;
        } else if (inside("summaryByVatRate") || inside("summarySimplified")) {
            if (!current_->rates.contains(rate))
                current_->rates.append(rate);
        }
    }

    NavParty* party() {
        if (inside("supplierInfo"))
            return &current_->supplier;
        if (inside("customerInfo"))
            return &current_->customer;
        return nullptr;
    }

    Status leaf(const QString& n, const QString& v) {
        NavInvoice& inv = *current_;
        if (parentIs("invoiceReference") && inv.reference) {
            if (n == QLatin1String("originalInvoiceNumber"))
                inv.reference->originalInvoiceNumber = v;
            else if (n == QLatin1String("modifyWithoutMaster"))
                inv.reference->modifyWithoutMaster = v == QLatin1String("true");
            else if (n == QLatin1String("modificationIndex"))
                inv.reference->modificationIndex = v.toInt();
            return {};
        }
        if (NavParty* p = party()) {
            if (inside("supplierAddress") || inside("customerAddress")) {
                static const QStringList names{
                    "countryCode", "postalCode",          "city",
                    "streetName",  "publicPlaceCategory", "number",
                    "building",    "staircase",           "floor",
                    "door",        "lotNumber",           "additionalAddressDetail"};
                QString* parts[] = {&address_.country,  &address_.postal,    &address_.city,
                                    &address_.street,   &address_.kind,      &address_.number,
                                    &address_.building, &address_.staircase, &address_.floor,
                                    &address_.door,     &address_.lot,       &address_.detail};
                if (const int i = names.indexOf(n); i >= 0)
                    *parts[i] = v;
                return {};
            }
            const bool own = parentIs("supplierTaxNumber") || parentIs("customerTaxNumber");
            if (n == QLatin1String("taxpayerId")) {
                if (own)
                    p->taxpayerId = v;
                else if (parentIs("groupMemberTaxNumber"))
                    p->groupMemberTaxpayerId = v;
                else if (parentIs("thirdStateTaxId"))
                    p->thirdStateTaxId = v;
            } else if (own && n == QLatin1String("vatCode")) {
                p->vatCode = v;
            } else if (own && n == QLatin1String("countyCode")) {
                p->countyCode = v;
            } else if (n == QLatin1String("communityVatNumber")) {
                p->communityVatNumber = v;
            } else if (n == QLatin1String("supplierName") || n == QLatin1String("customerName")) {
                p->name = v;
            } else if (n == QLatin1String("supplierBankAccountNumber") ||
                       n == QLatin1String("customerBankAccountNumber")) {
                p->bankAccount = v;
            } else if (n == QLatin1String("customerVatStatus")) {
                p->vatStatus = v;
            }
            return {};
        }
        if (parentIs("invoiceDetail")) {
            if (n == QLatin1String("invoiceCategory")) {
                inv.category = v == QLatin1String("SIMPLIFIED")  ? NavCategory::Simplified
                               : v == QLatin1String("AGGREGATE") ? NavCategory::Aggregate
                                                                 : NavCategory::Normal;
            } else if (n == QLatin1String("invoiceDeliveryDate")) {
                return date(n, v, inv.deliveryDate);
            } else if (n == QLatin1String("paymentDate")) {
                return date(n, v, inv.paymentDate);
            } else if (n == QLatin1String("currencyCode")) {
                inv.currencyCode = v;
            } else if (n == QLatin1String("exchangeRate")) {
                return amount(n, v, inv.exchangeRate);
            } else if (n == QLatin1String("paymentMethod")) {
                inv.paymentMethod = v;
            }
            return {};
        }
        if (n == QLatin1String("vatPercentage") &&
            (parentIs("vatRate") || parentIs("lineVatRate"))) {
            double r = 0;
            if (Status s = amount(n, v, r); !s)
                return s;
            setRate(NavVatRate{std::round(r * 10000.0) / 100.0, {}});
            return {};
        }
        if (n == QLatin1String("vatContent") && (parentIs("vatRate") || parentIs("lineVatRate"))) {
            // The VAT content of a gross figure; 0.2126 stands for 27 %.
            double c = 0;
            if (Status s = amount(n, v, c); !s)
                return s;
            if (!simplified_.empty() && inside("summarySimplified"))
                simplified_.back().content = c;
            const double percent = c < 1 ? std::round(100.0 * c / (1.0 - c)) : 0;
            setRate(NavVatRate{percent, {}});
            return {};
        }
        if (line_ && inside("line")) {
            if (parentIs("line") && n == QLatin1String("lineNumber"))
                line_->number = v.toInt();
            else if (parentIs("line") && n == QLatin1String("lineDescription"))
                line_->description = v;
            else if (parentIs("advanceData") && n == QLatin1String("advanceIndicator"))
                line_->advance = v == QLatin1String("true");
            else if (parentIs("lineNetAmountData") && n == QLatin1String("lineNetAmount"))
                return amount(n, v, line_->net);
            else if (parentIs("lineVatData") && n == QLatin1String("lineVatAmount"))
                return amount(n, v, line_->vat);
            else if ((parentIs("lineGrossAmountData") &&
                      n == QLatin1String("lineGrossAmountNormal")) ||
                     (parentIs("lineAmountsSimplified") &&
                      n == QLatin1String("lineGrossAmountSimplified")))
                return amount(n, v, line_->gross);
            return {};
        }
        if (inside("invoiceSummary")) {
            if (parentIs("summaryNormal") && n == QLatin1String("invoiceNetAmount")) {
                hasNet_ = true;
                return amount(n, v, inv.net);
            }
            if (parentIs("summaryNormal") && n == QLatin1String("invoiceVatAmount"))
                return amount(n, v, inv.vat);
            if (parentIs("summaryGrossData") && n == QLatin1String("invoiceGrossAmount")) {
                hasGross_ = true;
                return amount(n, v, inv.gross);
            }
            if (parentIs("summarySimplified") && n == QLatin1String("vatContentGrossAmount") &&
                !simplified_.empty())
                return amount(n, v, simplified_.back().gross);
        }
        return {};
    }

    void closeInvoice() {
        NavInvoice& inv = *current_;
        if (!simplified_.empty()) {
            // A simplified invoice states gross figures and their VAT content.
            double gross = 0, vat = 0;
            for (const Simplified& s : simplified_) {
                gross += s.gross;
                vat += cents(s.gross * s.content);
            }
            if (!hasGross_)
                inv.gross = cents(gross);
            inv.vat = cents(vat);
            inv.net = cents(inv.gross - inv.vat);
        } else if (!hasGross_ && hasNet_) {
            // A batch member may leave the gross out; it is net and VAT.
            inv.gross = cents(inv.net + inv.vat);
        }
        simplified_.clear();
        hasNet_ = hasGross_ = false;
        pendingBatch_ = 0;
    }

    Result<QList<NavInvoice>> finish() {
        if (number_.isEmpty())
            return Error{text::missing.arg(name_, QStringLiteral("számlaszám (invoiceNumber)"))};
        if (!issued_.isValid())
            return Error{
                text::missing.arg(name_, QStringLiteral("kiállítási dátum (invoiceIssueDate)"))};
        if (invoices_.isEmpty())
            return Error{text::missing.arg(name_, QStringLiteral("számla (invoice)"))};
        for (NavInvoice& inv : invoices_) {
            inv.sourceName = name_;
            inv.invoiceNumber = number_;
            inv.issueDate = issued_;
            if (inv.supplier.taxpayerId.isEmpty())
                return Error{text::missing.arg(
                    name_, QStringLiteral("az eladó adószáma (supplierTaxNumber)"))};
            if (inv.currencyCode.isEmpty())
                return Error{text::missing.arg(name_, QStringLiteral("pénznem (currencyCode)"))};
        }
        return invoices_;
    }

    struct Simplified {
        double content = 0;
        double gross = 0;
    };

    QXmlStreamReader& xml_;
    QString name_;
    std::vector<QString> stack_;
    QString text_;
    QList<NavInvoice> invoices_;
    NavInvoice* current_ = nullptr;
    NavLine* line_ = nullptr;
    AddressParts address_;
    std::vector<Simplified> simplified_;
    bool hasNet_ = false;
    bool hasGross_ = false;
    int pendingBatch_ = 0;
    QString number_;
    QDate issued_;
};

// The invoice data inside a QueryInvoiceDataResponse, with its
// compression flag and transaction id.
struct Wrapped {
    QByteArray base64;
    bool compressed = false;
    bool found = false;
    QString transactionId;
    QString funcCode, errorCode, message;
};

bool isResponse(const QByteArray& xml) {
    QXmlStreamReader r(xml);
    while (!r.atEnd()) {
        const auto t = r.readNext();
        if (t == QXmlStreamReader::StartElement)
            return r.name() == QLatin1String("QueryInvoiceDataResponse") &&
                   r.namespaceUri() == QLatin1String(NavInvoiceReader::kApiNamespace);
        if (t == QXmlStreamReader::DTD || t == QXmlStreamReader::EntityReference)
            return false;  // the walker refuses it with its message
    }
    return false;
}

Result<Wrapped> unwrap(const QByteArray& xml, const QString& name) {
    QXmlStreamReader r(xml);
    Wrapped w;
    QString parent;
    std::vector<QString> stack;
    while (!r.atEnd()) {
        const auto t = r.readNext();
        if (t == QXmlStreamReader::DTD || t == QXmlStreamReader::EntityReference)
            return Error{text::dtd.arg(name)};
        if (t == QXmlStreamReader::StartElement) {
            const QString n = r.name().toString();
            const QString p = stack.empty() ? QString() : stack.back();
            if (p == QLatin1String("invoiceDataResult") && n == QLatin1String("invoiceData")) {
                w.base64 = r.readElementText().toLatin1();
                w.found = true;
            } else if (p == QLatin1String("invoiceDataResult") &&
                       n == QLatin1String("compressedContentIndicator")) {
                w.compressed = r.readElementText().trimmed() == QLatin1String("true");
            } else if (p == QLatin1String("auditData") && n == QLatin1String("transactionId")) {
                w.transactionId = r.readElementText().trimmed();
            } else if (p == QLatin1String("result") && n == QLatin1String("funcCode")) {
                w.funcCode = r.readElementText().trimmed();
            } else if (p == QLatin1String("result") && n == QLatin1String("errorCode")) {
                w.errorCode = r.readElementText().trimmed();
            } else if (p == QLatin1String("result") && n == QLatin1String("message")) {
                w.message = r.readElementText().trimmed();
            } else {
                stack.push_back(n);
            }
        } else if (t == QXmlStreamReader::EndElement && !stack.empty()) {
            stack.pop_back();
        }
    }
    if (r.hasError())
        return Error{text::malformed.arg(name)
                         .arg(r.lineNumber())
                         .arg(r.columnNumber())
                         .arg(r.errorString())};
    return w;
}

}  // namespace

QString NavParty::taxNumberText() const {
    if (taxpayerId.isEmpty() || vatCode.isEmpty() || countyCode.isEmpty())
        return taxpayerId;
    return taxpayerId + QLatin1Char('-') + vatCode + QLatin1Char('-') + countyCode;
}

bool NavInvoice::isAdvance() const {
    if (lines.isEmpty())
        return false;
    for (const NavLine& l : lines) {
        if (!l.advance || l.advanceDeduction)
            return false;
    }
    return true;
}

Result<QList<NavInvoice>> NavInvoiceReader::readFile(const QString& path) {
    const QFileInfo info(path);
    const QString name = info.fileName();
    if (info.size() > kMaxBytes)
        return Error{text::tooBig.arg(name)};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Error{text::cannotOpen.arg(name, file.errorString())};
    // A file that grew since it was measured is still not read past the limit.
    const QByteArray data = file.read(kMaxBytes + 1);
    if (data.size() > kMaxBytes)
        return Error{text::tooBig.arg(name)};
    return readBytes(data, name);
}

Result<QList<NavInvoice>> NavInvoiceReader::readBytes(const QByteArray& xml, const QString& name) {
    if (xml.size() > kMaxBytes)
        return Error{text::tooBig.arg(name)};
    if (isResponse(xml)) {
        const auto w = unwrap(xml, name);
        if (!w)
            return w.error();
        if (w->funcCode == QLatin1String("ERROR"))
            return Error{text::answerError.arg(name, w->errorCode + QLatin1Char(' ') + w->message)
                             .trimmed()};
        if (!w->found)
            return Error{text::noInvoice.arg(name)};
        auto invoices = readEncoded(w->base64, w->compressed, name);
        if (invoices) {
            for (NavInvoice& inv : *invoices) inv.transactionId = w->transactionId;
        }
        return invoices;
    }
    QXmlStreamReader xmlReader(xml);
    DataWalker walker(xmlReader, name);
    return walker.run();
}

Result<QList<NavInvoice>> NavInvoiceReader::readEncoded(const QByteArray& base64, bool compressed,
                                                        const QString& name) {
    auto decoded = QByteArray::fromBase64Encoding(
        base64.trimmed(), QByteArray::Base64Encoding | QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return Error{text::badBase64.arg(name)};
    if (!compressed)
        return readBytes(*decoded, name);
    const auto plain = gunzip(*decoded, name);
    if (!plain)
        return plain.error();
    return readBytes(*plain, name);
}

Result<QByteArray> NavInvoiceReader::gunzip(const QByteArray& packed, const QString& name) {
    z_stream zs{};
    // 16 over the window bits: a gzip header and trailer, not a zlib one.
    if (inflateInit2(&zs, 16 + MAX_WBITS) != Z_OK)
        return Error{text::badGzip.arg(name, QStringLiteral("zlib"))};
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.constData()));
    zs.avail_in = uInt(packed.size());
    QByteArray out;
    char chunk[65536];
    int rc = Z_OK;
    while (rc != Z_STREAM_END) {
        zs.next_out = reinterpret_cast<Bytef*>(chunk);
        zs.avail_out = sizeof chunk;
        rc = inflate(&zs, Z_NO_FLUSH);
        if (rc != Z_OK && rc != Z_STREAM_END) {
            const QString why =
                zs.msg ? QString::fromLatin1(zs.msg) : QStringLiteral("csonka adat");
            inflateEnd(&zs);
            return Error{text::badGzip.arg(name, why)};
        }
        out.append(chunk, qsizetype(sizeof chunk - zs.avail_out));
        if (out.size() > kMaxBytes) {
            inflateEnd(&zs);
            return Error{text::tooBig.arg(name)};
        }
        if (rc == Z_OK && zs.avail_in == 0 && zs.avail_out != 0) {
            inflateEnd(&zs);
            return Error{text::badGzip.arg(name, QStringLiteral("csonka adat"))};
        }
    }
    inflateEnd(&zs);
    return out;
}

}  // namespace vela
