#pragma once

#include <QString>

#include "ledger/ledgertraits.h"
#include "storage/scratchtable.h"

class QWidget;

namespace vela {

struct AppContext;
class Database;
class RecordSource;

// The ledger windows' print texts, in one place so the wording is easy to check.
namespace printtext {

inline const QString kNoRows = QStringLiteral("Nincs adat nyomtatásra!");
inline const QString kNoRowsTitle = QStringLiteral("FIGYELEM!");
inline const QString kAskPreview = QStringLiteral("Kéri a nyomtatási képet?");
inline const QString kAskPreviewTitle =
    QStringLiteral("Nyomtatás - Az összegzés nem veszi figyelembe a devizanemeket!");
inline const QString kPayablesTitle = QStringLiteral("SZÁLLÍTÓ - Bruttó mindösszesen: ");
inline const QString kReceivablesTitle = QStringLiteral("VEVŐ - Bruttó mindösszesen: ");
// Our own, for what the database refuses or cannot do.
inline const QString kErrorTitle = QStringLiteral("FIGYELEM! HIBA!");
inline const QString kFillFailed = QStringLiteral(
    "A nyomtatandó tételek nem írhatók az ideiglenes táblába, a nyomtatás "
    "elmarad. A nyilvántartás nem változott. (%1)");
inline const QString kReportFailed = QStringLiteral("A nyomtatási kép nem készíthető el. (%1)");

}  // namespace printtext

// "Nyomtatás" of a ledger window: the rows its grid shows go into the scratch
// table VelaIdeigl, each with the partial amounts of its invoice summed, and
// the report DataReportVD1 shows them with the open gross total in its title.
class LedgerPrintReport {
  public:
    LedgerPrintReport(AppContext& ctx, LedgerKind kind, Database& veladata,
                      QWidget* parent = nullptr);

    // The whole print of rows, in their order, with its questions and messages.
    void run(const RecordSource& rows);

    // Empties the scratch table and fills it with rows; the error, and the
    // table as it was, when the database refuses.
    Result<ScratchTable::FillResult> fill(const RecordSource& rows);

    // The open gross total of the scratch rows: an open row ("N") counts with
    // its gross amount, or when it has a partial gross amount, with that taken
    // away; any other row counts nothing. Currencies are added together.
    static double grandTotal(const RecordSource& scratchRows);
    // The report's title for a ledger kind and total.
    static QString title(LedgerKind kind, double total);

  private:
    void tell(const QString& text, const QString& title, DialogService::Icon icon);

    AppContext& ctx_;
    LedgerKind kind_;
    Database& veladata_;
    QWidget* parent_;
};

}  // namespace vela
