#include "importwindow/szamlaimportformx.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

#include "import/invoicesource.h"
#include "import/stagedtransfer.h"
#include "importwindow/importtexts.h"
#include "importwindow/staginggridmodel.h"
#include "storage/bulkwrite.h"
#include "storage/columns.h"
#include "storage/database.h"
#include "storage/funcs.h"
#include "storage/values.h"
#include "ui/appcontext.h"
#include "ui/busycursor.h"
#include "ui/dialogservice.h"
#include "ui/fieldbinder.h"
#include "ui/fieldrules.h"
#include "ui/formkit.h"
#include "ui/navigationbar.h"
#include "ui/recordgrid.h"

namespace vela {

namespace text = importtext;
using Icon = DialogService::Icon;

// One entry of the "Szűrés" menu: the payment method it shows (none: all
// rows) and what the user is told when there is none.
struct SzamlaImportFormX::Filter {
    const char* name;
    const char* caption;
    const char* method;
    const char* empty;
};

namespace {

// The document kinds, in the order the load asks for them.
struct Kind {
    const char* source;  // the record source's name
    const char* table;
    const char* prompt;
    const char* title;
};

const Kind kKinds[6] = {
    {"KpData", "SZAMLA", "Kérem a sorszámot, amitől kezdve áthozza a KÉSZPÉNZES adatokat:",
     "Adatimport készpénzes számlákból - Nem kéri: üres beviteli mező"},
    {"AtutalData", "ATUTAL", "Kérem a sorszámot, amitől kezdve áthozza az ÁTUTALÁS adatokat:",
     "Adatimport átutalás számlákból - Nem kéri: üres beviteli mező"},
    {"UtanvetData", "UTANVET", "Kérem a sorszámot, amitől kezdve áthozza az UTÁNVÉT adatokat:",
     "Adatimport utánvét számlákból - Nem kéri: üres beviteli mező"},
    {"NyugtaData", "NYUGTA", "Kérem a sorszámot, amitől kezdve áthozza a NYUGTA adatokat:",
     "Adatimport nyugtákból - Nem kéri: üres beviteli mező"},
    {"SzallitoData", "SZALLITO",
     "Kérem a sorszámot, amitől kezdve áthozza a SZÁLLÍTÓLEVÉL adatokat:",
     "Adatimport szállítólevelekből - Nem kéri: üres beviteli mező"},
    {"ProformaData", "SZAMLAHE", "Kérem a sorszámot, amitől kezdve áthozza a PROFORMA adatokat:",
     "Adatimport proforma okmányokból - Nem kéri: üres beviteli mező"},
};

const SzamlaImportFormX::Filter kFilters[] = {
    {"Kp", "Készpénzes", "készpénzes", "Nincs készpénzes adat!"},
    {"Atutal", "Átutalás", "átutalás", "Nincs átutalás adat!"},
    {"Utanvet", "Utánvét", "utánvét", "Nincs utánvét adat!"},
    {"Nyugta", "Nyugta", "nyugta", "Nincs nyugta adat!"},
    {"Proforma", "Proforma készpénzes", "proforma-k", "Nincs készpénzes proforma adat!"},
    {"ProformaAtutal", "Proforma átutalás", "proforma-a", "Nincs átutalás proforma adat!"},
    {"Szallito", "Szállítólevél", "szállítól.", "Nincs szállítólevél adat!"},
    {"SzurKi", "Szűrés kikapcsolása (minden adat)", "", "Nincs adat!"},
};

const QString kNumber = QStringLiteral("Számlaszám");
const QString kPayment = QStringLiteral("FizMód");
const QString kGross = QStringLiteral("Bruttó");

QString u(const char* s) {
    return QString::fromUtf8(s);
}

const TableDef& staged() {
    return schema::osszesSzamla();
}

// The invoice number of a field as the finder's text.
QString numberText(const QVariant& v) {
    const double d = Funcs::NumOrZero(v).toDouble();
    if (std::isfinite(d) && d == std::floor(d) && std::fabs(d) < 9.0e15)
        return QString::number(qint64(d));
    return values::formatNumber(d);
}

// The numeric value of an answer: nothing when it is empty, no number or 0.
std::optional<double> startingNumber(const QString& answer) {
    const auto n = values::parseNumber(answer.trimmed());
    if (!n || *n == 0 || !std::isfinite(*n))
        return std::nullopt;
    return n;
}

}  // namespace

SzamlaImportFormX::SzamlaImportFormX(AppContext& ctx, RowIdMaker newRowId, QWidget* parent)
    : WindowBase(ctx, parent),
      newRowId_(std::move(newRowId)),
      staging_(ctx.db.lfakturo.get()),
      veladata_(ctx.db.veladata.get()) {
    setObjectName(QStringLiteral("SzamlaImportFormX"));
    setWindowTitle(text::kCaption);
    setWindowFlags(Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    Data.setObjectName(QStringLiteral("Data"));
    Data.setDatabase(staging_);
    Data.setQuery(Query(staged()));
    buildControls();
    buildMenus();
    Form_Load();
    resize(1100, 620);
}

SzamlaImportFormX::~SzamlaImportFormX() = default;

void SzamlaImportFormX::buildControls() {
    binder_ = new FieldBinder(&Data, ctx_.dialogs, this);
    kit_ = std::make_unique<FormKit>(this, binder_, &staged());
    auto* root = new QVBoxLayout(this);
    // 10 + 11 pixels beside the grid: it is as wide as the window less 21
    // pixels (315 twips).
    root->setContentsMargins(10, 4, 11, 8);
    menuBar_ = new QMenuBar(this);
    root->setMenuBar(menuBar_);

    gridCaption_ = new QLabel(text::kGridCaption, this);
    gridCaption_->setObjectName(QStringLiteral("DBGrid1Caption"));
    root->addWidget(gridCaption_);

    DBGrid1 = new RecordGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setAccessibleName(text::kNavigation);
    gridModel_ = new StagingGridModel(&Data, ctx_.dialogs, this);
    DBGrid1->setRecordModel(gridModel_, ctx_.dialogs);
    DBGrid1->horizontalHeader()->setDefaultSectionSize(105);
    DBGrid1->setMinimumHeight(260);
    connect(DBGrid1, &RecordGrid::headerClicked, this, &SzamlaImportFormX::DBGrid1_HeadClick);
    connect(DBGrid1, &QAbstractItemView::clicked, this, &SzamlaImportFormX::DBGrid1_Click);
    root->addWidget(DBGrid1, 1);

    navigation_ = new NavigationBar(&Data, text::kNavigation, this);
    navigation_->setObjectName(QStringLiteral("DataNavigation"));
    root->addWidget(navigation_);

    auto* row = new QHBoxLayout;
    Label2 = kit_->valueLabel(QStringLiteral("Label2"), QStringLiteral("Számlaszám:"), kNumber);
    row->addWidget(kit_->caption({}, QStringLiteral("Számlaszám:"), nullptr));
    row->addWidget(Label2);
    row->addSpacing(24);
    Text1 = kit_->textBox(QStringLiteral("Text1"));
    Text1->setToolTip(text::kFinderTip);
    Text1->setMaximumWidth(140);
    row->addWidget(Text1);
    row->addWidget(kit_->caption(QStringLiteral("Label1"), text::kFinderLabel, Text1));
    Text1->setAccessibleName(text::kFinderTip);
    KeyRules::install(Text1, ctx_.dialogs, KeyRules::Allowed::Digits);
    SelectOnEntry::install(Text1);
    FocusHighlighter::install(Text1);
    connect(Text1, &QLineEdit::textChanged, this, &SzamlaImportFormX::Text1_Change);
    row->addStretch(1);
    Label3 = kit_->valueLabel(QStringLiteral("Label3"), text::kPresentCaption);
    Label3->setToolTip(text::kPresentTip);
    row->addWidget(kit_->caption({}, text::kPresentCaption, nullptr));
    row->addWidget(Label3);
    root->addLayout(row);

    auto* buttons = new QHBoxLayout;
    auto button = [this, buttons](const char* name, const QString& caption,
                                  void (SzamlaImportFormX::*handler)(), const QString& tip) {
        QPushButton* b = kit_->button(
            QLatin1String(name), caption, [this, handler] { (this->*handler)(); }, tip);
        b->setMinimumWidth(130);
        buttons->addWidget(b);
        return b;
    };
    Command1 = button("Command1", QStringLiteral("Feltöltés"), &SzamlaImportFormX::Command1_Click,
                      QStringLiteral("Új adat, sor"));
    Command2 =
        button("Command2", QStringLiteral("Adatsort töröl"), &SzamlaImportFormX::Command2_Click,
               QStringLiteral("Kijelölt sort véglegesen törli"));
    Command3 =
        button("Command3", QStringLiteral("Vissza-átadás"), &SzamlaImportFormX::Command3_Click,
               QStringLiteral("Kiválaszt és helyettesít"));
    Command4 = button("Command4", QStringLiteral("Összes törlése"),
                      &SzamlaImportFormX::Command4_Click, {});
    buttons->addStretch(1);
    root->addLayout(buttons);
}

void SzamlaImportFormX::buildMenus() {
    using M = MenuTable;
    QList<M::Row> rows;
    rows << M::menu(QStringLiteral("Szures"), QStringLiteral("S&zűrés"));
    for (const Filter& f : kFilters) {
        if (qstrcmp(f.name, "SzurKi") == 0)
            rows << M::separator();
        rows << M::check(QLatin1String(f.name), u(f.caption), [this, &f] { filter_Click(f); });
    }
    rows << M::top(QStringLiteral("Nyomtat"), QStringLiteral("&Nyomtat"), {}, [] { return false; })
         << M::top(QStringLiteral("Segedlet"), QStringLiteral("&Segédlet"), {},
                   [] { return false; })
         << M::top(QStringLiteral("Kilepes"), QStringLiteral("&Kilépés"),
                   [this] { Kilepes_Click(); });
    menus_ = new MenuTable(menuBar_, rows, this);
}

QAction* SzamlaImportFormX::menuItem(const QString& name) const {
    return menus_ ? menus_->action(name) : nullptr;
}

QString SzamlaImportFormX::checkedFilter() const {
    const Filter* f = checked();
    return f ? QLatin1String(f->name) : QString();
}

const SzamlaImportFormX::Filter* SzamlaImportFormX::checked() const {
    for (const Filter& f : kFilters) {
        QAction* a = menuItem(QLatin1String(f.name));
        if (a && a->isChecked())
            return &f;
    }
    return nullptr;
}

void SzamlaImportFormX::checkOnly(const QString& name) {
    for (const Filter& f : kFilters) {
        if (QAction* a = menuItem(QLatin1String(f.name)))
            a->setChecked(name == QLatin1String(f.name));
    }
}

bool SzamlaImportFormX::isPresent(int row) const {
    return gridModel_->isPresent(row);
}

void SzamlaImportFormX::setButtons(bool enabled) {
    Command2->setEnabled(enabled);
    Command3->setEnabled(enabled);
    Command4->setEnabled(enabled);
}

void SzamlaImportFormX::showError(const QString& message) {
    if (!ctx_.dialogs)
        return;
    BusyCursor::Suspend normal;
    ctx_.dialogs->alert(message, text::kErrorTitle, Icon::Critical);
}

void SzamlaImportFormX::storePending() {
    binder_->commit();
    if (Data.editPending())
        reportFailure(Data.update());
}

// ---------------------------------------------------------------- start, activation, exit

void SzamlaImportFormX::Form_Load() {
    checkOnly(QStringLiteral("SzurKi"));
    setButtons(false);
    if (staging_)
        reportFailure(Data.refresh());
}

void SzamlaImportFormX::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!activated_) {
        activated_ = true;
        Form_Activate();
    }
}

