#include "demofoldermaker.h"

#include <sqlite3.h>

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <array>
#include <memory>

#include "base/sqlite/sqliteconnection.h"
#include "base/statement.h"
#include "demorandom.h"
#include "demowords.h"
#include "invoicesourcewriter.h"
#include "ledgergenerator.h"
#include "storage/columns.h"
#include "storage/database.h"

namespace vela::demo {

namespace {

const char* const kInvoicingFolder = "FakturoW";
const char* const kInvoicingFile = "LFAKTURO.MDB";

using SqliteHandle = std::unique_ptr<sqlite::SqliteConnection>;

// Opens a copied template; it must exist, nothing is created here.
Result<SqliteHandle> openExisting(const QString& path) {
    auto db = sqlite::SqliteConnection::open(path, sqlite::OpenMode::ReadWrite);
    if (!db) {
        return Error{QStringLiteral("A(z) „%1” nem nyitható meg: %2")
                         .arg(QDir::toNativeSeparators(path), db.errorText()),
                     db.error().code, db.error().kind};
    }
    return std::move(*db);
}

// An INSERT of the named columns of a table, the names checked against its column table.
Status insertRow(Connection* db, const TableDef& table, const QStringList& names,
                 const QVariantList& values) {
    QStringList cols, marks;
    for (const QString& n : names) {
        if (table.indexOf(n) < 0)
            return Error{QStringLiteral("A(z) %1 táblában nincs „%2” oszlop.").arg(table.name, n)};
        cols << schema::quoteName(n);
        marks << QStringLiteral("?");
    }
    Statement st(db, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                         .arg(schema::quoteName(table.name), cols.join(QStringLiteral(", ")),
                              marks.join(QStringLiteral(", "))));
    if (Status bound = st.bind(values); !bound)
        return bound;
    return st.exec();
}

// A statement that could not be prepared fails its exec() with the reason.
Status runSql(Connection* db, const QString& sql) {
    return Statement(db, sql).exec();
}

QString digits(DemoRandom& rnd, int count) {
    QString s;
    for (int i = 0; i < count; ++i) s += QChar(u'0' + rnd.between(i == 0 ? 1 : 0, 9));
    return s;
}

// The telephone area codes of the partners' towns.
int areaCode(const QString& town) {
    static const QHash<QString, int> codes = {
        {"Kecskemét", 76},
        {"Ajka", 88},
        {"Dunaújváros", 25},
        {"Győr", 96},
        {"Székesfehérvár", 22},
        {"Gödöllő", 28},
        {"Debrecen", 52},
        {"Jászberény", 57},
        {"Pécs", 72},
        {"Gyöngyös", 37},
        {"Nyíregyháza", 42},
        {"Őriszentpéter", 94},
        {"Érd", 23},
        {"Sopron", 99},
        {"Szeged", 62},
        {"Szolnok", 56},
        {"Veszprém", 88},
        {"Tatabánya", 34},
        {"Zalaegerszeg", 92},
        {"Balatonfüred", 87},
        {"Eger", 36},
        {"Tokaj", 47},
        {"Kiskunfélegyháza", 76},
        {"Kaposvár", 82},
        {"Békés", 66},
        {"Hódmezővásárhely", 62},
        {"Miskolc", 46},
        {"Sátoraljaújhely", 47},
        {"Szentendre", 26},
        {"Visegrád", 26},
        {"Szigetszentmiklós", 24},
        {"Szombathely", 94},
        {"Mosonmagyaróvár", 96},
        {"Békéscsaba", 66},
    };
    return codes.value(town, 1);
}

QString phoneNumber(DemoRandom& rnd, const PartnerWords& p) {
    const QByteArray country(p.country);
    const QString town = QString::fromUtf8(p.town);
    if (country == "HU") {
        if (town == QStringLiteral("Budapest"))
            return QStringLiteral("+36 1 %1 %2").arg(digits(rnd, 3), digits(rnd, 4));
        return QStringLiteral("+36 %1 %2 %3")
            .arg(areaCode(town))
            .arg(digits(rnd, 3), digits(rnd, 3));
    }
    if (country == "AT")
        return QStringLiteral("+43 1 %1 %2").arg(digits(rnd, 4), digits(rnd, 3));
    if (country == "SK")
        return QStringLiteral("+421 2 %1 %2").arg(digits(rnd, 4), digits(rnd, 3));
    if (country == "RO")
        return QStringLiteral("+40 259 %1 %2").arg(digits(rnd, 3), digits(rnd, 3));
    if (country == "DE")
        return QStringLiteral("+49 89 %1").arg(digits(rnd, 7));
    return QStringLiteral("+385 1 %1 %2").arg(digits(rnd, 4), digits(rnd, 3));
}

QString euTaxNumber(DemoRandom& rnd, const QByteArray& country) {
    if (country == "AT")
        return QStringLiteral("ATU") + digits(rnd, 8);
    if (country == "DE")
        return QStringLiteral("DE") + digits(rnd, 9);
    if (country == "SK")
        return QStringLiteral("SK") + digits(rnd, 10);
    if (country == "HR")
        return QStringLiteral("HR") + digits(rnd, 11);
    return QString::fromLatin1(country) + digits(rnd, 8);
}

}  // namespace

DemoFolderMaker::DemoFolderMaker(DemoOptions options) : options_(std::move(options)) {}

QString DemoFolderMaker::programDir() {
    return QCoreApplication::applicationDirPath();
}

Status DemoFolderMaker::prepareFolder(const QString& dir) const {
    const QFileInfo fi(dir);
    if (fi.exists() && !fi.isDir())
        return Error{QStringLiteral("A(z) „%1” nem mappa.").arg(QDir::toNativeSeparators(dir))};
    QDir d(dir);
    if (fi.exists() &&
        !d.isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System)) {
        if (!options_.force) {
            return Error{QStringLiteral("A(z) „%1” mappa nem üres; a felülíráshoz adja meg a "
                                        "--force kapcsolót!")
                             .arg(QDir::toNativeSeparators(dir))};
        }
        // Only what this tool makes is replaced; the user's other files stay.
        QStringList ours;
        for (const DatabaseDef& def : schema::databases())
            ours << Database::findFile(dir, def.fileName);
        const QString invoicing =
            Database::findFile(Database::findFile(dir, QString::fromLatin1(kInvoicingFolder)),
                               QString::fromLatin1(kInvoicingFile));
        ours << invoicing;
        for (const QString& f : std::as_const(ours)) {
            for (const QString& suffix : {QString(), QStringLiteral("-journal"),
                                          QStringLiteral("-wal"), QStringLiteral("-shm")}) {
                if (QFile::exists(f + suffix) && !QFile::remove(f + suffix)) {
                    return Error{QStringLiteral("A(z) „%1” nem törölhető (használja egy program?).")
                                     .arg(QDir::toNativeSeparators(f + suffix))};
                }
            }
        }
    }
    if (!QDir().mkpath(dir)) {
        return Error{QStringLiteral("A(z) „%1” mappa nem hozható létre.")
                         .arg(QDir::toNativeSeparators(dir))};
    }
    return {};
}

