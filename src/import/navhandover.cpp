#include "import/navhandover.h"

#include <QDir>
#include <QFileInfo>
#include <cmath>

#include "import/navinvoicereader.h"
#include "ledgercore/ledgerbook.h"
#include "ledgercore/ledgerrules.h"
#include "ledgercore/stagedinvoice.h"
#include "storage/bulkwrite.h"
#include "storage/columns.h"
#include "storage/database.h"
#include "storage/funcs.h"
#include "storage/recordsource.h"
#include "storage/rowaccess.h"

namespace vela {

namespace {

namespace text {
const QString transaction = QStringLiteral("NAV-azonosító: %1");
const QString transactionPrefix = QStringLiteral("NAV-azonosító: ");
const QString modifies = QStringLiteral("módosítja: %1,");
const QString cancels = QStringLiteral("érvényteleníti: %1,");
const QString rowRefused = QStringLiteral(
    "A(z) „%1” számla (%2) nem írható a nyilvántartásba: %3\nEgyetlen számla sem került át.");
const QString partnerRefused = QStringLiteral(
    "A(z) „%1” partner nem vehető fel a partnertörzsbe: %2\nEgyetlen számla sem került át.");
const QString partnersLost =
    QStringLiteral("A számlák átkerültek, de az új partnerek nem kerültek a partnertörzsbe: %1");
}  // namespace text

const QString kNumber = QStringLiteral("Szamlaszam");
const QString kName = QStringLiteral("CegNev");
const QString kNote = QStringLiteral("Megjegyzés");

// Lookups by number are asked in groups, so a long list of invoices stays
// within what one statement may hold.
constexpr int kChunk = 200;

const TableDef& tableOf(NavLedger ledger) {
    return ledger == NavLedger::Receivables ? schema::velanakData() : schema::velaData();
}

QString folded(const QString& s) {
    return foldCase(s.trimmed());
}

double num(const QVariant& v) {
    return Funcs::NumOrZero(v).toDouble();
}

QString txt(const QVariant& v) {
    return Funcs::TextOrEmpty(v).toString();
}

double cents(double v) {
    return std::round(v * 100.0) / 100.0;
}

// What a note says of the invoice a row modifies or cancels.
bool refersTo(const QString& note, const QString& original) {
    return note.startsWith(text::modifies.arg(original)) ||
           note.startsWith(text::cancels.arg(original));
}

// The row's note: the modification's, then the authority's transaction id.
QString noteOf(const NavLedgerEntry& e) {
    QString note = e.Megjegyzes;
    if (!e.navTransactionId.isEmpty())
        note += (note.isEmpty() ? QString() : QStringLiteral("; ")) +
                QStringLiteral("NAV-azonosító: ") + e.navTransactionId;
    return note;
}

// The ledger row of an entry by the ledger's hand-over rule for staged
// invoices (sequence number, row identifier, data-entry date, settled flag
// from the payment method), with what a staged invoice has no place for: a
// text invoice number, the address as the invoice gives it, no single rate,
// the note.
LedgerRow ledgerRow(const NavLedgerEntry& e, const QDate& delivery, qint64 sorszam,
                    const QString& rowId, const QDate& today) {
    StagedInvoice staged;
    staged.customer = e.CegNev;
    staged.payment = e.FizetesModja;
    staged.issued = e.Datumtol;
    staged.due = e.Datumig;
    staged.item = e.Megnevezes;
    staged.settled = 0.0;
    staged.currency = e.Devizanem;
    staged.net = e.Netto;
    staged.gross = e.Brutto;
    staged.performed = delivery.isValid() ? delivery : e.Datumtol;
    LedgerRow row = staged.toLedgerRow(sorszam, rowId, today);
    row.szamlaszam = e.Szamlaszam;
    row.cegCim = e.CegCim;
    row.afa = e.AFA;
    // An empty note is no note.
    const QString note = noteOf(e);
    row.megjegyzes = note.isEmpty() ? QString() : note;
    return row;
}

const QStringList& partnerColumns() {
    static const QStringList columns{
        QStringLiteral("BerNev"),        QStringLiteral("BerIrszam"),
        QStringLiteral("BerSzekhely"),   QStringLiteral("BerCim"),
        QStringLiteral("BerAdoszam"),    QStringLiteral("BerEUAdoszam"),
        QStringLiteral("BerSzamlaszam"), QStringLiteral("recordID"),
        QStringLiteral("VevöBeszállitó")};
    return columns;
}

// A partner's key in the register: its 8 digits, else its EU number.
QString registerKey(const QString& taxNumber, const QString& euNumber) {
    const QString digits = NavLedgerMapper::taxpayerDigits(taxNumber);
    return !digits.isEmpty() ? digits : euNumber.trimmed().toUpper();
}

}  // namespace

NavHandOver::NavHandOver(Database& veladata, Database* betarol, NavBusiness business)
    : veladata_(veladata), betarol_(betarol), business_(std::move(business)) {}

QString NavHandOver::transactionNote(const QString& id) {
    return text::transaction.arg(id);
}

QList<NavInvoice> NavHandOver::readFiles(const QStringList& paths, QStringList& refused) {
    QStringList files;
    for (const QString& p : paths) {
        const QFileInfo fi(p);
        if (fi.isDir()) {
            const QDir dir(p);
            for (const QString& f : dir.entryList(
                     {QStringLiteral("*.xml"), QStringLiteral("*.XML")}, QDir::Files, QDir::Name))
                files << dir.filePath(f);
        } else {
            files << p;
        }
    }
    QList<NavInvoice> invoices;
    for (const QString& f : files) {
        Result<QList<NavInvoice>> read = NavInvoiceReader::readFile(f);
        if (read)
            invoices << *read;
        else
            refused << read.errorText();
    }
    return invoices;
}

Status NavHandOver::readLedger(NavLedger ledger, const QStringList& numbers,
                               const QStringList& originals) {
    // Numbers are found by the ledger's index; notes naming an original are
    // not indexed, so they are asked apart, where a group costs one pass.
    QList<QList<Condition>> groups;
    QList<Condition> byNumber;
    for (const QString& n : numbers) byNumber << Condition::equals(kNumber, n);
    QList<Condition> byNote;
    for (const QString& o : originals)
        byNote << Condition::prefix(kNote, text::modifies.arg(o))
               << Condition::prefix(kNote, text::cancels.arg(o));
    for (const QList<Condition>* parts : {&byNumber, &byNote})
        for (qsizetype at = 0; at < parts->size(); at += kChunk) groups << parts->mid(at, kChunk);
    const TableDef& table = tableOf(ledger);
    const int number = table.indexOf(kNumber);
    const int name = table.indexOf(kName);
    const int note = table.indexOf(kNote);
    const int net = table.indexOf(QStringLiteral("Netto"));
    const int gross = table.indexOf(QStringLiteral("Brutto"));
    const int settled = table.indexOf(QStringLiteral("Kivezetés"));
    const int partial = table.indexOf(QStringLiteral("RészÖsszegBruttó"));
    for (const QList<Condition>& group : std::as_const(groups)) {
        RecordSource rows;
        rows.setDatabase(&veladata_);
        rows.setQuery(Query(table, Condition::anyOf(group)));
        if (const Status read = rows.refresh(); !read)
            return read;
        for (int r = 0; r < rows.recordCount(); ++r) {
            // A row found by its number and by its note counts once.
            (void)rows.moveTo(r);
            const QString rowKey = indexKey(ledger, QString::number(rows.bookmark()));
            if (readRows_.contains(rowKey))
                continue;
            readRows_.insert(rowKey);
            Booked b{
                ledger,
                txt(rows.valueAt(r, number)).trimmed(),
                txt(rows.valueAt(r, name)),
                txt(rows.valueAt(r, note)),
                num(rows.valueAt(r, net)),
                num(rows.valueAt(r, gross)) - num(rows.valueAt(r, partial)),
                !txt(rows.valueAt(r, settled)).startsWith(QLatin1Char('I'), Qt::CaseInsensitive)};
            addBooked(std::move(b));
        }
    }
    return {};
}

Status NavHandOver::loadTransactionIds() {
    transactionIds_.clear();
    for (NavLedger ledger : {NavLedger::Payables, NavLedger::Receivables}) {
        const TableDef& table = tableOf(ledger);
        RecordSource rows;
        rows.setDatabase(&veladata_);
        rows.setQuery(
            Query(table, Condition::like(kNote, QStringLiteral("*") + text::transactionPrefix +
                                                    QStringLiteral("*"))));
        if (const Status read = rows.refresh(); !read)
            return read;
        const int note = table.indexOf(kNote);
        for (int r = 0; r < rows.recordCount(); ++r) {
            const QString n = txt(rows.valueAt(r, note));
            const qsizetype at = n.indexOf(text::transactionPrefix);
            if (at >= 0)
                transactionIds_.insert(n.mid(at + text::transactionPrefix.size())
                                           .section(QLatin1Char(';'), 0, 0)
                                           .trimmed());
        }
    }
    return {};
}

Status NavHandOver::readPartners() {
    taxByName_.clear();
    partnerTaxes_.clear();
    lastPartnerId_ = 0;
    if (!betarol_)
        return {};
    const TableDef& table = schema::beraktar();
    RecordSource rows;
    rows.setDatabase(betarol_);
    rows.setQuery(Query(table));
    if (const Status read = rows.refresh(); !read)
        return read;
    const int name = table.indexOf(QStringLiteral("BerNev"));
    const int tax = table.indexOf(QStringLiteral("BerAdoszam"));
    const int eu = table.indexOf(QStringLiteral("BerEUAdoszam"));
    const int id = table.indexOf(QStringLiteral("recordID"));
    for (int r = 0; r < rows.recordCount(); ++r) {
        const QString key = registerKey(txt(rows.valueAt(r, tax)), txt(rows.valueAt(r, eu)));
        if (!key.isEmpty()) {
            partnerTaxes_.insert(key);
            taxByName_.insert(folded(txt(rows.valueAt(r, name))), key);
        }
        lastPartnerId_ = std::max(lastPartnerId_, qint64(num(rows.valueAt(r, id))));
    }
    return {};
}

Status NavHandOver::load(const QList<NavInvoice>& invoices) {
    booked_.clear();
    byNumber_.clear();
    byOriginal_.clear();
    readRows_.clear();
    lookedUp_.clear();
    QStringList numbers;
    QStringList originals;
    for (const NavInvoice& inv : invoices) {
        numbers << inv.invoiceNumber.trimmed();
        if (inv.reference)
            originals << inv.reference->originalInvoiceNumber.trimmed();
    }
    if (const Status read = lookUp(numbers, originals); !read)
        return read;
    if (const Status ids = loadTransactionIds(); !ids)
        return ids;
    return readPartners();
}

Status NavHandOver::lookUp(QStringList numbers, QStringList originals) {
    // Which ledger an invoice belongs to is the mapping's to say, so both
    // are asked; what was asked once is not asked again.
    numbers += originals;
    QStringList newNumbers;
    QStringList newOriginals;
    for (const QString& n : std::as_const(numbers)) {
        if (!lookedUp_.contains(n))
            newNumbers << n;
        lookedUp_.insert(n);
    }
    for (const QString& o : std::as_const(originals)) {
        if (!lookedUp_.contains(QLatin1Char('>') + o))
            newOriginals << o;
        lookedUp_.insert(QLatin1Char('>') + o);
    }
    for (NavLedger ledger : {NavLedger::Payables, NavLedger::Receivables}) {
        if (const Status read = readLedger(ledger, newNumbers, newOriginals); !read)
            return read;
    }
    return {};
}

QString NavHandOver::indexKey(NavLedger ledger, const QString& number) {
    return QString::number(int(ledger)) + QLatin1Char('|') + number.trimmed();
}

void NavHandOver::addBooked(Booked b) {
    b.partnerFolded = folded(b.partnerFolded);
    const size_t at = booked_.size();
    byNumber_.insert(indexKey(b.ledger, b.number), at);
    // "módosítja: 2021/000123, 2. módosítás": the row counts against that invoice.
    for (const QString& form : {text::modifies, text::cancels}) {
        const QString head = form.left(form.indexOf(QLatin1Char('%')));
        if (b.note.startsWith(head)) {
            const qsizetype comma = b.note.indexOf(QLatin1Char(','), head.size());
            if (comma > 0)
                byOriginal_.insert(indexKey(b.ledger, b.note.mid(head.size(), comma - head.size())),
                                   at);
        }
    }
    booked_.push_back(std::move(b));
}

QString NavHandOver::partnerKey(const QString& taxDigits, const QString& name) const {
    return !taxDigits.isEmpty() ? taxDigits : QStringLiteral("~") + folded(name);
}

bool NavHandOver::samePartner(const QString& rowFolded, const NavLedgerEntry& e) const {
    // The ledger keeps the partner's name only: its tax number is the
    // register's. A name the register does not know, or an invoice without
    // a tax number, is told by the name.
    if (e.partnerTaxNumber.isEmpty() || !taxByName_.contains(rowFolded))
        return rowFolded == folded(e.CegNev);
    return taxByName_.contains(rowFolded, e.partnerTaxNumber);
}

bool NavHandOver::booked(const NavLedgerEntry& e) const {
    if (!e.navTransactionId.isEmpty() && transactionIds_.contains(e.navTransactionId))
        return true;
    for (auto it = byNumber_.constFind(indexKey(e.ledger, e.Szamlaszam));
         it != byNumber_.cend() && it.key() == indexKey(e.ledger, e.Szamlaszam); ++it) {
        const Booked& b = booked_[it.value()];
        if (!samePartner(b.partnerFolded, e))
            continue;
        if (!e.originalInvoiceNumber.isEmpty() && !refersTo(b.note, e.originalInvoiceNumber))
            continue;
        return true;
    }
    return false;
}

std::optional<NavOriginalFigures> NavHandOver::original(const NavLedgerEntry& e) const {
    if (e.originalInvoiceNumber.isEmpty())
        return std::nullopt;
    NavOriginalFigures f;
    bool found = false;
    const QString key = indexKey(e.ledger, e.originalInvoiceNumber);
    std::vector<std::pair<size_t, bool>> rows;  // the row, whether it is the original's own
    for (auto it = byNumber_.constFind(key); it != byNumber_.cend() && it.key() == key; ++it)
        if (samePartner(booked_[it.value()].partnerFolded, e))
            rows.emplace_back(it.value(), true);
    for (auto it = byOriginal_.constFind(key); it != byOriginal_.cend() && it.key() == key; ++it)
        if (samePartner(booked_[it.value()].partnerFolded, e))
            rows.emplace_back(it.value(), false);
    for (const auto& [at, own] : rows) {
        const Booked& b = booked_[at];
        if (own) {
            found = true;
            f.invoicedBrutto += b.brutto;
        }
        if (b.open) {
            f.netto += b.netto;
            f.brutto += b.brutto;
        }
    }
    if (!found)
        return std::nullopt;
    f.netto = cents(f.netto);
    f.brutto = cents(f.brutto);
    return f;
}

void NavHandOver::stage(const QList<NavInvoice>& invoices, QList<NavStagedInvoice>& staged,
                        QStringList& refused) const {
    for (const NavInvoice& inv : invoices) {
        Result<NavLedgerEntry> plain = NavLedgerMapper::map(inv, business_);
        if (!plain) {
            refused << plain.errorText();
            continue;
        }
        staged << NavStagedInvoice{inv, *plain, NavStagedInvoice::State::New};
    }
    mark(staged);
    // The figures as the hand-over will write them: a modification of an
    // invoice earlier in the list counts against that invoice once it is
    // handed over, as it counts against one in the ledger.
    NavHandOver preview(*this);
    for (NavStagedInvoice& s : staged) {
        if (Result<NavLedgerEntry> entry =
                NavLedgerMapper::map(s.invoice, business_, preview.original(s.entry)))
            s.entry = *entry;
        const NavLedgerEntry& e = s.entry;
        if (s.state == NavStagedInvoice::State::New)
            preview.addBooked(Booked{e.ledger, e.Szamlaszam.trimmed(), e.CegNev, noteOf(e), e.Netto,
                                     e.Brutto, true});
    }
}

void NavHandOver::mark(QList<NavStagedInvoice>& staged) const {
    QSet<QString> seen;
    for (NavStagedInvoice& s : staged) {
        const NavLedgerEntry& e = s.entry;
        const QString key = QString::number(int(e.ledger)) + QLatin1Char('|') +
                            folded(e.Szamlaszam) + QLatin1Char('|') +
                            partnerKey(e.partnerTaxNumber, e.CegNev) + QLatin1Char('|') +
                            e.originalInvoiceNumber;
        if (booked(e))
            s.state = NavStagedInvoice::State::InLedger;
        else if (seen.contains(key))
            s.state = NavStagedInvoice::State::Twice;
        else
            s.state = NavStagedInvoice::State::New;
        seen.insert(key);
    }
}

bool NavHandOver::holds(const NavInvoiceDigest& d) {
    if (!d.transactionId.isEmpty() && transactionIds_.contains(d.transactionId))
        return true;
    // A ledger that cannot be read holds nothing here: the invoice is
    // downloaded, and the staging marks it once the ledger can be read.
    if (!lookUp({d.invoiceNumber.trimmed()}, {}))
        return false;
    const QString own = NavLedgerMapper::taxpayerDigits(business_.ownTaxNumber);
    const bool weSupply = NavLedgerMapper::taxpayerDigits(d.supplierTaxNumber) == own;
    const NavLedger ledger = weSupply ? NavLedger::Receivables : NavLedger::Payables;
    const QString partner =
        NavLedgerMapper::taxpayerDigits(weSupply ? d.customerTaxNumber : d.supplierTaxNumber);
    if (partner.isEmpty())
        return false;
    const QString key = indexKey(ledger, d.invoiceNumber);
    for (auto it = byNumber_.constFind(key); it != byNumber_.cend() && it.key() == key; ++it)
        if (taxByName_.contains(booked_[it.value()].partnerFolded, partner) && d.batchIndex == 0)
            return true;
    return false;
}

Result<NavHandOver::Report> NavHandOver::run(QList<NavStagedInvoice>& staged,
                                             const RowIdMaker& newRowId, const Clock& clock) {
    Report report;
    mark(staged);
    if (const Status begun = veladata_.begin(); !begun)
        return begun.error();
    const bool partners = betarol_ != nullptr;
    if (partners) {
        if (const Status begun = betarol_->begin(); !begun) {
            veladata_.rollback();
            return begun.error();
        }
    }
    const size_t bookedBefore = booked_.size();
    const QSet<QString> partnersBefore = partnerTaxes_;
    const QSet<QString> transactionsBefore = transactionIds_;
    const QMultiHash<QString, QString> namesBefore = taxByName_;
    const qint64 lastPartnerBefore = lastPartnerId_;
    auto fail = [&](const QString& why) -> Result<Report> {
        veladata_.rollback();
        if (partners)
            betarol_->rollback();
        // What was counted as booked meanwhile is forgotten again.
        for (auto* index : {&byNumber_, &byOriginal_})
            for (auto it = index->begin(); it != index->end();)
                it = it.value() >= bookedBefore ? index->erase(it) : std::next(it);
        booked_.resize(bookedBefore);
        partnerTaxes_ = partnersBefore;
        transactionIds_ = transactionsBefore;
        taxByName_ = namesBefore;
        lastPartnerId_ = lastPartnerBefore;
        return Error{why};
    };

    // Each ledger gets its rows by the ledger book's hand-over, numbered on
    // inside the transaction opened above.
    for (NavLedger ledger : {NavLedger::Payables, NavLedger::Receivables}) {
        QList<qsizetype> rows;  // the staged rows of this ledger, in their order
        for (qsizetype i = 0; i < staged.size(); ++i)
            if (staged[i].state == NavStagedInvoice::State::New && staged[i].entry.ledger == ledger)
                rows << i;
        if (rows.isEmpty())
            continue;
        LedgerBook book(veladata_, tableOf(ledger));
        book.setClock(clock);
        const Result<LedgerBook::HandedOver> done = book.handOver(
            rows.size(),
            [&](qsizetype i, qint64 sorszam, const QString& rowId, const QDate& today) {
                NavStagedInvoice& s = staged[rows[i]];
                // Mapped again over what is booked by now: a modification of
                // an invoice handed over a moment ago counts against that
                // invoice.
                if (Result<NavLedgerEntry> again =
                        NavLedgerMapper::map(s.invoice, business_, original(s.entry)))
                    s.entry = *again;
                const NavLedgerEntry& e = s.entry;
                addBooked(Booked{e.ledger, e.Szamlaszam.trimmed(), e.CegNev, noteOf(e), e.Netto,
                                 e.Brutto, true});
                if (!e.navTransactionId.isEmpty())
                    transactionIds_.insert(e.navTransactionId);
                return ledgerRow(e, s.invoice.deliveryDate, sorszam, rowId, today);
            },
            newRowId);
        if (!done)
            return fail(done.errorText());
        if (done->stopped) {
            const NavStagedInvoice& s = staged[rows[done->failedAt]];
            return fail(
                text::rowRefused.arg(s.entry.Szamlaszam, s.invoice.sourceName, done->failedWhy));
        }
        (ledger == NavLedger::Receivables ? report.receivables : report.payables) = done->written;
    }

    BulkInsert register_(partners ? *betarol_ : veladata_, schema::beraktar(), partnerColumns(),
                         BulkInsert::BadValue::LeaveEmpty);
    if (partners) {
        if (const Status begun = register_.begin(); !begun)
            return fail(begun.errorText());
    }
    for (const NavStagedInvoice& s : std::as_const(staged)) {
        if (s.state != NavStagedInvoice::State::New) {
            ++report.skipped;
            continue;
        }
        if (!partners)
            continue;
        const NavLedger ledger = s.entry.ledger;
        const std::optional<NavPartnerRecord> p = NavLedgerMapper::partner(s.invoice, ledger);
        if (!p)
            continue;
        const QString key = registerKey(p->BerAdoszam, p->BerEUAdoszam);
        if (key.isEmpty() || partnerTaxes_.contains(key))
            continue;
        const bool customer = ledger == NavLedger::Receivables;
        const QVariantList values{p->BerNev,
                                  p->BerIrszam,
                                  p->BerSzekhely,
                                  p->BerCim,
                                  p->BerAdoszam,
                                  p->BerEUAdoszam,
                                  p->BerSzamlaszam,
                                  ++lastPartnerId_,
                                  customer ? QStringLiteral("V") : QStringLiteral("B")};
        if (const Status added = register_.append(values); !added)
            return fail(text::partnerRefused.arg(p->BerNev, added.errorText()));
        partnerTaxes_.insert(key);
        taxByName_.insert(folded(p->BerNev), key);
        ++report.partnersAdded;
    }
    if (partners) {
        if (Status s = register_.finish(); !s)
            return fail(s.errorText());
    }
    if (Status committed = veladata_.commit(); !committed)
        return fail(committed.errorText());
    if (partners) {
        if (Status committed = betarol_->commit(); !committed) {
            betarol_->rollback();
            partnerTaxes_ = partnersBefore;
            taxByName_ = namesBefore;
            lastPartnerId_ = lastPartnerBefore;
            report.partnersAdded = 0;
            report.partnerProblem = text::partnersLost.arg(committed.errorText());
        }
    }
    mark(staged);
    return report;
}

}  // namespace vela