void SzamlaImportFormX::closeSoon() {
    // Closed once the opening has finished: a dialog closed while it is
    // being shown would leave its caller waiting.
    closing_ = true;
    QTimer::singleShot(0, this, [this] {
        if (isVisible())
            Kilepes_Click();
    });
}

void SzamlaImportFormX::Form_Activate() {
    DialogService* d = ctx_.dialogs;
    if (!staging_) {
        showError(text::kNoStagingDatabase.arg(ctx_.db.lfakturoStatus.errorText()));
        closeSoon();
        return;
    }
    if (ctx_.invoicingFolder.isEmpty()) {
        d->alert(text::kFolderNotSet, text::kFolderTitle, Icon::Warning);
        closeSoon();
        return;
    }
    {
        BusyCursor busy;
        // Whatever the reason, the folder is wrong for this window: its own
        // message says so, the reader's text is not shown.
        Result<std::unique_ptr<InvoiceSource>> opened = InvoiceSource::open(ctx_.invoicingFolder);
        bool ok = opened.ok();
        if (ok)
            invoices_ = std::move(*opened);
        for (int k = 0; ok && k < 6; ++k)
            ok = invoices_->hasRows(QLatin1String(kKinds[k].table)).ok();
        if (!ok) {
            invoices_.reset();
            BusyCursor::Suspend normal;
            d->alert(text::kFolderWrong, text::kFolderTitle, Icon::Critical);
            closeSoon();
            return;
        }
    }
    Text1->setText(QStringLiteral("0"));
    refreshPresent();
    if (Data.recordCount() > 0) {
        setButtons(true);
        // Nothing is pending here, so no row must be written to move.
        Data.moveLast();
        Text1->setFocus();
        Text1->selectAll();
        d->beep();
        if (d->ask(text::kNotEmpty, text::kAttention, Icon::Question))
            Command4_Click();
    } else {
        setButtons(false);
        Command1->setFocus();
    }
}

