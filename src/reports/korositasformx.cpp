#include "reports/korositasformx.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "reports/letters.h"
#include "reports/money.h"
#include "reports/reminderrun.h"
#include "storage/database.h"
#include "ui/appcontext.h"
#include "ui/busycursor.h"
#include "ui/datepicker.h"
#include "ui/dialogservice.h"
#include "ui/formkit.h"
#include "ui/printerservice.h"
#include "xls/templatewriter.h"
#include "xls/workbook.h"

namespace vela {

using Icon = DialogService::Icon;

namespace {

namespace text {
const QString caption = QStringLiteral("Korosítás - VelaData");
const QString attention = QStringLiteral("FIGYELEM!");
const QString error = QStringLiteral("FIGYELEM! HIBA!");
const QString noDatabase = QStringLiteral("Az adatbázis nem nyitható meg: %1");
const QString choosePartner =
    QStringLiteral("Válasszon egy partnert a táblázatban (egy partner sorára álljon)!");
const QString noOverdue = QStringLiteral("%1 partnernek nincs lejárt, fizetendő tétele.");
const QString noneOverdue = QStringLiteral("Nincs lejárt, fizetendő tétel egyik partnernél sem.");
const QString deadlinePrompt = QStringLiteral("A fizetési határidő (éééé.hh.nn.):");
const QString deadlineTitle = QStringLiteral("Fizetési felszólítás");
const QString badDate = QStringLiteral("Hibás dátum: „%1”. A dátumot így adja meg: 2026.12.17.");
const QString interestQuestion = QStringLiteral("Számítsunk késedelmi kamatot (évi %1%)?");
const QString folderTitle = QStringLiteral("A fizetési felszólítások mappája");
const QString folderHasPdfs = QStringLiteral(
    "A(z) %1 mappában már vannak PDF fájlok; a partnerek nevével egyezőket "
    "az új felszólítások felülírják. Folytatja?");
const QString remindersDone =
    QStringLiteral("%1 fizetési felszólítás elkészült ebben a mappában:\n%2");
const QString pdfPrompt = QStringLiteral("A PDF fájl neve:");
const QString pdfDone = QStringLiteral("A PDF elkészült: %1");
const QString xlsPrompt = QStringLiteral("Az Excel-munkafüzet neve:");
const QString xlsDone = QStringLiteral("A munkafüzet elkészült: %1");
const QString overwrite = QStringLiteral("A(z) %1 már létezik. Felülírja?");
const QString notReady = QStringLiteral("A nyomtató nem áll készen!");
const QString printError = QStringLiteral("A nyomtatás nem sikerült: %1");
const QString totalRow = QStringLiteral("Összesen");
}  // namespace text

QDate parseDay(const QString& typed) {
    QString t = typed.trimmed();
    if (t.endsWith(QLatin1Char('.')))
        t.chop(1);
    for (const char* f : {"yyyy.MM.dd", "yyyy.M.d", "yyyy-MM-dd"}) {
        const QDate d = QDate::fromString(t, QString::fromLatin1(f));
        if (d.isValid())
            return d;
    }
    return {};
}

QTableWidgetItem* cell(const QString& text, bool right, bool bold = false) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    if (right)
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    if (bold) {
        QFont f = item->font();
        f.setBold(true);
        item->setFont(f);
    }
    return item;
}

}  // namespace

