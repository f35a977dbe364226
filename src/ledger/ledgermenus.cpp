// The ledger window's menu bar, as one table: names, captions, handlers and
// when each item is enabled.

#include <QMenuBar>
#include <utility>

#include "bankwindow/bankkivonatformx.h"
#include "ledger/ledgerwindow.h"
#include "reports/reportactions.h"
#include "ui/appcontext.h"
#include "ui/formkit.h"

namespace vela {

namespace {
// Items whose work is not in this version yet.
bool notYet() {
    return false;
}
}  // namespace

void LedgerWindow::buildMenus() {
    using M = MenuTable;
    const bool payables = traits_.kind == LedgerKind::Payables;
    const LedgerKind ledger = traits_.kind;
    auto on = [this](void (LedgerWindow::*handler)()) {
        return [this, handler] { (this->*handler)(); };
    };

    QList<M::Row> rows;
    if (traits_.hasReceivablesMenu)
        rows << M::top("Tartoznak", QStringLiteral("&Nekünk tartoznak (Vevő)"),
                       on(&LedgerWindow::Tartoznak_Click));
    rows << M::menu("AdatExport", QStringLiteral("Adat&export"))
         << M::item(payables ? "ExcelExp" : "Excelbe", QStringLiteral("MS Excel 8"),
                    on(payables ? &LedgerWindow::ExcelExp_Click : &LedgerWindow::Excelbe_Click))
         << M::menu("AdatImport", QStringLiteral("Adat&import"))
         << M::item("szamlabol", QStringLiteral("FakturoW számlázóból"),
                    on(&LedgerWindow::szamlabol_Click), [payables] { return !payables; })
         << M::item("NavSzamla", QStringLiteral("Online Számla (NAV) …"),
                    on(&LedgerWindow::NavSzamla_Click))
         << M::item("Bankkivonat", QStringLiteral("Bankkivonat beolvasása…"),
                    [this] {
                        // The booking changes rows of both ledgers: read them again.
                        storeCurrentRow();
                        BankkivonatFormX::open(ctx_, this,
                                               std::exchange(ctx_.bankStatementFile, {}));
                        reportFailure(VelaData1.refresh());
                        becomeActive();
                    })
         << M::separator() << M::item("Excelbol", QStringLiteral("MS Excel"), {}, notYet)
         << M::top("VelaKivezet", QStringLiteral("&Kivezetés"),
                   on(&LedgerWindow::VelaKivezet_Click))
         << M::top("VevoTorzs", QStringLiteral("&Vevő-Szállító törzs"),
                   on(&LedgerWindow::VevoTorzs_Click))
         << M::menu("Szures", QStringLiteral("S&zűrés"));
    if (traits_.signFilters)
        rows << M::check("CsakPoz", QStringLiteral("Csak pozitív"),
                         on(&LedgerWindow::CsakPoz_Click))
             << M::check("CsakNeg", QStringLiteral("Csak negatív"),
                         on(&LedgerWindow::CsakNeg_Click))
             << M::separator();
    rows
        << M::check("Kivezetve", QStringLiteral("Kivezetett tételek"),
                    on(&LedgerWindow::Kivezetve_Click))
        << M::check("Nemkivezetve", QStringLiteral("Nem kivezetett tételek"),
                    on(&LedgerWindow::Nemkivezetve_Click))
        << M::check("Figyelemek", QStringLiteral("FIGYELEM!"), on(&LedgerWindow::Figyelemek_Click))
        << M::separator()
        << M::check("MegnevSzur", QStringLiteral("Megnevezés"), on(&LedgerWindow::MegnevSzur_Click))
        << M::check("SorszamSzur", QStringLiteral("Sorszám"), on(&LedgerWindow::SorszamSzur_Click))
        << M::check("SzamlaSzur", QStringLiteral("Számlaszám"), on(&LedgerWindow::SzamlaSzur_Click))
        << M::check("UgyfelSzur", traits_.partnerFilterCaption, on(&LedgerWindow::UgyfelSzur_Click))
        << M::check("DevizaSzur", QStringLiteral("Devizanem"), on(&LedgerWindow::DevizaSzur_Click))
        << M::separator()
        << M::check("Kp", QStringLiteral("Készpénzesek"), on(&LedgerWindow::Kp_Click))
        << M::check("Atutal", QStringLiteral("Átutalások"), on(&LedgerWindow::Atutal_Click))
        << M::check("Utanvet", QStringLiteral("Utánvétek"), on(&LedgerWindow::Utanvet_Click))
        << M::check("Nyugta", QStringLiteral("Nyugták"), on(&LedgerWindow::Nyugta_Click))
        << M::check("Szallito", QStringLiteral("Szállítólevelek"),
                    on(&LedgerWindow::Szallito_Click))
        << M::check("ProformaK", QStringLiteral("Proforma készpénzesek"),
                    on(&LedgerWindow::ProformaK_Click))
        << M::check("ProformaA", QStringLiteral("Proforma átutalások"),
                    on(&LedgerWindow::ProformaA_Click))
        << M::check("ElolegOkmany", QStringLiteral("Előleg okmányok"),
                    on(&LedgerWindow::ElolegOkmany_Click))
        << M::separator()
        << M::check("SzurKi", QStringLiteral("Minden adat (szűrés ki)"),
                    on(&LedgerWindow::SzurKi_Click))
        << M::top("RekordDupla", QStringLiteral("&Rekord duplázás-Részkiegyenlítés"),
                  on(&LedgerWindow::RekordDupla_Click))
        << M::menu("Kimutatasok", QStringLiteral("Ki&mutatások"))
        << M::item("Korositas", QStringLiteral("Korosítás"),
                   [this, ledger] { reports::openAgeing(ctx_, ledger, this); })
        << M::item("Tetellista", QStringLiteral("Tétellista (a látható sorok)"),
                   [this, ledger] { reports::printListReport(ctx_, ledger, VelaData1.query()); })
        << M::item("Penzforgalom", QStringLiteral("Pénzforgalmi előrejelzés"),
                   [this] { reports::openCashFlow(ctx_, this); })
        << M::menu("Segedlet", QStringLiteral("&Segédlet"))
        << M::item("Kezikonyv", QStringLiteral("Kézikönyv"), on(&LedgerWindow::Kezikonyv_Click))
        << M::menu("Szerviz", QStringLiteral("Sz&erviz"))
        << M::item("ReszosszegSzam", QStringLiteral("Részösszegek számítása"),
                   on(&LedgerWindow::ReszosszegSzam_Click))
        << M::separator()
        << M::item("Ellenorzes", QStringLiteral("Ellenőrzés"), on(&LedgerWindow::Ellenorzes_Click))
        << M::separator()
        << M::item("MindTorol", traits_.deleteFromHereCaption, on(&LedgerWindow::MindTorol_Click))
        << M::separator()
        << M::item("Valtozasok", QStringLiteral("Változások (a sor története, törölt sorok)…"),
                   on(&LedgerWindow::Valtozasok_Click))
        << M::separator()
        << M::item("Parameter", QStringLiteral("Paraméterek beállítása"),
                   on(&LedgerWindow::Parameter_Click));
    menus_ = new MenuTable(menuBar_, rows, this);
}

QStringList LedgerWindow::writingControls() const {
    // New, save, delete; the imports and the bank booking; the settling, the
    // duplicate and part payment, the passes over the rows, the deletion of
    // every row from here on, and this workstation's parameters.
    return {"Command2",       "Command3",    "Command4",    "szamlabol",
            "NavSzamla",      "Bankkivonat", "VelaKivezet", "RekordDupla",
            "ReszosszegSzam", "Ellenorzes",  "MindTorol",   "Parameter"};
}

}  // namespace vela