Status DemoFolderMaker::copyTemplates(const QString& dir) const {
    const QString from =
        options_.templateDir.isEmpty() ? QDir(programDir()).filePath("Data") : options_.templateDir;
    for (const DatabaseDef& def : schema::databases()) {
        const QString src = QDir(from).filePath(def.fileName);
        const QString dst = QDir(dir).filePath(def.fileName);
        if (!QFile::exists(src)) {
            return Error{QStringLiteral("Nem található a tiszta minta-adatbázis: „%1”. Építse meg "
                                        "a programot (cmake --build)!")
                             .arg(QDir::toNativeSeparators(src))};
        }
        if (!QFile::copy(src, dst)) {
            return Error{QStringLiteral("A(z) „%1” nem másolható ide: „%2”.")
                             .arg(QDir::toNativeSeparators(src), QDir::toNativeSeparators(dst))};
        }
        QFile::setPermissions(dst, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                       QFileDevice::ReadGroup | QFileDevice::ReadOther);
    }
    return {};
}

Status DemoFolderMaker::fillPartners(const QString& path) const {
    Result<SqliteHandle> opened = openExisting(path);
    if (!opened)
        return opened.error();
    Connection* db = opened->get();
    DemoRandom rnd(options_.seed + 3);
    if (Status begun = runSql(db, QStringLiteral("BEGIN")); !begun)
        return begun;
    const QStringList partnerColumns = {
        "BerNev",        "BerIrszam",      "BerSzekhely",    "BerCim",
        "BerTelefon",    "BerFax",         "BerMobil",       "BerAdoszam",
        "BerSzamlaszam", "recordID",       "Kapcsolattartó", "BerOrszag",
        "UgyfelStatus",  "VevöBeszállitó", "BerEUAdoszam",   "BerVPID"};
    static const char* const banks[] = {"117", "107", "120", "109", "116", "104"};
    static const int kMobilePrefixes[] = {20, 30, 70};
    const auto& contacts = contactNames();
    int id = 0;
    for (const PartnerWords& p : partners()) {
        ++id;
        const QByteArray country(p.country);
        const bool domestic = country == "HU";
        const QString phone = phoneNumber(rnd, p);
        QVariant fax;
        if (rnd.chance(0.4))
            fax = phone.left(phone.size() - 1) + QChar(u'0' + rnd.between(0, 9));
        const QVariant mobile = domestic && rnd.chance(0.7)
                                    ? QVariant(QStringLiteral("+36 %1 %2 %3")
                                                   .arg(kMobilePrefixes[rnd.between(0, 2)])
                                                   .arg(digits(rnd, 3), digits(rnd, 4)))
                                    : QVariant();
        const QString taxId = digits(rnd, 8);
        const QVariant taxNumber =
            domestic
                ? QVariant(taxId + QString::number(rnd.chance(0.85) ? 2 : 1) +
                           QStringLiteral("%1").arg(rnd.between(2, 44), 2, 10, QLatin1Char('0')))
                : QVariant();
        const QVariant account =
            domestic ? QVariant(QString::fromLatin1(banks[rnd.between(0, 5)]) + digits(rnd, 5) +
                                digits(rnd, 8) + (rnd.chance(0.5) ? digits(rnd, 8) : QString()))
                     : QVariant();
        QVariant euTax;
        if (!domestic)
            euTax = euTaxNumber(rnd, country);
        else if (rnd.chance(0.35))
            euTax = QStringLiteral("HU") + taxId;
        const QVariant vpid = domestic && euTax.isValid() && rnd.chance(0.3)
                                  ? QVariant(QStringLiteral("HU") + digits(rnd, 10))
                                  : QVariant();
        const int s = rnd.between(0, 99);
        const QString status = QString::number(s < 55   ? 0
                                               : s < 75 ? 1
                                               : s < 90 ? 2
                                               : s < 97 ? 3
                                                        : 4);
        const QVariantList values = {
            QString::fromUtf8(p.name),
            QString::fromUtf8(p.postalCode),
            QString::fromUtf8(p.town),
            QString::fromUtf8(p.street),
            phone,
            fax,
            mobile,
            taxNumber,
            account,
            id,
            QString::fromUtf8(rnd.pick(contacts)),
            QString::fromLatin1(country),
            status,
            QString::fromLatin1(p.kind),
            euTax,
            vpid,
        };
        if (Status inserted = insertRow(db, schema::beraktar(), partnerColumns, values); !inserted)
            return inserted;
    }
    for (const CountryWords& c : countries()) {
        if (Status inserted =
                insertRow(db, schema::torzsOrszagok(), {"OrszágKód", "OrszágMegnevezés"},
                          {QString::fromLatin1(c.code), QString::fromUtf8(c.name)});
            !inserted)
            return inserted;
    }
    return runSql(db, QStringLiteral("COMMIT"));
}

