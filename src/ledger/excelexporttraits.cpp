#include "ledger/excelexporttraits.h"

#include "storage/columns.h"
#include "storage/database.h"

namespace vela {

const ExcelExportTraits& ExcelExportTraits::of(LedgerKind kind) {
    static const ExcelExportTraits payables{
        LedgerKind::Payables,
        schema::velaData(),
        QStringLiteral("ExcelExportSzallitoFormX"),
        QStringLiteral("Adatexport MS Excel 8 táblába-Szállítói tartozások - VelaData"),
        QStringLiteral("ExcelExp"),
        QStringLiteral("VelaDataStatTartozunk.xls"),
        QStringLiteral("Törli a VelaDataStatTartozunk.XLS MS Excel 8 tábla tartalmát?"),
    };
    static const ExcelExportTraits receivables{
        LedgerKind::Receivables,
        schema::velanakData(),
        QStringLiteral("ExcelExportVevoFormX"),
        QStringLiteral("Adatexport MS Excel 8 táblába-Vevő tartozások - VelaData"),
        QStringLiteral("Excelbe"),
        QStringLiteral("VelaDataStatTartoznak.xls"),
        QStringLiteral("Törli a VelaDataStatTartoznak.XLS MS Excel 8 tábla tartalmát?"),
    };
    return kind == LedgerKind::Payables ? payables : receivables;
}

QString ExcelExportTraits::workbookPath(const QString& dataFolder) const {
    return Database::findFile(dataFolder, workbookFile);
}

QString ExcelExportTraits::templatePath(const QString& dataFolder) const {
    return Database::findFile(Database::findFile(dataFolder, exporttext::kTemplateFolder),
                              workbookFile);
}

}  // namespace vela