void SzamlaImportFormX::Kilepes_Click() {
    SetQui(false);
    storePending();
    Data.close();
    invoices_.reset();
    done(QDialog::Accepted);
}

// ---------------------------------------------------------------- load

void SzamlaImportFormX::Command1_Click() {
    if (!staging_ || !invoices_)
        return;
    DialogService* d = ctx_.dialogs;
    storePending();
    BusyCursor busy;
    checkOnly(QStringLiteral("SzurKi"));
    Data.setQuery(Query(staged(), {}, {{kNumber}}));
    reportFailure(Data.refresh());
    if (Data.recordCount() == 0) {
        setButtons(false);
        Command1->setFocus();
    } else {
        Data.moveLast();
        Text1->setText(numberText(Data.field(kNumber)));
        Text1->setFocus();
        setButtons(true);
        BusyCursor::Suspend normal;
        d->beep();
        if (d->ask(text::kNotEmpty, text::kAttention, Icon::Question))
            Command4_Click();
    }
    // Every kind's invoices go into the staging table in one transaction.
    QList<StagedInvoice> invoices;
    for (int k = 0; k < 6; ++k) loadKind(k, &invoices);
    if (!invoices.empty()) {
        // Without the transaction no invoice was saved: each counts as failed.
        const Result<StagingReport> appended = stageInvoices(*staging_, staged(), invoices);
        const StagingReport report =
            appended ? *appended : StagingReport{0, 0, int(invoices.size()), {}};
        for (int i = 0; i < report.badValues; ++i) ctx_.dialogs->beep();
        if (report.failedRows > 0) {
            for (int i = 0; i < report.failedRows; ++i) ctx_.dialogs->beep();
            gridCaption_->setText(text::kSaveErrorCaption);
        }
    }
    Data.setQuery(Query(staged(), {}, {{kPayment}, {kNumber}}));
    reportFailure(Data.refresh());
    if (Data.recordCount() > 0) {
        setButtons(true);
        Data.moveLast();
    } else {
        setButtons(false);
    }
    refreshPresent();
}