Status DemoFolderMaker::fillParameters(const QString& path, const QString& interfacePath) const {
    Result<SqliteHandle> db = openExisting(path);
    if (!db)
        return db.error();
    return insertRow(db->get(), schema::emblemaPath(), {"Tizedes", "DevizaNem", "InterfacePath"},
                     {0, QStringLiteral("Ft"), interfacePath});
}

Status DemoFolderMaker::copyExtraTree(const QString& dir) const {
    const QString from =
        options_.extraDir.isEmpty() ? QDir(programDir()).filePath("DataFolder") : options_.extraDir;
    if (!QFileInfo(from).isDir())
        return {};
    const QDir src(from);
    QDirIterator it(from, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString rel = src.relativeFilePath(file);
        const QString dst = QDir(dir).filePath(rel);
        QDir().mkpath(QFileInfo(dst).absolutePath());
        if (QFile::exists(dst))
            QFile::remove(dst);
        if (!QFile::copy(file, dst)) {
            return Error{QStringLiteral("A(z) „%1” nem másolható ide: „%2”.")
                             .arg(QDir::toNativeSeparators(file), QDir::toNativeSeparators(dst))};
        }
        QFile::setPermissions(dst, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                       QFileDevice::ReadGroup | QFileDevice::ReadOther);
    }
    return {};
}

