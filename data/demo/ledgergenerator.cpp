#include "ledgergenerator.h"

#include <sqlite3.h>

#include <QVariant>
#include <algorithm>
#include <cmath>

#include "base/sqlite/sqliteconnection.h"
#include "base/statement.h"
#include "demorandom.h"
#include "demowords.h"

namespace vela::demo {

namespace {

// Positions of the ledger columns, looked up by name once.
struct LedgerColumns {
    int sorszam, szamlaszam, cegNev, cegCim, megnevezes, netto, afa, brutto, datumtol, datumig,
        adatfelvetel, devizanem, kivezetes, reszOsszeg, bankiKivonat, bankiKelte, megjegyzes,
        recordId, figyelem, figyelemMegj, reszkiegyenlites, fizetesModja, reszOsszesen, teljesites,
        reszBrutto;

    Status resolve(const TableDef& t) {
        struct Entry {
            int* at;
            const char* name;
        };
        const Entry entries[] = {
            {&sorszam, "Sorszám"},
            {&szamlaszam, "Szamlaszam"},
            {&cegNev, "CegNev"},
            {&cegCim, "CegCim"},
            {&megnevezes, "Megnevezes"},
            {&netto, "Netto"},
            {&afa, "AFA"},
            {&brutto, "Brutto"},
            {&datumtol, "Datumtol"},
            {&datumig, "Datumig"},
            {&adatfelvetel, "Adatfelvetel"},
            {&devizanem, "Devizanem"},
            {&kivezetes, "Kivezetés"},
            {&reszOsszeg, "RészÖsszeg"},
            {&bankiKivonat, "BankiKivonatSzáma"},
            {&bankiKelte, "BankiKiegyenlitésKelte"},
            {&megjegyzes, "Megjegyzés"},
            {&recordId, "recordID"},
            {&figyelem, "FIGYELEM"},
            {&figyelemMegj, "FigyelemMegjegyzés"},
            {&reszkiegyenlites, "Részkiegyenlités"},
            {&fizetesModja, "FizetésMódja"},
            {&reszOsszesen, "RészösszegÖsszesen"},
            {&teljesites, "Teljesités"},
            {&reszBrutto, "RészÖsszegBruttó"},
        };
        for (const Entry& e : entries) {
            *e.at = t.indexOf(QString::fromUtf8(e.name));
            if (*e.at < 0) {
                return Error{QStringLiteral("A(z) %1 táblában nincs „%2” oszlop.")
                                 .arg(t.name, QString::fromUtf8(e.name))};
            }
        }
        return {};
    }
};

struct Weighted {
    int method;  // index into paymentMethods()
    int weight;
};

const Weighted kPayablesMethods[] = {{0, 44}, {1, 5}, {2, 12}, {3, 8},
                                     {4, 9},  {5, 7}, {6, 8},  {7, 7}};
const Weighted kReceivablesMethods[] = {{0, 40}, {1, 6}, {2, 14}, {3, 9},
                                        {4, 8},  {5, 8}, {6, 8},  {7, 7}};

// A statement that could not be prepared fails its exec() with the reason.
Status runSql(Connection* db, const QString& sql) {
    return Statement(db, sql).exec();
}

double grossOf(double net, double vat) {
    return net * (100.0 + vat) / 100.0;
}

// Money the way it is typed: forints in hundreds, euros in cents.
double roundMoney(double amount, bool euro) {
    return euro ? std::round(amount * 100.0) / 100.0 : std::round(amount / 100.0) * 100.0;
}

QString statementNumber(const QDate& day) {
    return QStringLiteral("%1/%2").arg(day.year()).arg(day.dayOfYear(), 3, 10, QLatin1Char('0'));
}

// A time of day in office hours, in hundredths of a second as the clock gives it.
double officeSeconds(DemoRandom& rnd) {
    return rnd.between(7 * 3600 + 1800, 17 * 3600 + 1800) + rnd.between(0, 99) / 100.0;
}

// The texts of the days a ledger uses, made once: a million rows format the
// same few thousand days over and over.
class DayTexts {
  public:
    DayTexts(const QDate& first, const QDate& last) : first_(first) {
        for (QDate d = first; d <= last; d = d.addDays(1)) {
            iso_.push_back(d.toString(Qt::ISODate));
            statement_.push_back(statementNumber(d));
            digits_.push_back(dayDigits(d));
        }
    }

    QVariant iso(const QDate& d) const {
        const size_t i = index(d);
        return i < iso_.size() ? QVariant(iso_[i]) : QVariant(d);
    }
    QString statement(const QDate& d) const {
        const size_t i = index(d);
        return i < statement_.size() ? statement_[i] : statementNumber(d);
    }
    QString rowId(const QDate& d, double seconds) const {
        const size_t i = index(d);
        return (i < digits_.size() ? digits_[i] : dayDigits(d)) + secondsText(seconds);
    }

