#include "ledger/ledgertraits.h"

#include "storage/columns.h"

namespace vela {

namespace {

using Icon = DialogService::Icon;
using C = Condition;

const QList<OrderKey> kBySequence{{"Sorszám"}, {"recordID"}};

// The payables total counts every row whose settled flag is "N", "n", empty
// or null; a missing partial amount counts as none.
const LedgerTraits payables{
    LedgerKind::Payables,
    schema::velaData(),
    "VelaData",
    "VelaData V.2.5 (2013) - Kvadra VD15 - Tartozunk (Szállító)",
    "Tartozunk (szállító adatai)",
    "SZÁLLÍTÓ",
    "Szállító",
    kBySequence,
    {"Brutto", "RészÖsszeg"},
    C::equals("Kivezetés", "N") || C::equals("Kivezetés", "n") || C::isEmpty("Kivezetés"),
    {"RészÖsszegBruttó"},
    C::equals("Kivezetés", "N"),
    true,
    true,
    true,
    false,
    false,
    false,
    false,
    "Ügyfél neve",
    "Minden adat törlése adatsortól",
    "Label28",
    "Label29",
    "Részbruttó",
    "FIGYELEM! HIBA!",
    "Biztosan véglegesen törli az adatsort (Del Row)?",
    "FIGYELEM! VISSZAVONHATATLAN TÖRLÉS!",
    Icon::Question,
    Icon::Question,
};

const LedgerTraits receivables{
    LedgerKind::Receivables,
    schema::velanakData(),
    "VelanakData",
    "Tartoznak (Vevő) - VelaData",
    "Tartoznak (vevő adatai)",
    "VEVŐ",
    "Vevő",
    kBySequence,
    {"Brutto"},
    C::equals("Kivezetés", "N") && C::equals("Részkiegyenlités", 0),
    {"RészÖsszegBruttó"},
    C::equals("Kivezetés", "N"),
    false,
    false,
    false,
    true,
    true,
    true,
    true,
    "Ügyfél (vevő) neve",
    "Minden adat törlése",
    "Label24",
    "Label25",
    "Rész.össz.br.",
    "FIGYELEM!",
    "Biztosan véglegesen törli az adatsort (Delete)?",
    "FIGYELEM! TÖRLÉS!",
    Icon::Warning,
    Icon::Warning,
};

}  // namespace

const LedgerTraits& LedgerTraits::of(LedgerKind kind) {
    return kind == LedgerKind::Payables ? payables : receivables;
}

}  // namespace vela
