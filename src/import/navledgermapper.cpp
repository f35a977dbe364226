#include "import/navledgermapper.h"

#include <cmath>

namespace vela {

namespace {

namespace text {
const QString noOwnNumber = QStringLiteral(
    "Az Online Számla átvételéhez adja meg a Paraméterek ablakban a cég saját adószámát "
    "(SajatAdoszam, az adószám első 8 számjegye).");
const QString notOurs = QStringLiteral(
    "A(z) „%1” %2 számlája sem nem a mi számlánk, sem nem nekünk szól: az eladó adószáma "
    "%3, a vevőé %4, a saját adószámunk %5. Nem vesszük át.");
const QString toOurselves = QStringLiteral(
    "A(z) „%1” %2 számláján mi vagyunk az eladó és a vevő is; nem tudni, melyik "
    "nyilvántartásba tartozik, ezért nem vesszük át.");
const QString privatePerson = QStringLiteral("Magánszemély");
const QString none = QStringLiteral("(nincs)");
const QString modifies = QStringLiteral("módosítja: %1, %2. módosítás");
const QString cancels = QStringLiteral("érvényteleníti: %1, %2. módosítás");
const QString withoutMaster = QStringLiteral(" (az alapszámla nem volt bejelentve)");
const QString moreLines = QStringLiteral(" + %1 tétel");
const QString advancePaid = QStringLiteral("átutalás E");
}  // namespace text

double cents(double v) {
    return std::round(v * 100.0) / 100.0;
}

bool isParty(const NavParty& p, const QString& own) {
    return p.taxpayerId == own ||
           (!p.groupMemberTaxpayerId.isEmpty() && p.groupMemberTaxpayerId == own);
}

QString addressText(const NavAddress& a) {
    QStringList parts;
    for (const QString* p : {&a.postalCode, &a.city, &a.street}) {
        if (!p->isEmpty())
            parts << *p;
    }
    return parts.join(QLatin1Char(' '));
}

}  // namespace

QString NavLedgerMapper::taxpayerDigits(const QString& written) {
    QString digits;
    for (const QChar c : written) {
        if (c.isDigit() && c.unicode() < 128)
            digits += c;
        else if (c == QLatin1Char('-') && !digits.isEmpty())
            break;  // the parts of a full tax number: only the first 8 digits count
    }
    return digits.size() >= 8 ? digits.left(8) : QString();
}

QString NavLedgerMapper::paymentText(const QString& method) {
    if (method == QLatin1String("TRANSFER"))
        return QStringLiteral("átutalás");
    if (method == QLatin1String("CASH"))
        return QStringLiteral("készpénzes");
    if (method == QLatin1String("CARD"))
        return QStringLiteral("bankkártya");
    if (method == QLatin1String("VOUCHER"))
        return QStringLiteral("utalvány");
    if (method == QLatin1String("OTHER"))
        return QStringLiteral("egyéb");
    return {};
}

Result<NavLedgerEntry> NavLedgerMapper::map(const NavInvoice& inv, const NavBusiness& business,
                                            const std::optional<NavOriginalFigures>& original) {
    const QString own = taxpayerDigits(business.ownTaxNumber);
    if (own.isEmpty())
        return Error{text::noOwnNumber};
    const bool weSupply = isParty(inv.supplier, own);
    const bool weBuy = isParty(inv.customer, own);
    if (weSupply && weBuy)
        return Error{text::toOurselves.arg(inv.sourceName, inv.invoiceNumber)};
    if (!weSupply && !weBuy) {
        const QString customer = !inv.customer.taxpayerId.isEmpty() ? inv.customer.taxpayerId
                                 : !inv.customer.communityVatNumber.isEmpty()
                                     ? inv.customer.communityVatNumber
                                     : text::none;
        return Error{text::notOurs.arg(inv.sourceName, inv.invoiceNumber, inv.supplier.taxpayerId,
                                       customer, own)};
    }

    NavLedgerEntry e;
    e.ledger = weSupply ? NavLedger::Receivables : NavLedger::Payables;
    const NavParty& partner = weSupply ? inv.customer : inv.supplier;
    e.Szamlaszam = inv.invoiceNumber;
    e.CegNev = partner.name.isEmpty() && partner.vatStatus == QLatin1String("PRIVATE_PERSON")
                   ? text::privatePerson
                   : partner.name;
    e.CegCim = addressText(partner.address);
    e.partnerTaxNumber = partner.taxpayerId;
    e.navTransactionId = inv.transactionId;

    if (!inv.lines.isEmpty()) {
        e.Megnevezes = inv.lines.first().description;
        if (inv.lines.size() > 1)
            e.Megnevezes += text::moreLines.arg(inv.lines.size() - 1);
    }
    e.Netto = cents(inv.net);
    e.Brutto = cents(inv.gross);
    if (inv.rates.size() == 1 && inv.rates.first().percent)
        e.AFA = *inv.rates.first().percent;
    e.Datumtol = inv.issueDate;
    e.Datumig = inv.paymentDate.isValid() ? inv.paymentDate : inv.issueDate;
    e.Devizanem =
        inv.currencyCode == QLatin1String("HUF") ? business.homeCurrency : inv.currencyCode;
    e.FizetesModja = paymentText(inv.paymentMethod);

    if (inv.isAdvance()) {
        e.kind = NavEntryKind::Advance;
        // An advance invoice is made out for money already received; one due
        // later is still open and keeps its payment method.
        if (!inv.paymentDate.isValid() || inv.paymentDate <= inv.issueDate)
            e.FizetesModja = text::advancePaid;
    }

    if (inv.reference) {
        const NavReference& ref = *inv.reference;
        e.originalInvoiceNumber = ref.originalInvoiceNumber;
        // A document that takes back the whole original is a cancellation:
        // the interface says so (STORNO), or its gross undoes the original's.
        const bool cancels = inv.operation == NavOperation::Storno ||
                             (original && original->invoicedBrutto != 0 &&
                              cents(inv.gross) == cents(-original->invoicedBrutto));
        e.kind = cancels ? NavEntryKind::Cancellation : NavEntryKind::Modification;
        e.Megjegyzes = (cancels ? text::cancels : text::modifies)
                           .arg(ref.originalInvoiceNumber)
                           .arg(ref.modificationIndex);
        if (ref.modifyWithoutMaster)
            e.Megjegyzes += text::withoutMaster;
        if (cancels && original) {
            // Whatever the ledger still holds of the original, modifications
            // and settlements included, is taken back to 0 by this row.
            e.Netto = cents(-original->netto);
            e.Brutto = cents(-original->brutto);
        }
    }
    return e;
}

std::optional<NavPartnerRecord> NavLedgerMapper::partner(const NavInvoice& inv, NavLedger ledger) {
    const NavParty& p = ledger == NavLedger::Receivables ? inv.customer : inv.supplier;
    if (p.taxpayerId.isEmpty() && p.communityVatNumber.isEmpty())
        return std::nullopt;
    NavPartnerRecord r;
    r.BerNev = p.name;
    r.BerIrszam = p.address.postalCode;
    r.BerSzekhely = p.address.city;
    r.BerCim = p.address.street;
    r.BerAdoszam = p.taxNumberText();
    r.BerEUAdoszam = p.communityVatNumber;
    r.BerSzamlaszam = p.bankAccount;
    return r;
}

}  // namespace vela
