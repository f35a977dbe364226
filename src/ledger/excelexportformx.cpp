#include "ledger/excelexportformx.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>

#include "ledger/excelexporttraits.h"
#include "storage/columns.h"
#include "storage/database.h"
#include "ui/appcontext.h"
#include "ui/busycursor.h"
#include "ui/dialogservice.h"
#include "xls/workbook.h"

namespace vela {

namespace text = exporttext;
using Icon = DialogService::Icon;

ExcelExportFormX::ExcelExportFormX(AppContext& ctx, LedgerKind kind, QWidget* parent)
    : QDialog(parent), ctx_(ctx), traits_(ExcelExportTraits::of(kind)) {
    setObjectName(traits_.windowName);
    setWindowTitle(traits_.windowCaption);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint);
    AnalitikaData.setObjectName("AnalitikaData");

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(16, 16, 16, 16);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->setOrientation(Qt::Horizontal);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setAccessibleName(traits_.windowCaption);
    ProgressBar1->setMinimumWidth(420);
    root->addWidget(ProgressBar1);

    // The scale under the bar: 0% at its left end, 50% in the middle, 100% at its right end.
    const QStringList marks = text::kScale.split(QLatin1Char('|'));
    Label1 = new QLabel(this);
    Label1->setObjectName("Label1");
    Label1->setTextFormat(Qt::RichText);
    Label1->setText(QStringLiteral("<table width=\"100%\" cellspacing=\"0\" cellpadding=\"0\"><tr>"
                                   "<td align=\"left\">%1</td><td align=\"center\">%2</td>"
                                   "<td align=\"right\">%3</td></tr></table>")
                        .arg(marks.value(0), marks.value(1), marks.value(2)));
    Label1->setAccessibleName(marks.join(QStringLiteral("  ")));
    root->addWidget(Label1);

    Label2 = new QLabel(text::kWorking, this);
    Label2->setObjectName("Label2");
    Label2->setAlignment(Qt::AlignCenter);
    QFont big = Label2->font();
    big.setPointSizeF(big.pointSizeF() * 1.3);
    big.setBold(true);
    Label2->setFont(big);
    root->addSpacing(8);
    root->addWidget(Label2);
}

ExcelExportFormX::~ExcelExportFormX() = default;

QString ExcelExportFormX::workbookPath() const {
    return traits_.workbookPath(ctx_.dataFolder.isEmpty() ? QDir::currentPath() : ctx_.dataFolder);
}

void ExcelExportFormX::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Once the window is on the screen, not inside its showing: the export
    // ends by closing the window, which a modal window cannot do before its
    // own event loop runs.
    if (!started_)
        QTimer::singleShot(0, this, &ExcelExportFormX::Form_Activate);
}

void ExcelExportFormX::closeEvent(QCloseEvent* event) {
    // Not while the rows are being copied; the window closes itself at the end.
    if (running_)
        event->ignore();
    else
        QDialog::closeEvent(event);
}

void ExcelExportFormX::reject() {
    if (!running_)
        QDialog::reject();
}

void ExcelExportFormX::Form_Activate() {
    if (started_)
        return;
    started_ = true;
    running_ = true;
    run();
    AnalitikaData.close();
    running_ = false;
    done(QDialog::Accepted);
}

void ExcelExportFormX::stop(const QString& status, const QString& message, const QString& title,
                            Icon icon) {
    ProgressBar1->setVisible(false);
    Label2->setText(status);
    if (!ctx_.dialogs)
        return;
    ctx_.dialogs->alert(message, title, icon);
}