KorosításFormX::KorosításFormX(AppContext& ctx, reports::Ledger ledger, QWidget* parent,
                               const QDate& asOf)
    : WindowBase(ctx, parent), ledger_(ledger) {
    setObjectName(QStringLiteral("KorosításFormX"));
    setWindowTitle(text::caption);
    auto* root = new QVBoxLayout(this);
    FormKit kit(this);

    auto* top = new QHBoxLayout;
    auto* title = new QLabel(reports::ledgerCaption(ledger), this);
    QFont big = title->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.3);
    title->setFont(big);
    top->addWidget(title);
    top->addStretch(1);
    DTPicker1 = new DatePicker(this);
    DTPicker1->setObjectName(QStringLiteral("DTPicker1"));
    DTPicker1->setDate(asOf);
    top->addWidget(kit.caption(QStringLiteral("Label1"), QStringLiteral("Fordulónap:"), DTPicker1));
    top->addWidget(DTPicker1);
    top->addWidget(kit.button(QStringLiteral("Frissit"), QStringLiteral("F&rissítés"),
                              [this] { Frissit_Click(); }));
    root->addLayout(top);

    Tablazat = new QTableWidget(this);
    Tablazat->setObjectName(QStringLiteral("Tablazat"));
    Tablazat->setAccessibleName(QStringLiteral("Korosítás: nyitott összegek partnerenként"));
    QStringList headings{QStringLiteral("Partner"), QStringLiteral("Devizanem")};
    for (int b = 0; b < reports::kBucketCount; ++b) headings << reports::bucketCaption(b);
    headings << QStringLiteral("Összesen") << QStringLiteral("Legrégebbi késés (nap)");
    Tablazat->setColumnCount(int(headings.size()));
    Tablazat->setHorizontalHeaderLabels(headings);
    Tablazat->setSelectionBehavior(QAbstractItemView::SelectRows);
    Tablazat->setSelectionMode(QAbstractItemView::SingleSelection);
    Tablazat->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Tablazat->verticalHeader()->hide();
    Tablazat->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    connect(Tablazat, &QTableWidget::cellDoubleClicked, this, [this](int row) {
        Tablazat->setCurrentCell(row, 0);
        Egyenleg_Click();
    });
    root->addWidget(Tablazat, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(kit.button(QStringLiteral("Egyenleg"), QStringLiteral("&Egyenlegközlő"),
                                  [this] { Egyenleg_Click(); }));
    if (ledger_ == reports::Ledger::Receivables) {
        buttons->addWidget(kit.button(QStringLiteral("Felszolit"),
                                      QStringLiteral("Fizetési &felszólítás"),
                                      [this] { Felszolit_Click(); }));
        buttons->addWidget(kit.button(QStringLiteral("FelszolitMind"),
                                      QStringLiteral("Felszólítás &mindenkinek"),
                                      [this] { FelszolitMind_Click(); }));
    }
    buttons->addStretch(1);
    buttons->addWidget(kit.button(QStringLiteral("Nyomtat"), QStringLiteral("&Nyomtatás"),
                                  [this] { Nyomtat_Click(); }));
    buttons->addWidget(kit.button(QStringLiteral("PdfMent"), QStringLiteral("&PDF mentése"),
                                  [this] { PdfMent_Click(); }));
    buttons->addWidget(kit.button(QStringLiteral("ExcelMent"),
                                  QStringLiteral("E&xcel-munkafüzetbe"),
                                  [this] { ExcelMent_Click(); }));
    buttons->addWidget(kit.button(QStringLiteral("Kilepes"), QStringLiteral("&Kilépés"),
                                  [this] { Kilepes_Click(); }));
    root->addLayout(buttons);
    resize(1100, 560);

    report_.ledger = ledger;
    report_.asOf = asOf;
    Frissit_Click();
}

KorosításFormX::~KorosításFormX() = default;

void KorosításFormX::showError(const QString& message) {
    BusyCursor::Suspend normal;
    ctx_.dialogs->alert(message, text::error, Icon::Critical);
}

void KorosításFormX::Frissit_Click() {
    Database* db = ctx_.db.veladata.get();
    if (!db) {
        showError(text::noDatabase.arg(ctx_.db.veladataStatus.errorText()));
        return;
    }
    BusyCursor busy;
    auto read = reports::ageing(*db, ledger_, DTPicker1->date());
    if (!read) {
        showDatabaseError(read.errorText());
        return;
    }
    report_ = std::move(*read);
    fill();
}

void KorosításFormX::fill() {
    Tablazat->setRowCount(int(report_.lines.size() + report_.totals.size()));
    int row = 0;
    for (const reports::AgeingLine& l : report_.lines) {
        Tablazat->setItem(row, 0, cell(l.partner, false));
        Tablazat->setItem(row, 1, cell(reports::currencyCaption(l.currency), false));
        for (int b = 0; b < reports::kBucketCount; ++b)
            Tablazat->setItem(row, 2 + b,
                              cell(reports::money(l.buckets[size_t(b)], l.currency), true));
        Tablazat->setItem(row, 7, cell(reports::money(l.total(), l.currency), true, true));
        Tablazat->setItem(row, 8,
                          cell(l.oldestDays > 0 ? QString::number(l.oldestDays) : QString(), true));
        ++row;
    }
    for (const reports::AgeingTotal& t : report_.totals) {
        Tablazat->setItem(row, 0, cell(text::totalRow, false, true));
        Tablazat->setItem(row, 1, cell(reports::currencyCaption(t.currency), false, true));
        for (int b = 0; b < reports::kBucketCount; ++b)
            Tablazat->setItem(row, 2 + b,
                              cell(reports::money(t.buckets[size_t(b)], t.currency), true, true));
        Tablazat->setItem(row, 7, cell(reports::money(t.total(), t.currency), true, true));
        Tablazat->setItem(row, 8, cell(QString(), true));
        ++row;
    }
    Tablazat->resizeColumnsToContents();
    Tablazat->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    if (!report_.lines.empty())
        Tablazat->selectRow(0);
}