void SzamlaImportFormX::loadKind(int k, QList<StagedInvoice>* out) {
    DialogService* d = ctx_.dialogs;
    const Kind& kind = kKinds[k];
    const QString table = QLatin1String(kind.table);
    const Result<bool> any = invoices_->hasRows(table);
    if (!any) {
        showError(text::kReadFailed.arg(table, any.errorText()));
        return;
    }
    if (!any.value())
        return;
    QString answer;
    {
        BusyCursor::Suspend normal;
        answer = d->input(u(kind.prompt), u(kind.title));
    }
    const auto from = startingNumber(answer);
    if (!from) {
        d->beep();
        return;
    }
    Result<QList<StagedInvoice>> grouped = invoices_->groupedInvoices(table, *from);
    if (!grouped) {
        showError(text::kReadFailed.arg(table, grouped.errorText()));
        kindFrom_[k] = 0;
        return;
    }
    QList<StagedInvoice>& invoices = *grouped;
    if (!invoices_->notice().isEmpty()) {
        BusyCursor::Suspend normal;
        d->alert(invoices_->notice(), text::kAttention, Icon::Warning);
    }
    if (invoices.empty()) {
        BusyCursor::Suspend normal;
        d->alert(text::kNoSuchNumber, text::kNumberTitle, Icon::Warning);
        kindFrom_[k] = 0;
        return;
    }
    kindFrom_[k] = *from;
    out->append(std::move(invoices));
}

