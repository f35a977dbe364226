#pragma once

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QMultiHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

#include "base/result.h"
#include "import/navclient.h"
#include "import/navinvoice.h"
#include "import/navledgermapper.h"

namespace vela {

class Database;

// An Online Számla invoice waiting to be handed over: what was read, the
// ledger row it becomes, and whether it is already booked.
struct NavStagedInvoice {
    enum class State {
        New,       // handed over by the next hand-over
        InLedger,  // the ledger already holds it
        Twice,     // an earlier staged row is the same invoice
    };
    NavInvoice invoice;
    NavLedgerEntry entry;
    State state = State::New;
};

// Online Számla invoices into both ledgers: what the ledgers and the
// partner register already hold is read once, the staged invoices are
// marked against it, and the hand-over writes the new ones into their
// ledgers in one transaction, adding the partners the register lacks.
class NavHandOver {
  public:
    using RowIdMaker = std::function<QString(const QDateTime&)>;
    using Clock = std::function<QDateTime()>;

    struct Report {
        int receivables = 0;  // rows written into "Tartoznak (Vevő)"
        int payables = 0;     // rows written into "Tartozunk (Szállító)"
        int partnersAdded = 0;
        int skipped = 0;  // staged rows already booked, not written again
        // The rows were written but the new partners could not be saved.
        QString partnerProblem;
    };

    // betarol may be missing: then no partner is looked up or added.
    NavHandOver(Database& veladata, Database* betarol, NavBusiness business);

    // Reads what the ledgers and the register hold of the invoices to come.
    [[nodiscard]] Status load(const QList<NavInvoice>& invoices);

    // Maps invoices to ledger rows, appended to staged; an invoice that is
    // neither ours nor to us is refused with its message. load() first.
    void stage(const QList<NavInvoice>& invoices, QList<NavStagedInvoice>& staged,
               QStringList& refused) const;
    // Marks each staged row anew: in the ledger, twice in the list, or new.
    void mark(QList<NavStagedInvoice>& staged) const;

    // Whether the ledger holds the invoice of a digest (by its transaction
    // id, or by its number and partner); load() need not have run.
    bool holds(const NavInvoiceDigest& digest);
    [[nodiscard]] Status loadTransactionIds();

    // Hands the new rows of staged over; nothing is written when any write
    // fails. The rows are marked as booked afterwards.
    Result<Report> run(QList<NavStagedInvoice>& staged, const RowIdMaker& newRowId,
                       const Clock& clock);

    // Reads the files (or every .xml file of a folder named among them);
    // each file that cannot be read is told in refused.
    static QList<NavInvoice> readFiles(const QStringList& paths, QStringList& refused);

    // The note a ledger row gets of the authority's transaction id.
    static QString transactionNote(const QString& id);

  private:
    struct Booked {
        NavLedger ledger;
        QString number;
        QString partnerFolded;  // the partner's name, folded when booked
        QString note;
        double netto = 0;
        double brutto = 0;
        bool open = true;
    };
    static QString indexKey(NavLedger ledger, const QString& number);
    void addBooked(Booked b);
    QString partnerKey(const QString& taxDigits, const QString& name) const;
    bool samePartner(const QString& rowFolded, const NavLedgerEntry& e) const;
    bool booked(const NavLedgerEntry& e) const;
    [[nodiscard]] Status lookUp(QStringList numbers, QStringList originals);
    std::optional<NavOriginalFigures> original(const NavLedgerEntry& e) const;
    [[nodiscard]] Status readLedger(NavLedger ledger, const QStringList& numbers,
                                    const QStringList& originals);
    [[nodiscard]] Status readPartners();

    Database& veladata_;
    Database* betarol_;
    NavBusiness business_;
    std::vector<Booked> booked_;
    QMultiHash<QString, size_t> byNumber_;    // ledger and number -> its rows in booked_
    QMultiHash<QString, size_t> byOriginal_;  // ledger and original -> the rows that modify it
    QSet<QString> readRows_;  // ledger and rowid of each row in booked_ read from a table
    QSet<QString> lookedUp_;  // numbers (and ">original") whose rows are read
    QSet<QString> transactionIds_;
    QMultiHash<QString, QString> taxByName_;  // folded partner name -> its 8 digits or EU number
    QSet<QString> partnerTaxes_;              // the 8 digits or the EU number of every partner
    qint64 lastPartnerId_ = 0;
};

}  // namespace vela