Status DemoFolderMaker::writeBankStatement(const QString& dir) {
    const QDir d(dir);
    Result<SqliteHandle> ledgers = openExisting(d.filePath("veladata.mdb"));
    if (!ledgers)
        return ledgers.error();
    Result<SqliteHandle> partners = openExisting(d.filePath("betarol.kdb"));
    if (!partners)
        return partners.error();
    DemoBankStatement statement(options_.today);
    if (Status written = statement.write(ledgers->get(), partners->get(),
                                         d.filePath(DemoBankStatement::fileName()));
        !written)
        return written;
    bankEntries_ = statement.entries();
    return {};
}

Status DemoFolderMaker::make(const QString& dirIn) {
    summary_.clear();
    if (options_.payablesRows < 0 || options_.receivablesRows < 0)
        return Error{QStringLiteral("A sorok száma nem lehet negatív.")};
    const QString dir = QDir(dirIn).absolutePath();
    if (Status prepared = prepareFolder(dir); !prepared)
        return prepared;
    if (Status copied = copyTemplates(dir); !copied)
        return copied;

    const QDir d(dir);
    LedgerGenerator payables(LedgerSide::Payables, options_.today, options_.seed);
    LedgerGenerator receivables(LedgerSide::Receivables, options_.today, options_.seed + 1);
    {
        Result<SqliteHandle> db = openExisting(d.filePath("veladata.mdb"));
        if (!db)
            return db.error();
        if (Status written = payables.write(db->get(), schema::velaData(), options_.payablesRows);
            !written)
            return written;
        if (Status written =
                receivables.write(db->get(), schema::velanakData(), options_.receivablesRows);
            !written)
            return written;
    }
    if (Status filled = fillPartners(d.filePath("betarol.kdb")); !filled)
        return filled;
    if (Status written = writeBankStatement(dir); !written)
        return written;

    const QString invoicingDir = d.filePath(QString::fromLatin1(kInvoicingFolder));
    if (Status filled = fillParameters(d.filePath("parameter.kdb"), QDir::cleanPath(invoicingDir));
        !filled)
        return filled;
    if (!QDir().mkpath(invoicingDir)) {
        return Error{QStringLiteral("A(z) „%1” mappa nem hozható létre.")
                         .arg(QDir::toNativeSeparators(invoicingDir))};
    }
    // The invoicing program goes on numbering where the imported rows stopped.
    std::array<qint64, kInvoiceTableCount> next{};
    for (int t = 0; t < kInvoiceTableCount; ++t)
        next[size_t(t)] = receivables.lastInvoiceNumber(InvoiceTable(t)) + 1;
    InvoiceSourceWriter invoices(options_.today, options_.seed + 2);
    if (Status written =
            invoices.write(QDir(invoicingDir).filePath(QString::fromLatin1(kInvoicingFile)), next);
        !written)
        return written;
    if (Status copied = copyExtraTree(dir); !copied)
        return copied;

    summary_ = QStringLiteral(
                   "Kész: %1 (VelaData: %2 sor, ebből %3 részkiegyenlítés; "
                   "VelanakData: %4 sor, ebből %5 részkiegyenlítés; %6 partner, "
                   "%7 ország; számlázó: %8 tételsor; bankkivonat: %9, %10 tétel)")
                   .arg(QDir::toNativeSeparators(dir))
                   .arg(options_.payablesRows)
                   .arg(payables.partialRows())
                   .arg(options_.receivablesRows)
                   .arg(receivables.partialRows())
                   .arg(partners().size())
                   .arg(countries().size())
                   .arg(invoices.lineCount())
                   .arg(QDir::toNativeSeparators(DemoBankStatement::fileName()))
                   .arg(bankEntries_.size());
    return {};
}

}  // namespace vela::demo
