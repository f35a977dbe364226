#include "reports/letters.h"

#include <QRegularExpression>

#include "reports/money.h"

namespace vela::reports {

using report::Align;

namespace {

// The business's header, the date on the right of its first line.
void ownHeader(Document& d, const Business& own, const QDate& day) {
    const int w = d.width();
    d.head.push_back(
        {Cell{own.name.isEmpty() ? QStringLiteral("(A cég neve a Paraméterekben adható meg)")
                                 : own.name,
              0, w - 3000, 12, true},
         Cell{QStringLiteral("Kelt: %1").arg(dateText(day)), w - 3000, 3000, 9, false,
              Align::Right}});
    if (!own.address.isEmpty())
        d.addHead(own.address);
    if (!own.taxNumber.isEmpty())
        d.addHead(QStringLiteral("Adószám: %1").arg(own.taxNumber));
    if (!own.bankAccount.isEmpty())
        d.addHead(QStringLiteral("Bankszámlaszám: %1").arg(own.bankAccount));
    d.addHead(QString());
}

void addressee(Document& d, const QString& partner, const QString& address) {
    d.addHead(partner.isEmpty() ? QStringLiteral("(név nélküli partner)") : partner, 10, true);
    if (!address.isEmpty())
        d.addHead(address);
    d.addHead(QString());
}

QString days(int n) {
    return n > 0 ? QString::number(n) : QString();
}

const std::vector<Column> kItemColumns{
    {QStringLiteral("Számlaszám"), 1750},
    {QStringLiteral("Sorszám"), 750, Align::Right},
    {QStringLiteral("Kelte"), 1150, Align::Center},
    {QStringLiteral("Esedékes"), 1150, Align::Center},
    {QStringLiteral("Bruttó"), 1550, Align::Right},
    {QStringLiteral("Fizetve"), 1450, Align::Right},
    {QStringLiteral("Nyitott"), 1550, Align::Right},
    {QStringLiteral("Késés (nap)"), 1000, Align::Right},
};

QStringList itemRow(const StatementLine& l) {
    return {l.invoice,
            l.sequence ? QString::number(l.sequence) : QString(),
            dateText(l.issued),
            l.due.isValid() ? dateText(l.due) : QStringLiteral("nincs"),
            money(l.gross, l.currency),
            money(l.paid, l.currency),
            money(l.open(), l.currency),
            days(l.daysOverdue)};
}

void signature(Document& d, const Business& own) {
    d.addFoot(QString());
    d.addFoot(QStringLiteral("Tisztelettel:"));
    d.addFoot(QString());
    d.addFoot(
        own.name.isEmpty() ? QStringLiteral("........................................") : own.name,
        9, true);
}

}  // namespace

QString fileNameFor(const QString& partner) {
    QString name = partner.trimmed();
    name.replace(QRegularExpression(QStringLiteral("[/\\\\:*?\"<>|\\x00-\\x1f]")),
                 QStringLiteral("_"));
    while (name.startsWith(QLatin1Char('.'))) name.remove(0, 1);
    while (name.endsWith(QLatin1Char('.'))) name.chop(1);
    if (name.isEmpty())
        name = QStringLiteral("nev_nelkul");
    return name.left(120);
}

Document statementDocument(const PartnerStatement& s, const Business& own) {
    Document d;
    d.title = QStringLiteral("Egyenlegközlő - %1").arg(s.partner);
    d.footerText =
        QStringLiteral("Egyenlegközlő, %1, %2 - oldal:").arg(s.partner, dateText(s.asOf));
    ownHeader(d, own, s.asOf);
    addressee(d, s.partner, s.address);
    d.addHead(QStringLiteral("EGYENLEGKÖZLŐ"), 14, true, Align::Center);
    d.addHead(QString());
    d.addHead(QStringLiteral("Tisztelt Partnerünk!"));
    if (s.ledger == Ledger::Receivables)
        d.addHead(QStringLiteral("Nyilvántartásunk szerint %1 napon Önöknek az alábbi nyitott "
                                 "tételei vannak felénk:")
                      .arg(dateText(s.asOf)));
    else
        d.addHead(QStringLiteral("Nyilvántartásunk szerint %1 napon Önök felé az alábbi nyitott "
                                 "tételeink vannak:")
                      .arg(dateText(s.asOf)));
    d.columns = kItemColumns;
    for (const StatementLine& l : s.lines) d.rows.push_back(itemRow(l));
    if (s.lines.empty())
        d.addFoot(QStringLiteral("Nincs nyitott tétel."));
    for (const CurrencyTotals& t : s.totals) {
        Line line = d.underColumns(
            {money(t.gross, t.currency), money(t.paid, t.currency), money(t.open, t.currency)}, 4,
            true);
        line.insert(line.begin(),
                    Cell{QStringLiteral("Összesen (%1):").arg(currencyCaption(t.currency)), 0, 4800,
                         9, true});
        d.foot.push_back(line);
        Line late = d.underColumns({money(t.overdue, t.currency)}, 6, false);
        late.insert(late.begin(), Cell{QStringLiteral("ebből lejárt:"), 0, 4800});
        d.foot.push_back(late);
    }
    d.addFoot(QString());
    d.addFoot(
        QStringLiteral("Kérjük, egyeztessék nyilvántartásukkal. Eltérés esetén kérjük, "
                       "8 napon belül jelezzék."));
    signature(d, own);
    return d;
}

Document reminderDocument(const Reminder& r, const Business& own) {
    Document d;
    d.title = QStringLiteral("Fizetési felszólítás - %1").arg(r.partner);
    d.footerText =
        QStringLiteral("Fizetési felszólítás, %1, %2 - oldal:").arg(r.partner, dateText(r.asOf));
    ownHeader(d, own, r.asOf);
    addressee(d, r.partner, r.address);
    d.addHead(QStringLiteral("FIZETÉSI FELSZÓLÍTÁS"), 14, true, Align::Center);
    d.addHead(QString());
    d.addHead(QStringLiteral("Tisztelt Partnerünk!"));
    d.addHead(QStringLiteral("Nyilvántartásunk szerint az alábbi számlák fizetési határideje "
                             "lejárt, kiegyenlítésük %1 napig nem történt meg.")
                  .arg(dateText(r.asOf)));
    d.columns = {
        {QStringLiteral("Számlaszám"), 1900},
        {QStringLiteral("Kelte"), 1150, Align::Center},
        {QStringLiteral("Esedékes"), 1150, Align::Center},
        {QStringLiteral("Bruttó"), 1550, Align::Right},
        {QStringLiteral("Nyitott"), 1550, Align::Right},
        {QStringLiteral("Késés (nap)"), 1000, Align::Right},
        {QStringLiteral("Késedelmi kamat"), 1600, Align::Right},
    };
    for (const ReminderItem& i : r.items) {
        const StatementLine& l = i.line;
        d.rows.push_back({l.invoice, dateText(l.issued), dateText(l.due),
                          money(l.gross, l.currency), money(l.open(), l.currency),
                          days(l.daysOverdue),
                          r.withInterest ? money(i.interest, l.currency) : QStringLiteral("-")});
    }
    for (const ReminderTotal& t : r.totals) {
        Line line = d.underColumns({money(t.open, t.currency), QString(),
                                    r.withInterest ? money(t.interest, t.currency) : QString()},
                                   4, true);
        line.insert(line.begin(),
                    Cell{QStringLiteral("Összesen (%1):").arg(currencyCaption(t.currency)), 0, 5000,
                         9, true});
        d.foot.push_back(line);
    }
    d.addFoot(QString());
    for (const ReminderTotal& t : r.totals)
        d.addFoot(QStringLiteral("Fizetendő: %1").arg(money(t.due(), t.currency)), 10, true);
    if (r.withInterest)
        d.addFoot(QStringLiteral("A késedelmi kamat évi %1%, tételenként a lejárat utáni naptól %2 "
                                 "napig, 365 napos évvel számolva.")
                      .arg(QString::number(r.yearlyRate, 'g', 6)
                               .replace(QLatin1Char('.'), QLatin1Char(',')),
                           dateText(r.asOf)));
    d.addFoot(QString());
    d.addFoot(QStringLiteral("Kérjük, hogy a fizetendő összeget legkésőbb %1 napig "
                             "egyenlítsék ki%2.")
                  .arg(dateText(r.deadline),
                       own.bankAccount.isEmpty()
                           ? QString()
                           : QStringLiteral(" a %1 számú bankszámlánkra").arg(own.bankAccount)));
    d.addFoot(
        QStringLiteral("Amennyiben a tartozást időközben rendezték, levelünket tekintsék "
                       "tárgytalannak."));
    signature(d, own);
    return d;
}

Document ageingDocument(const AgeingReport& a, const Business& own) {
    Document d;
    d.landscape = true;
    d.title = QStringLiteral("Korosítás - %1").arg(ledgerCaption(a.ledger));
    d.footerText =
        QStringLiteral("Korosítás, %1, %2 - oldal:").arg(ledgerCaption(a.ledger), dateText(a.asOf));
    ownHeader(d, own, a.asOf);
    d.addHead(QStringLiteral("KOROSÍTÁS - %1").arg(ledgerCaption(a.ledger)), 14, true);
    d.addHead(QStringLiteral("Nyitott bruttó összegek a lejárat óta eltelt napok szerint, "
                             "%1 napon. Devizanemenként, a legrégebben lejárt elöl.")
                  .arg(dateText(a.asOf)));
    d.columns = {{QStringLiteral("Partner"), 3800}, {QStringLiteral("Dev."), 500}};
    for (int b = 0; b < kBucketCount; ++b)
        d.columns.push_back({bucketCaption(b), 1500, Align::Right});
    d.columns.push_back({QStringLiteral("Összesen"), 1600, Align::Right});
    d.columns.push_back({QStringLiteral("Legr. (nap)"), 950, Align::Right});
    for (const AgeingLine& l : a.lines) {
        QStringList row{l.partner, currencyCaption(l.currency)};
        for (double v : l.buckets) row << figure(v, l.currency);
        row << figure(l.total(), l.currency) << days(l.oldestDays);
        d.rows.push_back(row);
    }
    for (const AgeingTotal& t : a.totals) {
        QStringList texts;
        for (double v : t.buckets) texts << figure(v, t.currency);
        texts << figure(t.total(), t.currency);
        Line line = d.underColumns(texts, 2, true);
        line.insert(line.begin(),
                    Cell{QStringLiteral("Összesen (%1):").arg(currencyCaption(t.currency)), 0, 4300,
                         9, true});
        d.foot.push_back(line);
    }
    if (a.totals.empty())
        d.addFoot(QStringLiteral("Nincs nyitott tétel."));
    return d;
}

Document listDocument(const ListReport& l, const Business& own) {
    Document d;
    d.landscape = true;
    d.title = QStringLiteral("Tétellista - %1").arg(ledgerCaption(l.ledger));
    d.footerText = QStringLiteral("Tétellista, %1, %2 - oldal:")
                       .arg(ledgerCaption(l.ledger), dateText(l.asOf));
    ownHeader(d, own, l.asOf);
    d.addHead(QStringLiteral("TÉTELLISTA - %1").arg(ledgerCaption(l.ledger)), 14, true);
    d.addHead(QStringLiteral("A táblázatban látható %1 sor; késés %2 napon.")
                  .arg(l.lines.size())
                  .arg(dateText(l.asOf)));
    d.columns = {
        {QStringLiteral("Sorszám"), 800, Align::Center},
        {QStringLiteral("Számlaszám"), 1700},
        {QStringLiteral("Partner"), 3600},
        {QStringLiteral("Kelte"), 1150, Align::Center},
        {QStringLiteral("Esedékes"), 1150, Align::Center},
        {QStringLiteral("Bruttó"), 1650, Align::Right},
        {QStringLiteral("Fizetve"), 1650, Align::Right},
        {QStringLiteral("Nyitott"), 1650, Align::Right},
        {QStringLiteral("Késés (nap)"), 1000, Align::Right},
    };
    for (const ListLine& x : l.lines)
        d.rows.push_back({QString::number(x.sequence), x.invoice, x.partner, dateText(x.issued),
                          dateText(x.due), money(x.gross, x.currency), money(x.paid, x.currency),
                          money(x.open, x.currency), days(x.daysOverdue)});
    for (const CurrencyTotals& t : l.totals) {
        Line line = d.underColumns(
            {money(t.gross, t.currency), money(t.paid, t.currency), money(t.open, t.currency)}, 5,
            true);
        line.insert(line.begin(),
                    Cell{QStringLiteral("Összesen (%1):").arg(currencyCaption(t.currency)), 0, 6000,
                         9, true});
        d.foot.push_back(line);
        Line late = d.underColumns({money(t.overdue, t.currency)}, 7, false);
        late.insert(late.begin(), Cell{QStringLiteral("ebből lejárt:"), 0, 6000});
        d.foot.push_back(late);
    }
    return d;
}

Document cashFlowDocument(const CashFlow& f, const Business& own) {
    Document d;
    d.title = QStringLiteral("Pénzforgalmi előrejelzés");
    d.footerText = QStringLiteral("Pénzforgalmi előrejelzés, %1 - oldal:").arg(dateText(f.from));
    ownHeader(d, own, f.from);
    d.addHead(QStringLiteral("PÉNZFORGALMI ELŐREJELZÉS (%1)").arg(currencyCaption(f.currency)), 14,
              true);
    d.addHead(QStringLiteral("Várható bevételek (vevők) és kiadások (szállítók) hetente, "
                             "%1 naptól; az első hét a lejártakat is tartalmazza.")
                  .arg(dateText(f.from)));
    d.columns = {{QStringLiteral("Hét"), 600, Align::Right},
                 {QStringLiteral("Időszak"), 2500},
                 {QStringLiteral("Bevétel"), 1800, Align::Right},
                 {QStringLiteral("Kiadás"), 1800, Align::Right},
                 {QStringLiteral("Egyenleg"), 1800, Align::Right},
                 {QStringLiteral("Göngyölt"), 1900, Align::Right}};
    for (size_t i = 0; i < f.weeks.size(); ++i) {
        const CashWeek& w = f.weeks[i];
        d.rows.push_back({QString::number(i + 1),
                          QStringLiteral("%1 - %2").arg(dateText(w.first), dateText(w.last)),
                          money(w.receipts, f.currency), money(w.payments, f.currency),
                          money(w.net(), f.currency), money(w.balance, f.currency)});
    }
    return d;
}

}  // namespace vela::reports