const reports::AgeingLine* KorosításFormX::currentLine() const {
    const int row = Tablazat->currentRow();
    if (row < 0 || row >= int(report_.lines.size()))
        return nullptr;
    return &report_.lines[size_t(row)];
}

bool KorosításFormX::readBusiness() {
    Database* p = ctx_.db.parameters.get();
    if (!p) {
        own_ = {};
        return true;  // a letter without the business's header is still a letter
    }
    auto read = reports::readBusiness(*p);
    if (!read) {
        showError(read.errorText());
        return false;
    }
    own_ = *read;
    return true;
}

void KorosításFormX::Egyenleg_Click() {
    const reports::AgeingLine* line = currentLine();
    Database* db = ctx_.db.veladata.get();
    if (!line || !db) {
        BusyCursor::Suspend normal;
        ctx_.dialogs->alert(text::choosePartner, text::attention, Icon::Information);
        return;
    }
    if (!readBusiness())
        return;
    auto s = reports::partnerStatement(*db, ledger_, line->partner, report_.asOf);
    if (!s) {
        showDatabaseError(s.errorText());
        return;
    }
    const reports::Document doc = reports::statementDocument(*s, own_);
    if (Status shown = ctx_.printer->preview(
            [&](QPrinter& printer) { (void)reports::paintDocument(doc, printer); },
            QPageLayout::Portrait);
        !shown)
        showError(text::printError.arg(shown.errorText()));
}

QDate KorosításFormX::askDeadline() {
    const QString typed = ctx_.dialogs->input(text::deadlinePrompt, text::deadlineTitle,
                                              reports::dateText(report_.asOf.addDays(8)));
    if (typed.trimmed().isEmpty())
        return {};
    const QDate d = parseDay(typed);
    if (!d.isValid())
        ctx_.dialogs->alert(text::badDate.arg(typed), text::attention, Icon::Warning);
    return d;
}

bool KorosításFormX::askInterest() {
    if (own_.yearlyRate <= 0)
        return false;
    return ctx_.dialogs->ask(
        text::interestQuestion.arg(QString::number(own_.yearlyRate, 'g', 6).replace('.', ',')),
        text::deadlineTitle, Icon::Question);
}

void KorosításFormX::Felszolit_Click() {
    const reports::AgeingLine* line = currentLine();
    Database* db = ctx_.db.veladata.get();
    if (!line || !db) {
        ctx_.dialogs->alert(text::choosePartner, text::attention, Icon::Information);
        return;
    }
    if (!readBusiness())
        return;
    const QString partner = line->partner;
    auto s = reports::partnerStatement(*db, ledger_, partner, report_.asOf);
    if (!s) {
        showDatabaseError(s.errorText());
        return;
    }
    if (reports::reminderOf(*s, report_.asOf, false, 0).items.empty()) {
        ctx_.dialogs->alert(text::noOverdue.arg(partner), text::attention, Icon::Information);
        return;
    }
    const QDate deadline = askDeadline();
    if (!deadline.isValid())
        return;
    const reports::Reminder r = reports::reminderOf(*s, deadline, askInterest(), own_.yearlyRate);
    const reports::Document doc = reports::reminderDocument(r, own_);
    if (Status shown = ctx_.printer->preview(
            [&](QPrinter& printer) { (void)reports::paintDocument(doc, printer); },
            QPageLayout::Portrait);
        !shown)
        showError(text::printError.arg(shown.errorText()));
}

void KorosításFormX::FelszolitMind_Click() {
    Database* db = ctx_.db.veladata.get();
    if (!db || !readBusiness())
        return;
    const QString folder = QDir::cleanPath(ctx_.dialogs->folder(
        text::folderTitle, ctx_.dataFolder.isEmpty() ? QDir::currentPath() : ctx_.dataFolder));
    if (folder.isEmpty())
        return;
    // A letter of an earlier run would be replaced without a word.
    if (!QDir(folder).entryList({QStringLiteral("*.pdf")}, QDir::Files).isEmpty() &&
        !ctx_.dialogs->ask(text::folderHasPdfs.arg(folder), text::attention, Icon::Question))
        return;
    const QDate deadline = askDeadline();
    if (!deadline.isValid())
        return;
    const bool interest = askInterest();
    Result<QStringList> written = Error{};
    {
        BusyCursor busy;
        written = reports::writeReminders(*db, own_, report_.asOf, deadline, interest, folder);
    }
    if (!written) {
        showError(written.errorText());
        return;
    }
    if (written->isEmpty()) {
        ctx_.dialogs->alert(text::noneOverdue, text::attention, Icon::Information);
        return;
    }
    ctx_.dialogs->message(text::remindersDone.arg(written->size()).arg(folder), text::deadlineTitle,
                          Icon::Information);
}

