// The ledger window's menu bar, as one table: names, captions, handlers and
// when each item is enabled.

#include <QMenuBar>

#include "ledger/ledgerwindow.h"
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
         << M::separator() << M::item("Excelbol", QStringLiteral("MS Excel"), {}, notYet)
         << M::top("VelaKivezet", QStringLiteral("&Kivezetés"),
                   on(&LedgerWindow::VelaKivezet_Click))
         << M::top("VevoTorzs", QStringLiteral("&Vevő-Szállító törzs"),
                   on(&LedgerWindow::VevoTorzs_Click))
         << M::menu("Szures", QStringLiteral("S&zűrés"));
    if (traits_.signFilters)
        rows << M::check("CsakPoz", QStringLiteral("Csak pozitív"), {}, notYet)
             << M::check("CsakNeg", QStringLiteral("Csak negatív"), {}, notYet) << M::separator();
    rows << M::check("Kivezetve", QStringLiteral("Kivezetett tételek"), {}, notYet)
         << M::check("Nemkivezetve", QStringLiteral("Nem kivezetett tételek"), {}, notYet)
         << M::check("Figyelemek", QStringLiteral("FIGYELEM!"), {}, notYet) << M::separator()
         << M::check("MegnevSzur", QStringLiteral("Megnevezés"), {}, notYet)
         << M::check("SorszamSzur", QStringLiteral("Sorszám"), {}, notYet)
         << M::check("SzamlaSzur", QStringLiteral("Számlaszám"), {}, notYet)
         << M::check("UgyfelSzur", traits_.partnerFilterCaption, {}, notYet)
         << M::check("DevizaSzur", QStringLiteral("Devizanem"), {}, notYet) << M::separator()
         << M::check("Kp", QStringLiteral("Készpénzesek"), {}, notYet)
         << M::check("Atutal", QStringLiteral("Átutalások"), {}, notYet)
         << M::check("Utanvet", QStringLiteral("Utánvétek"), {}, notYet)
         << M::check("Nyugta", QStringLiteral("Nyugták"), {}, notYet)
         << M::check("Szallito", QStringLiteral("Szállítólevelek"), {}, notYet)
         << M::check("ProformaK", QStringLiteral("Proforma készpénzesek"), {}, notYet)
         << M::check("ProformaA", QStringLiteral("Proforma átutalások"), {}, notYet)
         << M::check("ElolegOkmany", QStringLiteral("Előleg okmányok"), {}, notYet)
         << M::separator()
         << M::check("SzurKi", QStringLiteral("Minden adat (szűrés ki)"), {}, notYet)
         << M::top("RekordDupla", QStringLiteral("&Rekord duplázás-Részkiegyenlítés"), {}, notYet)
         << M::menu("Segedlet", QStringLiteral("&Segédlet"))
         << M::item("Kezikonyv", QStringLiteral("Kézikönyv"), on(&LedgerWindow::Kezikonyv_Click))
         << M::menu("Szerviz", QStringLiteral("Sz&erviz"))
         << M::item("ReszosszegSzam", QStringLiteral("Részösszegek számítása"), {}, notYet)
         << M::separator() << M::item("Ellenorzes", QStringLiteral("Ellenőrzés"), {}, notYet)
         << M::separator()
         << M::item("MindTorol", traits_.deleteFromHereCaption, on(&LedgerWindow::MindTorol_Click))
         << M::separator()
         << M::item("Parameter", QStringLiteral("Paraméterek beállítása"),
                    on(&LedgerWindow::Parameter_Click));
    menus_ = new MenuTable(menuBar_, rows, this);
}

}  // namespace vela