// ---------------------------------------------------------------- filters, finder

void SzamlaImportFormX::filter_Click(const Filter& f) {
    storePending();
    BusyCursor busy;
    checkOnly(QLatin1String(f.name));
    Condition where;
    if (*f.method)
        where = Condition::equals(kPayment, u(f.method));
    Data.setQuery(Query(staged(), where, {{kNumber}}));
    reportFailure(Data.refresh());
    refreshPresent();
    if (Data.recordCount() == 0) {
        BusyCursor::Suspend normal;
        ctx_.dialogs->alert(u(f.empty), text::kAttention, Icon::Warning);
        setButtons(false);
        Command1->setFocus();
        return;
    }
    Data.moveLast();
    Text1->setText(numberText(Data.field(kNumber)));
    Text1->setFocus();
    setButtons(true);
}

void SzamlaImportFormX::Text1_Change() {
    if (!Data.isOpen() || Data.recordCount() == 0)
        return;
    const auto n = values::parseWhole(Text1->text().trimmed());
    if (!n || *n == 0)
        return;
    storePending();
    const Status search = Data.findFirst(Condition::equals(kNumber, qlonglong(*n)));
    if (!search || Data.noMatch()) {
        ctx_.dialogs->beep();
        Data.moveLast();
    }
}

// ---------------------------------------------------------------- deleting

void SzamlaImportFormX::Command2_Click() {
    DialogService* d = ctx_.dialogs;
    storePending();
    if (Data.recordCount() == 0) {
        Command2->setEnabled(false);
        return;
    }
    d->beep();
    if (!d->ask(text::kDeleteRow, text::kDeleteRowTitle, Icon::Warning))
        return;
    BusyCursor busy;
    if (!reportFailure(Data.deleteCurrent()))
        return;
    refreshPresent();
    if (Data.recordCount() == 0) {
        BusyCursor::Suspend normal;
        d->alert(text::kDeletedAll, text::kAttention, Icon::Warning);
        setButtons(false);
        Command1->setFocus();
    } else if (Data.eof()) {
        Data.moveLast();
    }
}

void SzamlaImportFormX::Command4_Click() {
    DialogService* d = ctx_.dialogs;
    storePending();
    if (Data.recordCount() == 0) {
        Command4->setEnabled(false);
        return;
    }
    {
        BusyCursor::Suspend normal;
        d->beep();
        if (!d->ask(text::kDeleteAll, text::kDeleteAllTitle, Icon::Warning))
            return;
    }
    BusyCursor busy;
    reportFailure(Data.deleteAll());
    setButtons(false);
    Command1->setFocus();
    checkOnly(QStringLiteral("SzurKi"));
    refreshPresent();
}

