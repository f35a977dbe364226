#include "import/invoicesource.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <map>

#include "base/filekind.h"
#include "import/jetdate.h"
#include "import/jetheader.h"
#include "import/jetreader.h"
#include "import/standinreader.h"
#include "storage/database.h"

namespace vela {

namespace {

enum Col {
    ColNumber = 0,
    ColIssued = 5,
    ColDue = 6,
    ColVat = 8,
    ColSettled = 9,
    ColNet = 11,
    ColGross = 12,
    ColPerformed = 13,
};

QVariant asNumber(const QVariant& v) {
    switch (v.typeId()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Float:
        case QMetaType::Double:
        case QMetaType::Bool:
            return v.toDouble();
        default:
            return v;
    }
}

QVariant asInvoiceNumber(const QVariant& v) {
    const QVariant n = asNumber(v);
    if (n.typeId() != QMetaType::Double)
        return v;
    const double d = n.toDouble();
    if (std::isfinite(d) && d == std::floor(d) && std::fabs(d) < 9.0e15)
        return qint64(d);
    return d;
}

bool isNumber(const QVariant& v) {
    return asNumber(v).typeId() == QMetaType::Double;
}

// The invoice number as a double for grouping; a number kept in a text column
// counts too, as the engine compares it with the starting number.
bool invoiceKey(const QVariant& v, double* key) {
    QVariant n = asNumber(v);
    if (n.typeId() == QMetaType::QString) {
        bool ok = false;
        const double d = n.toString().trimmed().toDouble(&ok);
        if (!ok)
            return false;
        n = d;
    }
    if (n.typeId() != QMetaType::Double)
        return false;
    *key = n.toDouble();
    return true;
}

}  // namespace

InvoiceSource::~InvoiceSource() = default;

const QStringList& InvoiceSource::documentTables() {
    static const QStringList tables{QStringLiteral("SZAMLA"),   QStringLiteral("ATUTAL"),
                                    QStringLiteral("UTANVET"),  QStringLiteral("NYUGTA"),
                                    QStringLiteral("SZALLITO"), QStringLiteral("SZAMLAHE")};
    return tables;
}

const QStringList& InvoiceSource::sourceColumns() {
    static const QStringList columns{
        QStringLiteral("SZAMLASOR"),  QStringLiteral("VEVONEV"),    QStringLiteral("VEVOSZEKH"),
        QStringLiteral("VEVOCIM"),    QStringLiteral("FIZ_MOD"),    QStringLiteral("SZML_KELTE"),
        QStringLiteral("ESEDEKES"),   QStringLiteral("MEGNEVEZES"), QStringLiteral("AFA"),
        QStringLiteral("KIEGYENOSZ"), QStringLiteral("PENZNEM"),    QStringLiteral("NETTO_ERTE"),
        QStringLiteral("BRUTTO"),     QStringLiteral("TELJ_DATUM")};
    return columns;
}

const QStringList& InvoiceSource::groupedColumns() {
    static const QStringList columns{
        QStringLiteral("Számlaszám"), QStringLiteral("Vevö"),       QStringLiteral("Székhely"),
        QStringLiteral("Cim"),        QStringLiteral("FizMód"),     QStringLiteral("Kelt"),
        QStringLiteral("Esedékes"),   QStringLiteral("Megnevezés"), QStringLiteral("ÁFA"),
        QStringLiteral("Részösszeg"), QStringLiteral("Pénznem"),    QStringLiteral("Nettó"),
        QStringLiteral("Bruttó"),     QStringLiteral("Teljesit")};
    return columns;
}

StagedInvoice InvoiceSource::toStaged(const Row& g) {
    // In the order of groupedColumns().
    return {g.value(0), g.value(1), g.value(2), g.value(3),  g.value(4),  g.value(5),  g.value(6),
            g.value(7), g.value(8), g.value(9), g.value(10), g.value(11), g.value(12), g.value(13)};
}

Result<QList<StagedInvoice>> InvoiceSource::groupedInvoices(const QString& table, double from) {
    Result<std::vector<Row>> grouped = groupedRows(table, from);
    if (!grouped)
        return grouped.error();
    QList<StagedInvoice> out;
    out.reserve(qsizetype(grouped->size()));
    for (const Row& r : *grouped) out << toStaged(r);
    return out;
}

Result<std::unique_ptr<InvoiceSource>> InvoiceSource::open(const QString& folder) {
    if (folder.trimmed().isEmpty() || !QFileInfo(folder).isDir())
        return Error{QStringLiteral("A számlázó mappája („%1”) nem létezik, így a(z) „%2” sem "
                                    "olvasható!")
                         .arg(QDir::toNativeSeparators(folder), databaseName())};
    return openFile(Database::findFile(folder, databaseName()));
}

Result<std::unique_ptr<InvoiceSource>> InvoiceSource::openFile(const QString& path) {
    auto fail = [](const QString& text) { return Error{text}; };
    const QFileInfo fi(path);
    const QString name = fi.fileName();
    if (!fi.exists())
        return fail(QStringLiteral("A számlázó adatbázisa, a(z) „%1” nem található a(z) „%2” "
                                   "mappában!")
                        .arg(name, QDir::toNativeSeparators(fi.absolutePath())));
    if (fi.isDir())
        return fail(QStringLiteral("A(z) „%1” nem olvasható: ez egy mappa, nem adatbázis-állomány.")
                        .arg(name));
    // A FIFO or a device would hold the read below until something writes to it.
    if (const QString special = notRegularFileText(path); !special.isEmpty())
        return fail(special);
    QFile f(path);
    if (!fi.isReadable() || !f.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("A(z) „%1” nem nyitható meg olvasásra (nincs hozzá "
                                   "jogosultság, vagy egy másik program zárolja).")
                        .arg(name));
    const QByteArray head = f.read(JetHeader::kBytes);
    f.close();

    std::unique_ptr<InvoiceSource> src(new InvoiceSource);
    src->path_ = fi.absoluteFilePath();
    if (head.startsWith(QByteArray("SQLite format 3\0", 16))) {
        src->format_ = Format::StandIn;
        Result<std::unique_ptr<StandInReader>> reader = StandInReader::open(src->path_);
        if (!reader)
            return reader.error();
        src->standIn_ = std::move(*reader);
        return src;
    }
    if (JetHeader::read(head).isJet) {
        src->format_ = Format::Jet;
        Result<std::unique_ptr<JetReader>> reader = JetReader::open(src->path_);
        if (!reader)
            return reader.error();
        src->jet_ = std::move(*reader);
        return src;
    }
    return fail(head.isEmpty() ? QStringLiteral("A(z) „%1” nem olvasható: üres állomány.").arg(name)
                               : QStringLiteral("A(z) „%1” nem olvasható: sem Access, sem SQLite "
                                                "adatbázis.")
                                     .arg(name));
}

QString InvoiceSource::fileName() const {
    return QFileInfo(path_).fileName();
}

Result<bool> InvoiceSource::hasRows(const QString& table) {
    if (jet_)
        return jet_->hasRows(table);
    return standIn_->hasRows(table);
}

Result<std::vector<InvoiceSource::Row>> InvoiceSource::groupedRows(const QString& table,
                                                                   double from) {
    std::vector<Row> rows;
    notice_.clear();
    if (jet_) {
        Result<JetReader::Table> read = jet_->read(table, sourceColumns());
        if (!read)
            return read.error();
        JetReader::Table& lines = *read;
        if (lines.storedRows >= 0)
            notice_ = QStringLiteral(
                          "A(z) „%1” „%2” táblája szerint %3 tételsor van benne, de %4 "
                          "olvasható. A számlázó program valószínűleg éppen használja az "
                          "adatbázist, vagy nem zárta le szabályosan; a beolvasott tételsorok "
                          "betöltődnek.")
                          .arg(fileName(), table)
                          .arg(lines.storedRows)
                          .arg(lines.rows.size());
        rows = groupLines(std::move(lines.rows), from);
    } else {
        Result<std::vector<Row>> grouped = standIn_->groupedRows(table, from);
        if (!grouped)
            return grouped.error();
        rows = std::move(*grouped);
    }
    for (Row& r : rows) r = normalised(std::move(r));
    return rows;
}

std::vector<InvoiceSource::Row> InvoiceSource::groupLines(std::vector<Row> lines, double from) {
    // last() is the last line in the order the lines are read, which for a
    // plain table is the order they lie in the file; SUM() skips nulls and is
    // null when every value is.
    struct Invoice {
        Row last;
        double net = 0, gross = 0;
        bool anyNet = false, anyGross = false;
    };
    std::map<double, Invoice> invoices;
    for (Row& line : lines) {
        if (line.size() != 14)
            continue;
        double key = 0;
        if (!invoiceKey(line.at(ColNumber), &key) || !(key >= from))
            continue;
        Invoice& inv = invoices[key];
        if (isNumber(line.at(ColNet))) {
            inv.net += line.at(ColNet).toDouble();
            inv.anyNet = true;
        }
        if (isNumber(line.at(ColGross))) {
            inv.gross += line.at(ColGross).toDouble();
            inv.anyGross = true;
        }
        inv.last = std::move(line);
    }
    std::vector<Row> out;
    out.reserve(invoices.size());
    for (auto& [key, inv] : invoices) {
        Row r = std::move(inv.last);
        r[ColNet] = inv.anyNet ? QVariant(inv.net) : QVariant();
        r[ColGross] = inv.anyGross ? QVariant(inv.gross) : QVariant();
        out.push_back(std::move(r));
    }
    return out;
}

InvoiceSource::Row InvoiceSource::normalised(Row raw) {
    if (raw.size() != 14)
        return raw;
    raw[ColNumber] = asInvoiceNumber(raw.at(ColNumber));
    for (int i : {int(ColIssued), int(ColDue), int(ColPerformed)})
        raw[i] = JetDate::dateOf(raw.at(i));
    for (int i : {int(ColVat), int(ColSettled), int(ColNet), int(ColGross)})
        raw[i] = asNumber(raw.at(i));
    return raw;
}

}  // namespace vela