    static QString dayDigits(const QDate& d) {
        return QString::number(d.year()) + QString::number(d.month()) + QString::number(d.day());
    }
    static QString secondsText(double seconds) {
        QString time = QString::number(double(float(seconds)), 'g', 7);
        time.replace(QLatin1Char('.'), QLatin1Char(','));
        return time;
    }

  private:
    size_t index(const QDate& d) const { return size_t(first_.daysTo(d)); }

    QDate first_;
    std::vector<QString> iso_, statement_, digits_;
};

qint64 powerOfTenAtLeast(qint64 n) {
    qint64 p = 1;
    while (p < n) p *= 10;
    return p;
}

}  // namespace

LedgerGenerator::LedgerGenerator(LedgerSide side, const QDate& today, std::uint64_t seed)
    : side_(side), today_(today), seed_(seed), invoiceCounters_(kInvoiceTableCount, 0) {}

QString LedgerGenerator::rowId(const QDate& date, double secondsSinceMidnight) {
    return DayTexts::dayDigits(date) + DayTexts::secondsText(secondsSinceMidnight);
}

InvoiceTable LedgerGenerator::invoiceTableOf(const QString& method) {
    if (method == QStringLiteral("készpénzes"))
        return InvoiceTable::Szamla;
    if (method == QStringLiteral("utánvét"))
        return InvoiceTable::Utanvet;
    if (method == QStringLiteral("nyugta"))
        return InvoiceTable::Nyugta;
    if (method == QStringLiteral("szállítól."))
        return InvoiceTable::Szallito;
    if (method.startsWith(QStringLiteral("proforma")))
        return InvoiceTable::Szamlahe;
    return InvoiceTable::Atutal;
}

qint64 LedgerGenerator::firstInvoiceNumber(InvoiceTable table) const {
    return (int(table) + 1) * numberWidth_ + 1;
}

qint64 LedgerGenerator::lastInvoiceNumber(InvoiceTable table) const {
    return (int(table) + 1) * numberWidth_ + invoiceCounters_[size_t(table)];
}

Status LedgerGenerator::write(Connection* db, const TableDef& table, int rows) {
    LedgerColumns c{};
    if (Status resolved = c.resolve(table); !resolved)
        return resolved;
    DemoRandom rnd(seed_);
    partialRows_ = 0;
    std::fill(invoiceCounters_.begin(), invoiceCounters_.end(), 0);
    numberWidth_ = std::max<qint64>(100000, powerOfTenAtLeast(rows));

    const auto& words = partners();
    const auto& methods = paymentMethods();
    const bool receivables = side_ == LedgerSide::Receivables;

    // The partners of this side: suppliers for the payables, customers for
    // the receivables; those trading both ways appear on both sides.
    std::vector<int> candidates;
    for (size_t i = 0; i < words.size(); ++i) {
        const QByteArray kind(words[i].kind);
        if (kind.isEmpty() || kind == (receivables ? "V" : "B"))
            candidates.push_back(int(i));
    }
    std::vector<QString> names, addresses;
    for (const PartnerWords& p : words) {
        names.push_back(QString::fromUtf8(p.name));
        addresses.push_back(QString::fromUtf8(p.town) + QLatin1Char(' ') +
                            QString::fromUtf8(p.street));
    }
    std::vector<QString> descriptions;
    for (const char* d : receivables ? saleDescriptions() : purchaseDescriptions())
        descriptions.push_back(QString::fromUtf8(d));
    std::vector<QString> remarkTexts, attentionTexts;
    for (const char* r : remarks()) remarkTexts.push_back(QString::fromUtf8(r));
    for (const char* r : attentionRemarks()) attentionTexts.push_back(QString::fromUtf8(r));
    const QString forint = QStringLiteral("Ft"), euro = QStringLiteral("EUR");
    const QString settled = QStringLiteral("I"), open = QStringLiteral("N");
    const QString zeroStatement = QStringLiteral("0");
    const QString creditNote = QStringLiteral("Jóváíró számla (visszárú)");
    std::vector<qint64> supplierSerials(words.size(), 0);
    const qint64 serialWidth = std::max<qint64>(1000, powerOfTenAtLeast(rows));

    // The documents spread over the last years, oldest first.
    const int spanDays = std::clamp(rows, 240, 3650);
    const QDate firstDay = today_.addDays(-spanDays);
    const DayTexts days(firstDay, today_.addDays(60));

    const Weighted* weights = receivables ? kReceivablesMethods : kPayablesMethods;
    int weightSum = 0;
    for (int i = 0; i < 8; ++i) weightSum += weights[i].weight;

    const bool bulk = rows > 20000;
    for (const char* sql : {"PRAGMA synchronous = OFF", "PRAGMA journal_mode = MEMORY",
                            "PRAGMA cache_size = -262144", "PRAGMA temp_store = MEMORY",
                            "PRAGMA threads = 2", "PRAGMA mmap_size = 2147483648", "BEGIN"}) {
        if (Status done = runSql(db, QString::fromLatin1(sql)); !done)
            return done;
    }
    auto failed = [&](Status why) {
        // The failure told is the one that stopped the rows; a rollback that
        // fails as well has nothing to add, the connection closes anyway.
        (void)runSql(db, QStringLiteral("ROLLBACK"));
        return why;
    };
    if (bulk) {
        for (const IndexDef& ix : table.indexes) {
            if (Status dropped = runSql(
                    db, QStringLiteral("DROP INDEX IF EXISTS %1").arg(schema::quoteName(ix.name)));
                !dropped)
                return failed(dropped);
        }
    }

    QStringList cols, marks;
    for (const ColumnDef& col : table.columns) {
        cols << schema::quoteName(col.name);
        marks << QStringLiteral("?");
    }
    Statement insert(db, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                             .arg(schema::quoteName(table.name), cols.join(QStringLiteral(", ")),
                                  marks.join(QStringLiteral(", "))));
    if (!insert.status())
        return failed(insert.status());

    QVariantList row;
    row.resize(qsizetype(table.columns.size()));
    std::vector<QVariantList> partials;
    int written = 0;
    qint64 sorszam = 0;
    while (written < rows) {
        ++sorszam;
        const QDate datumtol = firstDay.addDays(qint64(double(spanDays) * written / rows));

        // Payment method: the first eight documents use each method once, so
        // even a small ledger shows them all.
        int m = 0;
        if (sorszam <= 8) {
            m = int(sorszam - 1);
        } else {
            int w = rnd.between(0, weightSum - 1);
            for (int i = 0; i < 8; ++i) {
                if (w < weights[i].weight) {
                    m = weights[i].method;
                    break;
                }
                w -= weights[i].weight;
            }
        }
        const QString& method = methods[size_t(m)];

        // A few partners get most of the documents.
        const int partner = candidates[size_t(std::min<double>(
            candidates.size() - 1, candidates.size() * std::pow(rnd.unit(), 1.6)))];
        const PartnerWords& p = words[size_t(partner)];
        const bool foreign = QByteArray(p.country) != "HU";
        const bool inEuro = foreign || rnd.chance(0.05);
        double vat = 27;
        if (foreign) {
            vat = 0;
        } else {
            const int v = rnd.between(0, 99);
            vat = v < 82 ? 27 : v < 88 ? 18 : v < 94 ? 5 : 0;
        }
        const bool cashLike = m == 2 || m == 4;  // készpénzes, nyugta
        double net;
        if (inEuro) {
            net = roundMoney(40.0 * std::pow(200.0, rnd.unit()), true);
        } else {
            const double top = cashLike ? 100.0 : 1500.0;
            net = roundMoney(2000.0 * std::pow(top, rnd.unit()), false);
        }
        const bool credit = m == 0 && rnd.chance(0.02);
        if (credit)
            net = -roundMoney(net / 4, inEuro);
        if (net == 0)
            net = inEuro ? 10 : 1000;

        int dueDays = 0;
        if (m == 0) {
            static const int terms[] = {8, 15, 30, 30, 45};
            dueDays = terms[rnd.between(0, 4)];
        } else if (m == 6) {
            dueDays = 8;
        } else if (m == 5) {
            dueDays = 30;
        }
        const QDate datumig = datumtol.addDays(dueDays);
        const QDate adatfelvetel = std::min(today_, datumtol.addDays(rnd.between(0, 4)));

        bool isSettled;
        if (m == 1) {
            isSettled = true;  // an advance document is paid before it is issued
        } else if (cashLike) {
            isSettled = rnd.chance(0.96);
        } else {
            const qint64 age = datumig.daysTo(today_);
            isSettled = rnd.chance(age > 60 ? 0.9 : age >= 0 ? 0.45 : 0.1);
        }
        const QDate paid =
            std::max(datumtol, std::min(today_, datumig.addDays(rnd.between(-5, 12))));
        const bool viaBank = m == 0 || m == 1 || m == 6;

        QString number;
        if (receivables) {
            const InvoiceTable t = invoiceTableOf(method);
            const qint64 n = ++invoiceCounters_[size_t(t)];
            number = QString::number((int(t) + 1) * numberWidth_ + n);
        } else {
            const qint64 serial = (partner + 1) * serialWidth + ++supplierSerials[size_t(partner)];
            switch (partner % 4) {
                case 0:
                    number = QStringLiteral("SZ-") + QString::number(datumtol.year()) +
                             QLatin1Char('/') + QString::number(serial);
                    break;
                case 1:
                    number = QString::number(datumtol.year()) + QLatin1Char('-') +
                             QString::number(serial);
                    break;
                case 2:
                    number = QLatin1Char('A') + QString::number(serial);
                    break;
                default:
                    number = QString::number(serial);
                    break;
            }
        }

        row[c.sorszam] = sorszam;
        row[c.szamlaszam] = number;
        row[c.cegNev] = names[size_t(partner)];
        row[c.cegCim] = addresses[size_t(partner)];
        row[c.megnevezes] = credit ? creditNote : rnd.pick(descriptions);
        row[c.netto] = net;
        row[c.afa] = vat;
        row[c.brutto] = grossOf(net, vat);
        row[c.datumtol] = days.iso(datumtol);
        row[c.datumig] = days.iso(datumig);
        row[c.adatfelvetel] = days.iso(adatfelvetel);
        row[c.devizanem] = inEuro ? euro : forint;
        if (isSettled)
            row[c.kivezetes] = settled;
        else if (rnd.chance(0.08))  // a row nobody marked yet
            row[c.kivezetes] = rnd.chance(0.5) ? QVariant(QStringLiteral("")) : QVariant();
        else
            row[c.kivezetes] = open;
        row[c.reszOsszeg] = 0.0;
        row[c.bankiKivonat] = isSettled && viaBank ? days.statement(paid) : zeroStatement;
        row[c.bankiKelte] = isSettled ? days.iso(paid) : QVariant();
        row[c.megjegyzes] = rnd.chance(0.22) ? QVariant(rnd.pick(remarkTexts)) : QVariant();
        row[c.recordId] = days.rowId(adatfelvetel, officeSeconds(rnd));
        const bool overdue = !isSettled && datumig < today_;
        const bool attention = rnd.chance(overdue ? 0.25 : 0.04);
        row[c.figyelem] = attention;
        row[c.figyelemMegj] = attention ? QVariant(rnd.pick(attentionTexts)) : QVariant();
        row[c.reszkiegyenlites] = false;
        row[c.fizetesModja] = method;
        row[c.reszOsszesen] = 0.0;
        row[c.teljesites] = days.iso(datumtol);
        row[c.reszBrutto] = 0.0;

        // Partial payments: copies of the base row's first 21 columns with
        // their own identifier, paid net part and its gross.
        partials.clear();
        const bool partable = !credit && (m == 0 || m == 3 || m == 5 || m == 6);
        if (partable && rows - written > 1 && rnd.chance(0.08)) {
            const int count = std::min(rnd.between(1, 3), rows - written - 1);
            double sum = 0;
            QDate day = std::max(adatfelvetel.addDays(1), datumtol.addDays(5));
            for (int k = 0; k < count; ++k) {
                const double part = roundMoney(net * rnd.between(15, 30) / 100.0, inEuro);
                if (part <= 0 || day > today_)
                    break;
                sum += part;
                QVariantList pr = row;
                pr[c.recordId] = days.rowId(day, officeSeconds(rnd));
                pr[c.reszkiegyenlites] = true;
                pr[c.reszOsszeg] = part;
                pr[c.reszBrutto] = grossOf(part, vat);
                pr[c.fizetesModja] = QVariant();
                pr[c.teljesites] = days.iso(day);
                pr[c.bankiKelte] = days.iso(day);
                pr[c.bankiKivonat] = days.statement(day);
                if (!isSettled)
                    pr[c.kivezetes] = open;
                partials.push_back(std::move(pr));
                day = day.addDays(rnd.between(7, 30));
            }
            if (!partials.empty() && !isSettled)
                row[c.kivezetes] = open;
            for (QVariantList& pr : partials) pr[c.reszOsszesen] = sum;
            row[c.reszOsszesen] = sum;
        }

        // Rewinding a prepared statement cannot fail.
        insert.reset();
        if (Status bound = insert.bind(row); !bound)
            return failed(bound);
        if (Status inserted = insert.exec(); !inserted)
            return failed(inserted);
        ++written;
        for (const QVariantList& pr : partials) {
            // Rewinding a prepared statement cannot fail.
            insert.reset();
            if (Status bound = insert.bind(pr); !bound)
                return failed(bound);
            if (Status inserted = insert.exec(); !inserted)
                return failed(inserted);
            ++written;
            ++partialRows_;
        }
    }

    if (bulk) {
        for (const QString& sql : table.indexSql()) {
            if (Status built = runSql(db, sql); !built)
                return failed(built);
        }
    }
    if (Status committed = runSql(db, QStringLiteral("COMMIT")); !committed)
        return failed(committed);
    // The rows are committed; the setting only matters to the rest of this
    // connection, so a failure to restore it does not undo the work.
    (void)runSql(db, QStringLiteral("PRAGMA synchronous = FULL"));
    return {};
}

}  // namespace vela::demo