void KorosításFormX::Nyomtat_Click() {
    if (!ctx_.printer->ready()) {
        ctx_.dialogs->alert(text::notReady, text::attention, Icon::Warning);
        return;
    }
    if (!readBusiness())
        return;
    const reports::Document doc = reports::ageingDocument(report_, own_);
    if (Status shown = ctx_.printer->preview(
            [&](QPrinter& printer) { (void)reports::paintDocument(doc, printer); },
            QPageLayout::Landscape);
        !shown)
        showError(text::printError.arg(shown.errorText()));
}

// Asks where a file goes (a dated name in the data folder offered) and, when
// it is there already, whether to overwrite it; empty when the user declines.
QString KorosításFormX::askTargetPath(const QString& prompt, const QString& extension) {
    const QString offered =
        QDir(ctx_.dataFolder.isEmpty() ? QDir::currentPath() : ctx_.dataFolder)
            .filePath(QStringLiteral("Korositas-%1.%2")
                          .arg(report_.asOf.toString(QStringLiteral("yyyyMMdd")), extension));
    const QString path = ctx_.dialogs->input(prompt, text::caption, offered).trimmed();
    if (path.isEmpty())
        return {};
    if (QFileInfo::exists(path) &&
        !ctx_.dialogs->ask(text::overwrite.arg(path), text::attention, Icon::Question))
        return {};
    return path;
}

void KorosításFormX::PdfMent_Click() {
    if (!readBusiness())
        return;
    const QString path = askTargetPath(text::pdfPrompt, QStringLiteral("pdf"));
    if (path.isEmpty())
        return;
    BusyCursor busy;
    if (Status s = reports::writePdf(reports::ageingDocument(report_, own_), path); !s) {
        showError(s.errorText());
        return;
    }
    BusyCursor::Suspend normal;
    ctx_.dialogs->message(text::pdfDone.arg(path), text::caption, Icon::Information);
}

void KorosításFormX::ExcelMent_Click() {
    const QString path = askTargetPath(text::xlsPrompt, QStringLiteral("xls"));
    if (path.isEmpty())
        return;
    std::vector<xls::TemplateColumn> columns{{QStringLiteral("Partner")},
                                             {QStringLiteral("Devizanem")}};
    for (int b = 0; b < reports::kBucketCount; ++b) columns.push_back({reports::bucketCaption(b)});
    columns.push_back({QStringLiteral("Összesen")});
    columns.push_back({QStringLiteral("Legrégebbi késés (nap)")});
    std::vector<std::vector<QVariant>> rows;
    for (const reports::AgeingLine& l : report_.lines) {
        std::vector<QVariant> row{l.partner, reports::currencyCaption(l.currency)};
        for (double v : l.buckets) row.push_back(reports::roundTo(v, l.currency));
        row.push_back(reports::roundTo(l.total(), l.currency));
        row.push_back(l.oldestDays);
        rows.push_back(row);
    }
    for (const reports::AgeingTotal& t : report_.totals) {
        std::vector<QVariant> row{text::totalRow, reports::currencyCaption(t.currency)};
        for (double v : t.buckets) row.push_back(reports::roundTo(v, t.currency));
        row.push_back(reports::roundTo(t.total(), t.currency));
        row.push_back(QVariant());
        rows.push_back(row);
    }
    // Written beside the target first: a failure leaves no half workbook.
    const QString fresh = path + QStringLiteral(".uj");
    QFile::remove(fresh);
    BusyCursor busy;
    Status s = xls::TemplateWriter::write(fresh, QStringLiteral("Korosítás"), columns);
    if (s)
        s = xls::Workbook::appendRows(fresh, rows);
    if (s && QFileInfo::exists(path) && !QFile::remove(path))
        s = Error{
            QStringLiteral("A munkafüzet nem írható felül (használatban van?): %1").arg(path)};
    if (s && !QFile::rename(fresh, path))
        s = Error{QStringLiteral("A munkafüzet nem írható: %1").arg(path)};
    if (!s) {
        QFile::remove(fresh);
        showError(s.errorText());
        return;
    }
    BusyCursor::Suspend normal;
    ctx_.dialogs->message(text::xlsDone.arg(path), text::caption, Icon::Information);
}

void KorosításFormX::Kilepes_Click() {
    SetQui(false);
    accept();
}

}  // namespace vela
