#include "ledger/ledgertraits.h"

#include "ledger/ledgermessages.h"
#include "ledgercore/ledgerrules.h"
#include "storage/columns.h"

namespace vela {

namespace {

using Icon = DialogService::Icon;

const QList<OrderKey> kBySequence{{"Sorszám"}, {"recordID"}};

// The outstanding figure's amounts and rows come from the ledger's rule.
const LedgerTraits payables{
    LedgerKind::Payables,
    schema::velaData(),
    "VelaData",
    "VelaData V.2.5 (2013) - Kvadra VD15 - Tartozunk (Szállító)",
    "Tartozunk (szállító adatai)",
    "SZÁLLÍTÓ",
    "Szállító",
    kBySequence,
    ledger::OutstandingRule::of(LedgerKind::Payables).gross,
    ledger::OutstandingRule::of(LedgerKind::Payables).grossWhere,
    ledger::OutstandingRule::of(LedgerKind::Payables).partial,
    ledger::OutstandingRule::of(LedgerKind::Payables).partialWhere,
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
    "Valószínűleg VelaData1 UPDATE hiba! Futtassa a VELAREP programot!",
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
    ledger::OutstandingRule::of(LedgerKind::Receivables).gross,
    ledger::OutstandingRule::of(LedgerKind::Receivables).grossWhere,
    ledger::OutstandingRule::of(LedgerKind::Receivables).partial,
    ledger::OutstandingRule::of(LedgerKind::Receivables).partialWhere,
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
    "VelaData1 UPDATE hiba! Futtassa a VELAREP programot!",
};

}  // namespace

const LedgerTraits& LedgerTraits::of(LedgerKind kind) {
    return kind == LedgerKind::Payables ? payables : receivables;
}

QString LedgerTraits::noRowsMessage(const QString& item) const {
    for (const ledgertext::NoRowsMessage& m : ledgertext::kNoRowsMessages) {
        if (item == QLatin1String(m.item))
            return QString::fromUtf8(kind == LedgerKind::Payables ? m.payables : m.receivables);
    }
    return ledgertext::kNoData;
}

}  // namespace vela
