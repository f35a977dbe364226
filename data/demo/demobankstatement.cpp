#include "demobankstatement.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QSet>
#include <QXmlStreamWriter>
#include <cmath>
#include <map>

#include "base/statement.h"

namespace vela::demo {

namespace {

const char* const kOwnName = "VelaData Bemutató Kft.";
const char* const kOwnAccount = "117730161111111100000000";
// Accounts of no partner: the demo's banks give their partners other prefixes.
const char* const kStrangerAccount = "137000169999999900000001";
const char* const kNewAccountOfKnown = "137000165555555500000002";

// An open base row of a ledger, in whole forints.
struct Open {
    qint64 rowid = 0;
    qint64 sorszam = 0;
    QString number;
    QString partner;
    qint64 remaining = 0;
    bool paidBefore = false;
    bool transfer = false;
};

struct Ledger {
    QString table;
    std::vector<Open> rows;  // HUF rows with something left, oldest first
    QHash<QString, int> numberCount;
    QHash<QString, std::vector<int>> byPartner;
};

QString iban(const QString& bban) {
    // ISO 13616: the check digits make BBAN + "HU00" (H=17, U=30) leave 1 mod 97.
    const QString digits = bban + QStringLiteral("173000");
    int mod = 0;
    for (QChar c : digits) mod = (mod * 10 + (c.unicode() - u'0')) % 97;
    return QStringLiteral("HU%1%2").arg(98 - mod, 2, 10, QLatin1Char('0')).arg(bban);
}

QString accountDigits(const QString& account) {
    QString d;
    for (QChar c : account)
        if (c.isDigit())
            d += c;
    return d.size() == 16 ? d + QStringLiteral("00000000") : d;
}

Result<Ledger> readLedger(Connection* db, const QString& table) {
    Ledger l;
    l.table = table;
    QHash<qint64, double> paid;
    Statement parts(db, QStringLiteral("SELECT \"Sorszám\", SUM(\"RészÖsszegBruttó\") FROM \"%1\" "
                                       "WHERE \"Részkiegyenlités\" = 1 GROUP BY \"Sorszám\"")
                            .arg(table));
    while (parts.next()) paid[parts.int64(0)] = parts.value(1).toDouble();
    if (!parts.status())
        return parts.status().error();
    Statement rows(
        db, QStringLiteral("SELECT rowid, \"Sorszám\", \"Szamlaszam\", \"CegNev\", \"Brutto\", "
                           "\"Devizanem\", \"FizetésMódja\" FROM \"%1\" WHERE "
                           "\"Részkiegyenlités\" = 0 AND COALESCE(\"Kivezetés\", '') <> 'I' "
                           "ORDER BY \"Sorszám\", rowid")
                .arg(table));
    while (rows.next()) {
        const QString ccy = rows.text(5).trimmed().toUpper();
        Open o;
        o.rowid = rows.int64(0);
        o.sorszam = rows.int64(1);
        o.number = rows.text(2);
        o.partner = rows.text(3);
        const double before = paid.value(o.sorszam);
        o.remaining = std::llround(rows.value(4).toDouble() - before);
        o.paidBefore = before > 0;
        o.transfer = rows.text(6) == QStringLiteral("átutalás");
        if (!o.number.isEmpty())
            ++l.numberCount[o.number];
        if ((ccy != QLatin1String("FT") && ccy != QLatin1String("HUF")) || o.remaining <= 0)
            continue;
        l.byPartner[o.partner].push_back(int(l.rows.size()));
        l.rows.push_back(o);
    }
    if (!rows.status())
        return rows.status().error();
    return l;
}

struct Written {
    QString ref;
    bool credit;
    qint64 amount;
    QString name;
    QString account;
    QString remittance;
};

}  // namespace

Status DemoBankStatement::write(Connection* ledgers, Connection* partnersDb, const QString& path) {
    entries_.clear();
    Result<Ledger> receivables = readLedger(ledgers, QStringLiteral("VelanakData"));
    if (!receivables)
        return receivables.error();
    Result<Ledger> payables = readLedger(ledgers, QStringLiteral("VelaData"));
    if (!payables)
        return payables.error();
    QHash<QString, QString> accountOf;
    Statement partners(partnersDb, QStringLiteral("SELECT \"BerNev\", \"BerSzamlaszam\" FROM "
                                                  "\"beraktar\" ORDER BY \"recordID\""));
    while (partners.next())
        if (!partners.isNull(1))
            accountOf[partners.text(0)] = accountDigits(partners.text(1));
    if (!partners.status())
        return partners.status().error();

    std::vector<Written> written;
    QSet<QString> usedPartners;
    QSet<qint64> usedRows;
    int counter = 0;
    auto add = [&](DemoBankEntry e, bool credit, qint64 amount, const QString& name,
                   const QString& account, const QString& remittance) {
        e.reference = QStringLiteral("238-%1").arg(++counter, 2, 10, QLatin1Char('0'));
        written.push_back({e.reference, credit, amount, name, account, remittance});
        entries_.push_back(std::move(e));
    };
    // A row paid by its number: a transfer, its number on it alone.
    auto byNumber = [&](Ledger& l, bool paidBefore, qint64 least) -> const Open* {
        for (const Open& o : l.rows) {
            if (o.transfer && o.paidBefore == paidBefore && o.remaining >= least &&
                l.numberCount.value(o.number) == 1 && !usedRows.contains(o.rowid) &&
                !usedPartners.contains(o.partner)) {
                usedRows.insert(o.rowid);
                usedPartners.insert(o.partner);
                return &o;
            }
        }
        return nullptr;
    };
    // A partner none of the other entries touch, with an open row whose amount
    // none of its other open rows has.
    auto byPartner = [&](Ledger& l, bool needAccount) -> const Open* {
        for (const Open& o : l.rows) {
            if (usedPartners.contains(o.partner) || accountOf.contains(o.partner) != needAccount)
                continue;
            const std::vector<int>& mine = l.byPartner.value(o.partner);
            int same = 0;
            qint64 total = 0;
            for (int i : mine) {
                same += l.rows[size_t(i)].remaining == o.remaining ? 1 : 0;
                total += l.rows[size_t(i)].remaining;
            }
            if (same != 1 || (mine.size() > 1 && total == o.remaining))
                continue;
            usedPartners.insert(o.partner);
            return &o;
        }
        return nullptr;
    };
    using K = DemoBankEntry::Kind;
    using B = DemoBankEntry::Basis;
    Ledger& r = *receivables;
    auto account = [&](const QString& partner) {
        return accountOf.contains(partner) ? iban(accountOf.value(partner)) : QString();
    };

    if (const Open* o = byNumber(r, false, 1)) {
        add({{},
             QStringLiteral("egy számla teljes kiegyenlítése a számlaszám alapján"),
             K::Whole,
             B::InvoiceNumber,
             true,
             r.table,
             {o->rowid}},
            true, o->remaining, o->partner, account(o->partner),
            QStringLiteral("Számla: %1").arg(o->number));
    }
    if (const Open* o = byNumber(r, false, 2000)) {
        const qint64 part = std::max<qint64>(100, o->remaining / 200 * 100);
        add({{},
             QStringLiteral("részfizetés egy számlára"),
             K::Part,
             B::InvoiceNumber,
             true,
             r.table,
             {o->rowid}},
            true, part, o->partner, account(o->partner),
            QStringLiteral("%1 részletfizetés").arg(o->number));
    }
    if (const Open* o = byNumber(r, true, 1)) {
        add({{},
             QStringLiteral("a korábbi részfizetés után megmaradt összeg"),
             K::Whole,
             B::InvoiceNumber,
             true,
             r.table,
             {o->rowid}},
            true, o->remaining, o->partner, account(o->partner),
            QStringLiteral("Szla %1 hátralék").arg(o->number));
    }
    for (auto it = r.byPartner.cbegin(); it != r.byPartner.cend(); ++it) {
        if (usedPartners.contains(it.key()))
            continue;
        std::vector<const Open*> two;
        for (int i : it.value()) {
            const Open& o = r.rows[size_t(i)];
            if (o.transfer && !o.paidBefore && r.numberCount.value(o.number) == 1)
                two.push_back(&o);
            if (two.size() == 2)
                break;
        }
        if (two.size() < 2)
            continue;
        usedPartners.insert(it.key());
        add({{},
             QStringLiteral("két számla egy utalással"),
             K::Several,
             B::InvoiceNumber,
             true,
             r.table,
             {two[0]->rowid, two[1]->rowid}},
            true, two[0]->remaining + two[1]->remaining, it.key(), account(it.key()),
            QStringLiteral("Számlák: %1, %2").arg(two[0]->number, two[1]->number));
        break;
    }
    if (const Open* o = byPartner(r, true)) {
        add({{},
             QStringLiteral("közlemény nélkül, a partner bankszámlaszáma alapján"),
             K::Whole,
             B::Account,
             true,
             r.table,
             {o->rowid}},
            true, o->remaining, o->partner.toUpper(), account(o->partner),
            QStringLiteral("Átutalás"));
    }
    if (const Open* o = byPartner(r, true)) {
        add({{},
             QStringLiteral("ismeretlen számláról, csak a partner neve alapján (bizonytalan)"),
             K::Whole,
             B::Name,
             false,
             r.table,
             {o->rowid}},
            true, o->remaining, o->partner, iban(QString::fromLatin1(kNewAccountOfKnown)),
            QStringLiteral("Áru ellenértéke"));
    }
    if (const Open* o = byNumber(r, false, 1)) {
        add({{},
             QStringLiteral("a nyitott összegnél 1000 Ft-tal több (bizonytalan)"),
             K::Whole,
             B::InvoiceNumber,
             false,
             r.table,
             {o->rowid}},
            true, o->remaining + 1000, o->partner, account(o->partner),
            QStringLiteral("Számla %1").arg(o->number));
    }
    add({{}, QStringLiteral("befizetés, amelyhez nincs számla"), K::None, B::None, false, {}, {}},
        true, 25000, QStringLiteral("Ismeretlen Befizető"),
        iban(QString::fromLatin1(kStrangerAccount)), QStringLiteral("Letét visszautalása"));
    Ledger& p = *payables;
    if (const Open* o = byNumber(p, false, 1)) {
        add({{},
             QStringLiteral("szállítói számla kifizetése a számlaszám alapján"),
             K::Whole,
             B::InvoiceNumber,
             true,
             p.table,
             {o->rowid}},
            false, o->remaining, o->partner, account(o->partner),
            QStringLiteral("Szla %1").arg(o->number));
    }
    add({{}, QStringLiteral("bankköltség, amelyhez nincs számla"), K::None, B::None, false, {}, {}},
        false, 1850, QString(), QString(), QStringLiteral("Számlavezetési díj"));

    // The file, written whole or not at all.
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return Error{QStringLiteral("A(z) „%1” mappa nem hozható létre.")
                         .arg(QDir::toNativeSeparators(QFileInfo(path).absolutePath()))};
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Error{QStringLiteral("A(z) „%1” nem írható: %2")
                         .arg(QDir::toNativeSeparators(path), file.errorString())};
    const QString day = today_.toString(Qt::ISODate);
    const QString valueDay = today_.addDays(-1).toString(Qt::ISODate);
    const qint64 opening = 5000000;
    qint64 closing = opening;
    for (const Written& w : written) closing += w.credit ? w.amount : -w.amount;
    auto money = [](qint64 ft) { return QStringLiteral("%1.00").arg(ft); };

    QXmlStreamWriter x(&file);
    x.setAutoFormatting(true);
    x.writeStartDocument();
    x.writeDefaultNamespace(QStringLiteral("urn:iso:std:iso:20022:tech:xsd:camt.053.001.02"));
    x.writeStartElement(QStringLiteral("Document"));
    x.writeStartElement(QStringLiteral("BkToCstmrStmt"));
    x.writeStartElement(QStringLiteral("GrpHdr"));
    x.writeTextElement(QStringLiteral("MsgId"),
                       QStringLiteral("VELADEMO-%1-238").arg(today_.year()));
    x.writeTextElement(QStringLiteral("CreDtTm"), day + QStringLiteral("T18:00:00"));
    x.writeEndElement();
    x.writeStartElement(QStringLiteral("Stmt"));
    x.writeTextElement(QStringLiteral("Id"), QStringLiteral("VELADEMO-%1-238").arg(today_.year()));
    x.writeTextElement(QStringLiteral("ElctrncSeqNb"), QStringLiteral("238"));
    x.writeTextElement(QStringLiteral("LglSeqNb"), QStringLiteral("238"));
    x.writeTextElement(QStringLiteral("CreDtTm"), day + QStringLiteral("T18:00:00"));
    x.writeStartElement(QStringLiteral("Acct"));
    x.writeStartElement(QStringLiteral("Id"));
    x.writeTextElement(QStringLiteral("IBAN"), iban(QString::fromLatin1(kOwnAccount)));
    x.writeEndElement();
    x.writeTextElement(QStringLiteral("Ccy"), QStringLiteral("HUF"));
    x.writeStartElement(QStringLiteral("Ownr"));
    x.writeTextElement(QStringLiteral("Nm"), QString::fromUtf8(kOwnName));
    x.writeEndElement();
    x.writeEndElement();
    for (const auto& [code, amount, date] :
         {std::tuple{"OPBD", opening, valueDay}, std::tuple{"CLBD", closing, day}}) {
        x.writeStartElement(QStringLiteral("Bal"));
        x.writeStartElement(QStringLiteral("Tp"));
        x.writeStartElement(QStringLiteral("CdOrPrtry"));
        x.writeTextElement(QStringLiteral("Cd"), QLatin1String(code));
        x.writeEndElement();
        x.writeEndElement();
        x.writeStartElement(QStringLiteral("Amt"));
        x.writeAttribute(QStringLiteral("Ccy"), QStringLiteral("HUF"));
        x.writeCharacters(money(std::abs(amount)));
        x.writeEndElement();
        x.writeTextElement(QStringLiteral("CdtDbtInd"),
                           amount < 0 ? QStringLiteral("DBIT") : QStringLiteral("CRDT"));
        x.writeStartElement(QStringLiteral("Dt"));
        x.writeTextElement(QStringLiteral("Dt"), date);
        x.writeEndElement();
        x.writeEndElement();
    }
    const QString ownIban = iban(QString::fromLatin1(kOwnAccount));
    for (const Written& w : written) {
        x.writeStartElement(QStringLiteral("Ntry"));
        x.writeTextElement(QStringLiteral("NtryRef"), w.ref);
        x.writeStartElement(QStringLiteral("Amt"));
        x.writeAttribute(QStringLiteral("Ccy"), QStringLiteral("HUF"));
        x.writeCharacters(money(w.amount));
        x.writeEndElement();
        x.writeTextElement(QStringLiteral("CdtDbtInd"),
                           w.credit ? QStringLiteral("CRDT") : QStringLiteral("DBIT"));
        x.writeTextElement(QStringLiteral("RvslInd"), QStringLiteral("false"));
        x.writeTextElement(QStringLiteral("Sts"), QStringLiteral("BOOK"));
        x.writeStartElement(QStringLiteral("BookgDt"));
        x.writeTextElement(QStringLiteral("Dt"), day);
        x.writeEndElement();
        x.writeStartElement(QStringLiteral("ValDt"));
        x.writeTextElement(QStringLiteral("Dt"), valueDay);
        x.writeEndElement();
        x.writeTextElement(QStringLiteral("AcctSvcrRef"), QStringLiteral("BNK") + w.ref);
        x.writeStartElement(QStringLiteral("NtryDtls"));
        x.writeStartElement(QStringLiteral("TxDtls"));
        x.writeStartElement(QStringLiteral("Refs"));
        x.writeTextElement(QStringLiteral("EndToEndId"), w.credit ? QStringLiteral("NOTPROVIDED")
                                                                  : QStringLiteral("E2E-") + w.ref);
        x.writeEndElement();
        x.writeStartElement(QStringLiteral("RltdPties"));
        const QString ownName = QString::fromUtf8(kOwnName);
        const auto party = [&](const char* role, const QString& name, const QString& acct) {
            if (!name.isEmpty()) {
                x.writeStartElement(QLatin1String(role));
                x.writeTextElement(QStringLiteral("Nm"), name);
                x.writeEndElement();
            }
            if (!acct.isEmpty()) {
                x.writeStartElement(QLatin1String(role) + QStringLiteral("Acct"));
                x.writeStartElement(QStringLiteral("Id"));
                x.writeTextElement(QStringLiteral("IBAN"), acct);
                x.writeEndElement();
                x.writeEndElement();
            }
        };
        if (w.credit) {
            party("Dbtr", w.name, w.account);
            party("Cdtr", ownName, ownIban);
        } else {
            party("Dbtr", ownName, ownIban);
            party("Cdtr", w.name, w.account);
        }
        x.writeEndElement();
        x.writeStartElement(QStringLiteral("RmtInf"));
        x.writeTextElement(QStringLiteral("Ustrd"), w.remittance);
        x.writeEndElement();
        x.writeEndElement();
        x.writeEndElement();
        x.writeEndElement();
    }
    x.writeEndElement();
    x.writeEndElement();
    x.writeEndElement();
    x.writeEndDocument();
    if (x.hasError() || !file.commit())
        return Error{QStringLiteral("A(z) „%1” nem írható: %2")
                         .arg(QDir::toNativeSeparators(path), file.errorString())};
    return {};
}

}  // namespace vela::demo