// ---------------------------------------------------------------- grid

void SzamlaImportFormX::DBGrid1_Click() {
    // The grid and the navigation bar span the window less 21 pixels; the
    // layout keeps them so, the click only makes it happen at once.
    if (layout())
        layout()->activate();
}

void SzamlaImportFormX::DBGrid1_HeadClick(int column) {
    // The grid's columns are the staged ones the grid shows, then the
    // "already handed over" mark, which is no column of the table.
    if (column < 0 || column >= gridModel_->markColumn())
        return;
    storePending();
    sortOnHeader(Data, 1, gridModel_->columnName(column));
}

// ---------------------------------------------------------------- hand-over

void SzamlaImportFormX::Command3_Click() {
    DialogService* d = ctx_.dialogs;
    storePending();
    if (!veladata_) {
        showError(text::kNoLedgerDatabase.arg(ctx_.db.veladataStatus.errorText()));
        return;
    }
    if (Data.recordCount() > 0) {
        d->beep();
        if (d->ask(text::kTransferAll, text::kAttention, Icon::Question)) {
            Data.moveFirst();
            d->beep();
            if (d->ask(text::kNegativesToo, text::kAttention, Icon::Question)) {
                writeFromCurrent();
            } else {
                // Every staged row of zero gross or more, whatever the filter.
                Data.setQuery(Query(staged(), Condition::greaterOrEqual(kGross, 0.0)));
                reportFailure(Data.refresh());
                if (Data.recordCount() == 0) {
                    d->beep();
                    return;  // nothing to hand over; the window stays
                }
                Data.moveFirst();
                writeFromCurrent();
            }
        } else {
            d->beep();
            const bool negatives = d->ask(text::kNegativesToo, text::kAttention, Icon::Question);
            const auto from =
                startingNumber(d->input(text::kTransferFrom, text::kTransferFromTitle));
            if (!from) {
                d->beep();
            } else {
                Condition where = Condition::greaterOrEqual(kNumber, *from);
                if (!negatives)
                    where = Condition::greater(kGross, 0.0) && where;
                const Filter* f = checked();
                if (f && *f->method)
                    where = where && Condition::equals(kPayment, u(f->method));
                Data.setQuery(Query(staged(), where));
                reportFailure(Data.refresh());
                if (Data.recordCount() == 0) {
                    d->alert(text::kNoRowForCondition, text::kNumberTitle, Icon::Warning);
                } else {
                    Data.moveFirst();
                    writeFromCurrent();
                }
            }
        }
    }
    Kilepes_Click();
}

void SzamlaImportFormX::writeFromCurrent() {
    const Result<StagedTransfer::Transferred> r = [&] {
        BusyCursor busy;
        return StagedTransfer::run(Data, std::max(0, Data.position()), *veladata_,
                                   schema::velanakData(), newRowId_,
                                   [] { return QDateTime::currentDateTime(); });
    }();
    transferred_ = r ? r->written : 0;
    // Without any row to hand over there is no invoice to name.
    if (!r)
        showDatabaseError(r.errorText());
    else if (r->stopped)
        showError(text::kTransferFailed.arg(r->failedInvoice).arg(r->failedWhy).arg(r->written));
    refreshPresent();
}

void SzamlaImportFormX::refreshPresent() {
    if (!veladata_ || !staging_)
        return;
    // The marks only help the eye: an unreadable ledger or staging table
    // marks nothing and counts none, and the hand-over tells its own error.
    const Result<QSet<QString>> present =
        bulk::distinctTexts(*veladata_, schema::velanakData(), QStringLiteral("Szamlaszam"));
    gridModel_->setPresent(present ? *present : QSet<QString>());
    const Result<int> count = Data.isOpen() && present
                                  ? bulk::countIn(*staging_, Data.query(), kNumber, *present)
                                  : Result<int>(0);
    presentCount_ = count ? *count : 0;
    Label3->setValue(QString::number(presentCount_));
}

}  // namespace vela