void ExcelExportFormX::run() {
    emptiedCells_ = 0;
    Database* db = ctx_.db.veladata.get();
    if (!db) {
        stop(text::kError, text::kLedgerUnreadable.arg(ctx_.db.veladataStatus.errorText()),
             text::kErrorTitle, Icon::Critical);
        return;
    }
    // Let the window be drawn before the work starts.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);

    const QString sorszam = QStringLiteral("Sorszám");
    AnalitikaData.setDatabase(db);
    AnalitikaData.setQuery(Query(traits_.table, {}, {{sorszam}}));
    if (const Status failed = AnalitikaData.refresh(); !failed) {
        stop(text::kError, text::kLedgerUnreadable.arg(failed.errorText()), text::kErrorTitle,
             Icon::Critical);
        return;
    }
    if (AnalitikaData.recordCount() == 0) {
        stop(text::kDone, text::kNothingToExport, text::kAttention, Icon::Warning);
        return;
    }

    BusyCursor busy;
    const Status search =
        AnalitikaData.findFirst(Condition::equals(sorszam, ctx_.exportFromSorszam));
    if (!search) {
        stop(text::kError, text::kLedgerUnreadable.arg(search.errorText()), text::kErrorTitle,
             Icon::Critical);
        return;
    }
    if (AnalitikaData.noMatch()) {
        stop(text::kError,
             text::kNoSuchNumber + QLatin1Char('\n') + QString::number(ctx_.exportFromSorszam),
             text::kErrorTitle, Icon::Warning);
        return;
    }
    const QVariant start = AnalitikaData.field(sorszam);
    // Every row from that number on, the whole table whatever the ledger
    // window's filter, in the order the table returns them.
    AnalitikaData.setQuery(Query(traits_.table, Condition::greaterOrEqual(sorszam, start)));
    if (const Status failed = AnalitikaData.refresh(); !failed) {
        stop(text::kError, text::kLedgerUnreadable.arg(failed.errorText()), text::kErrorTitle,
             Icon::Critical);
        return;
    }
    const int total = AnalitikaData.recordCount();
    if (total == 0) {
        stop(text::kDone, text::kNothingToExport, text::kAttention, Icon::Warning);
        return;
    }

    // A workbook that cannot take the rows at all (missing, read-only, in
    // use, damaged, no room below its last row) is told before the copy.
    const QString path = workbookPath();
    if (const Status room = xls::Workbook::canAppend(path, total); !room) {
        stop(text::kError, text::kNotExported.arg(room.errorText()), text::kErrorTitle,
             Icon::Critical);
        return;
    }

    ProgressBar1->setRange(0, total);
    ProgressBar1->setVisible(true);
    ProgressBar1->setValue(0);
    std::vector<std::vector<QVariant>> rows;
    rows.reserve(size_t(total));
    // Nothing is ever edited here, so no move must write a row first.
    AnalitikaData.moveFirst();
    Status moved;
    for (int k = 1; moved && !AnalitikaData.eof(); ++k) {
        std::vector<QVariant> row(schema::kLedgerGridColumns);
        for (int c = 0; c < schema::kLedgerGridColumns; ++c) {
            QVariant v = AnalitikaData.field(c);
            if (!xls::Workbook::storable(v)) {
                // The row goes in with this cell empty.
                if (ctx_.dialogs)
                    ctx_.dialogs->beep();
                ++emptiedCells_;
                v = QVariant();
            }
            row[size_t(c)] = std::move(v);
        }
        rows.push_back(std::move(row));
        moved = AnalitikaData.moveNext();
        ProgressBar1->setValue(k);
        if (k % 1024 == 0)
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    if (!moved && int(rows.size()) < total) {
        stop(text::kError, text::kLedgerUnreadable.arg(moved.errorText()), text::kErrorTitle,
             Icon::Critical);
        return;
    }

    // All the rows in one write: the workbook takes all of them or none.
    if (const Status written = xls::Workbook::appendRows(path, rows); !written) {
        stop(text::kError, text::kNotExported.arg(written.errorText()), text::kErrorTitle,
             Icon::Critical);
        return;
    }
    finished_ = true;
    if (emptiedCells_ > 0 && ctx_.dialogs)
        ctx_.dialogs->message(text::kCellsEmptied.arg(emptiedCells_), text::kAttention,
                              Icon::Warning);
}

}  // namespace vela
