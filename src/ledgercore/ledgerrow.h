#pragma once

#include <QDate>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <optional>

#include "base/result.h"

namespace vela {

class RecordSource;

// One row of a ledger table (VelaData, VelanakData, the scratch table
// VelaIdeigl) with a named member for each of its 25 columns. It is read
// from and written to the record source and the row functions of storage by
// column name, so no rule depends on where a column stands. An empty
// optional, a null text and an invalid date are a null column.
struct LedgerRow {
    std::optional<qint64> sorszam;             // Sorszám
    QString szamlaszam;                        // Szamlaszam
    QString cegNev;                            // CegNev
    QString cegCim;                            // CegCim
    QString megnevezes;                        // Megnevezes
    std::optional<double> netto;               // Netto
    std::optional<double> afa;                 // AFA
    std::optional<double> brutto;              // Brutto
    QDate datumtol;                            // Datumtol
    QDate datumig;                             // Datumig
    QDate adatfelvetel;                        // Adatfelvetel
    QString devizanem;                         // Devizanem
    QString kivezetes;                         // Kivezetés: "I", "N" or empty
    std::optional<double> reszOsszeg;          // RészÖsszeg
    QString bankiKivonatSzama;                 // BankiKivonatSzáma
    QDate bankiKiegyenlitesKelte;              // BankiKiegyenlitésKelte
    QString megjegyzes;                        // Megjegyzés
    QString recordId;                          // recordID
    bool figyelem = false;                     // FIGYELEM
    QString figyelemMegjegyzes;                // FigyelemMegjegyzés
    bool reszkiegyenlites = false;             // Részkiegyenlités
    QString fizetesModja;                      // FizetésMódja
    std::optional<double> reszosszegOsszesen;  // RészösszegÖsszesen
    QDate teljesites;                          // Teljesités
    std::optional<double> reszOsszegBrutto;    // RészÖsszegBruttó

    // The 25 column names in table order.
    static const QStringList& columns();

    // From values by column name; a column not given stays null.
    static LedgerRow fromValues(const QHash<QString, QVariant>& values);
    // The current row of a ledger record source (pending edits included).
    static LedgerRow fromSource(const RecordSource& source);

    QVariant value(const QString& column) const;
    // Sets a member from a column's value; false for a name that is no column.
    bool setValue(const QString& column, const QVariant& value);

    QHash<QString, QVariant> values() const;
    // The columns whose value differs from before's.
    QHash<QString, QVariant> changedFrom(const LedgerRow& before) const;

    // Runs rule over the current row of source and writes what it changed
    // into the row (as pending edits, saved when the row is left or saved).
    static Status edit(RecordSource& source, const std::function<void(LedgerRow&)>& rule);

    bool operator==(const LedgerRow&) const = default;
};

}  // namespace vela
