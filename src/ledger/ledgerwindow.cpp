#include "ledger/ledgerwindow.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDateTime>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include "historywindow/valtozasokformx.h"
#include "importwindow/navszamlaimportformx.h"
#include "importwindow/szamlaimportformx.h"
#include "ledger/ledgermessages.h"
#include "ledger/ledgerprintreport.h"
#include "ledgercore/ledgerrules.h"
#include "partners/beraktarozokformx.h"
#include "settings/felhasznaloikezikonyvvdform.h"
#include "settings/veladataparameterformx.h"
#include "storage/columns.h"
#include "storage/database.h"
#include "storage/funcs.h"
#include "storage/values.h"
#include "ui/afterfirstpaint.h"
#include "ui/appcontext.h"
#include "ui/busycursor.h"
#include "ui/datepicker.h"
#include "ui/dialogservice.h"
#include "ui/fieldbinder.h"
#include "ui/fieldrules.h"
#include "ui/formkit.h"
#include "ui/navigationbar.h"
#include "ui/othersfollower.h"
#include "ui/recordgrid.h"
#include "ui/recordgridmodel.h"
#include "ui/windowopener.h"

namespace vela {

namespace text = ledgertext;
using Icon = DialogService::Icon;

namespace {

// The bound text boxes: control, column, caption label and its text.
struct FieldSpec {
    const char* control;
    const char* column;
    const char* label;
    const char* caption;
};

const FieldSpec kTextFields[] = {
    {"Text10", "Szamlaszam", "Label1", "Számlaszám:"},
    {"Text2", "CegNev", "Label2", "Cég neve:"},
    {"Text3", "CegCim", "Label3", "Cég címe:"},
    {"Text4", "Megnevezes", "Label4", "Megnevezés:"},
    {"Text5", "Netto", "Label5", "Nettó összeg:"},
    {"Text6", "AFA", "Label6", "ÁFA:"},
    {"Text7", "Brutto", "Label7", "Bruttó összeg:"},
    {"Text8", "Devizanem", "Label10", "Devizanem:"},
    {"Text9", "Kivezetés", "Label13", "Kivezetés:"},
    {"Text1", "RészÖsszeg", "Label15", "Részösszeg:"},
    {"Text11", "BankiKivonatSzáma", "Label17", "Banki kivonat száma:"},
    {"Text12", "Megjegyzés", "Label18", "Megjegyzés:"},
    {"Text16", "FigyelemMegjegyzés", "Label21", "Megjegyzés2:"},
    {"Text18", "RészösszegÖsszesen", "Label23", "Részösszegek összesen:"},
    {"Text19", "FizetésMódja", "", "Fizetés módja:"},
};

// The date pickers in the order DTPicker1..5.
const FieldSpec kDateFields[] = {
    {"DTPicker1", "Datumtol", "Label8", "-tól"},
    {"DTPicker2", "Datumig", "Label9", "-ig"},
    {"DTPicker3", "Adatfelvetel", "Label11", "Adatfelvétel ideje:"},
    {"DTPicker4", "Teljesités", "Label12", "Teljesítés:"},
    {"DTPicker5", "BankiKiegyenlitésKelte", "Label16", "Banki kiegyenlítés kelte:"},
};

// The quick finders: control, tooltip.
const std::pair<const char*, const char*> kFinders[] = {
    {"Text13", "Sorszám gyorskereső"},
    {"Text14", "Számlaszám gyorskereső"},
    {"Text15", "Ügyfél gyorskereső"},
    {"Text17", "Bruttó összeg gyorskereső"},
};

}  // namespace

LedgerWindow::LedgerWindow(AppContext& ctx, LedgerKind kind, QWidget* parent)
    : WindowBase(ctx, parent, Escape::Ignored),
      traits_(LedgerTraits::of(kind)),
      veladata_(ctx.db.veladata.get()),
      parameters_(kind == LedgerKind::Payables ? ctx.db.parameters.get() : nullptr),
      book_(*veladata_, traits_.table) {
    setObjectName(traits_.windowName);
    setWindowTitle(traits_.windowCaption);
    setWindowFlags(Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    buildRecordSources();
    buildControls();
    buildMenus();
    applyFieldRules();
    // The per-currency line is a pass over every open row: on a big ledger
    // the window stands on the screen first, and the line follows at once.
    currencyLineLate_ = true;
    AfterFirstPaint::run(this, [this] {
        currencyLineLate_ = false;
        if (currencyTotalsStale_)
            showCurrencyTotals();
    });
    Form_Load();
    // What other workstations commit shows here within a second, the
    // outstanding figure and the per-currency line with it.
    follower_ = new OthersFollower(&VelaData1, binder_, DBGrid1, ctx_.dialogs, this);
    connect(follower_, &OthersFollower::followed, this, &LedgerWindow::showFollowedTotals);
    // As large as a 1366x768 screen allows, less the taskbar.
    const QRect avail = screen() ? screen()->availableGeometry() : QRect(0, 0, 1366, 768);
    resize(std::min(1300, avail.width() - 20), std::min(740, avail.height() - 30));
}

LedgerWindow::~LedgerWindow() = default;

QLineEdit* LedgerWindow::text(const char* name) const {
    return kit_->control<QLineEdit>(QLatin1String(name));
}

QAction* LedgerWindow::menuItem(const QString& name) const {
    return menus_ ? menus_->action(name) : nullptr;
}

void LedgerWindow::buildRecordSources() {
    VelaData1.setObjectName("VelaData1");
    VelaData1.setDatabase(veladata_);
    VelaData1.setQuery(traits_.allRows());
    // The settled flag is one capital, I or N, or empty, wherever it is typed.
    VelaData1.setColumnRule(QStringLiteral("Kivezetés"), &ledger::settledFlagRule,
                            text::kBadSettledFlag);
    // A new row takes its number and identifier inside its insert's write
    // transaction, so two workstations adding at once never share them.
    VelaData1.setInsertHook(book_.insertHook());
    CountData.setDatabase(veladata_);
    CountData.setSum(traits_.table, {traits_.openTotal}, traits_.openTotalWhere);
    CountData.follow(&VelaData1);
    CountData2.setDatabase(veladata_);
    CountData2.setSum(traits_.table, {traits_.partialTotal}, traits_.partialTotalWhere);
    CountData2.follow(&VelaData1);
    grossAmount_ = traits_.openTotal;
    grossWhere_ = traits_.openTotalWhere;
    partialWhere_ = traits_.partialTotalWhere;
    currencyTotals_.setDatabase(veladata_);
    IdeiglData.setDatabase(veladata_);
    VelaIdeiglData.setObjectName("VelaIdeiglData");
    VelaIdeiglData.setDatabase(veladata_);
    VelaIdeiglData.setQuery(Query(schema::velaIdeigl()));
    if (parameters_) {
        ParameterData.setObjectName("ParameterData");
        ParameterData.setDatabase(parameters_);
        ParameterData.setQuery(Query(schema::emblemaPath()));
    }
    // A move fails only when the row being left cannot be written: this
    // tells the user, and the row stays current.
    connect(&VelaData1, &RecordSource::writeFailed, this,
            [this](const QString& error) { showDatabaseError(text::kSaveFailed.arg(error)); });
    // A save that moves a row to another currency leaves the figure as it
    // was, but not the per-currency line: it is summed again.
    connect(&VelaData1, &RecordSource::rowWriting, this, [this] {
        const auto currency = [](const QVariant& v) { return foldCase(v.toString().trimmed()); };
        if (currency(VelaData1.storedField("Devizanem")) != currency(VelaData1.field("Devizanem")))
            currencyTotalsStale_ = true;
    });
}

void LedgerWindow::buildControls() {
    binder_ = new FieldBinder(&VelaData1, ctx_.dialogs, this);
    kit_ = std::make_unique<FormKit>(this, binder_, &traits_.table);
    auto* root = new QVBoxLayout(this);
    // 10 + 11 pixels beside the grid: it is as wide as the window less 21
    // pixels (315 twips), whatever the window's size.
    root->setContentsMargins(10, 4, 11, 8);
    menuBar_ = new QMenuBar(this);
    root->setMenuBar(menuBar_);

    // Which ledger, the grid and its navigation bar.
    auto* top = new QHBoxLayout;
    ValueLabel* Label22 = kit_->valueLabel("Label22", QStringLiteral("Nyilvántartás:"));
    Label22->setValue(traits_.sideLabel);
    Label22->setToolTip(traits_.sideLabelTip);
    QFont big = Label22->font();
    big.setPointSizeF(big.pointSizeF() * 1.4);
    big.setBold(true);
    Label22->setFont(big);
    auto* gridCaption = new QLabel(traits_.gridCaption, this);
    gridCaption->setObjectName("DBGrid1Caption");
    top->addWidget(Label22);
    top->addSpacing(16);
    top->addWidget(gridCaption, 1);
    root->addLayout(top);

    DBGrid1 = new RecordGrid(this);
    DBGrid1->setObjectName("DBGrid1");
    DBGrid1->setAccessibleName(traits_.gridCaption);
    DBGrid1->setToolTip(traits_.gridCaption);
    QVector<int> cols;
    for (int i = 0; i < schema::kLedgerGridColumns; ++i) cols << i;
    gridModel_ = new RecordGridModel(&VelaData1, cols, ctx_.dialogs, this);
    DBGrid1->setRecordModel(gridModel_, ctx_.dialogs);
    for (int i = 0; i < schema::kLedgerGridColumns; ++i) {
        const ColumnDef& c = traits_.table.columns[size_t(i)];
        DBGrid1->setKeyRules(i, KeyRules::allowedFor(c.keys), c.editLimit);
    }
    DBGrid1->horizontalHeader()->setDefaultSectionSize(110);
    DBGrid1->setMinimumHeight(220);
    connect(DBGrid1, &RecordGrid::headerClicked, this, &LedgerWindow::DBGrid1_HeadClick);
    root->addWidget(DBGrid1, 1);

    auto* navRow = new QHBoxLayout;
    navigation_ = new NavigationBar(&VelaData1, QStringLiteral("   Mozgás"), this);
    navigation_->setObjectName("VelaData1Navigation");
    navRow->addWidget(navigation_, 2);
    navRow->addSpacing(16);
    Label27 = kit_->valueLabel("Label27", QStringLiteral("Tartozás:"));
    Label27->setFont(big);
    Label27->setMinimumWidth(180);
    Label27->setTextInteractionFlags(Qt::TextSelectableByMouse);
    navRow->addWidget(kit_->caption({}, QStringLiteral("Tartozás:"), nullptr));
    navRow->addWidget(Label27, 1);
    // The same amount per currency, so nobody has to read a mixed sum.
    currencyLabel_ = kit_->valueLabel("Label27Devizanem", text::kCurrencyTotalsCaption);
    currencyLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    currencyLabel_->setToolTip(text::kCurrencyTotalsCaption);
    // A currency is the user's text: a long one must not widen the window.
    currencyLabel_->setElided(true);
    navRow->addWidget(currencyLabel_, 2);
    root->addLayout(navRow);

    QWidget* fieldBlock = buildFieldBlock();
    root->addWidget(buildFinders());
    root->addWidget(fieldBlock);
    for (const char* narrow : {"Text6", "Text8", "Text9"}) {
        text(narrow)->setMinimumWidth(40);
        text(narrow)->setMaximumWidth(70);
    }

    // The buttons in a row; each turns green while its action runs.
    auto* buttons = new QHBoxLayout;
    auto button = [this, buttons](const char* name, const QString& caption,
                                  void (LedgerWindow::*handler)(), const QString& tip = {}) {
        QPushButton* b = kit_->button(
            name, caption, [this, handler] { (this->*handler)(); }, tip);
        b->setMinimumWidth(110);
        buttons->addWidget(b);
        return b;
    };
    Command2 = button("Command2", QStringLiteral("Új adat"), &LedgerWindow::Command2_Click);
    Command3 = button("Command3", QStringLiteral("OK"), &LedgerWindow::Command3_Click,
                      QStringLiteral("Mentés"));
    Command4 = button("Command4", QStringLiteral("Törlés"), &LedgerWindow::Command4_Click);
    Command5 = button("Command5", QStringLiteral("Határidőn túl"), &LedgerWindow::Command5_Click);
    Command7 = button("Command7", QStringLiteral("Nyomtatás"), &LedgerWindow::Command7_Click);
    buttons->addStretch(1);
    Kilepes = button("Kilepes", QStringLiteral("Kilépés"), &LedgerWindow::Kilepes_Click);
    root->addLayout(buttons);
}

QWidget* LedgerWindow::buildFieldBlock() {
    auto* block = new QWidget(this);
    auto* lay = new QHBoxLayout(block);
    lay->setContentsMargins(0, 4, 0, 4);

    for (const FieldSpec& f : kTextFields) kit_->textBox(f.control, QString::fromUtf8(f.column));
    for (const FieldSpec& f : kDateFields) {
        DatePicker* p = kit_->datePicker(f.control, QString::fromUtf8(f.column));
        pickers_ << p;
        connect(p, &DatePicker::focusGained, this, [this, p] { DTPicker_GotFocus(p); });
    }
    auto captionFor = [this](const char* control) -> QLabel* {
        for (const FieldSpec& f : kTextFields) {
            if (qstrcmp(f.control, control) == 0) {
                const QString name =
                    *f.label ? QString::fromLatin1(f.label) : traits_.paymentLabelName;
                return kit_->caption(name, QString::fromUtf8(f.caption), text(control));
            }
        }
        for (int i = 0; i < int(std::size(kDateFields)); ++i) {
            if (qstrcmp(kDateFields[i].control, control) == 0)
                return kit_->caption(kDateFields[i].label,
                                     QString::fromUtf8(kDateFields[i].caption), pickers_[i]);
        }
        return nullptr;
    };
    auto group = [this, lay](const QString& title, int stretch) {
        auto* g = new QGroupBox(title, this);
        auto* grid = new QGridLayout(g);
        grid->setHorizontalSpacing(6);
        grid->setVerticalSpacing(4);
        lay->addWidget(g, stretch);
        return grid;
    };
    auto row = [&](QGridLayout* grid, int r, const char* control) {
        grid->addWidget(captionFor(control), r, 0, Qt::AlignRight);
        grid->addWidget(kit_->control(QLatin1String(control)), r, 1);
    };

    // The document and the partner.
    QGridLayout* doc = group(QStringLiteral("Okmány"), 4);
    ValueLabel* Label20 = kit_->valueLabel("Label20", QStringLiteral("Sorszám:"), "Sorszám");
    ValueLabel* Label19 =
        kit_->valueLabel("Label19", QStringLiteral("Adatsor azonosító:"), "recordID");
    Label19->setToolTip(QStringLiteral("Adatsor azonosító"));
    auto* ids = new QHBoxLayout;
    ids->addWidget(Label20);
    ids->addStretch(1);
    ids->addWidget(Label19);
    doc->addWidget(kit_->caption({}, QStringLiteral("Sorszám:"), nullptr), 0, 0, Qt::AlignRight);
    doc->addLayout(ids, 0, 1);
    row(doc, 1, "Text10");
    row(doc, 2, "Text2");
    row(doc, 3, "Text3");
    row(doc, 4, "Text4");
    row(doc, 5, "Text19");
    row(doc, 6, "Text12");

    // The amounts.
    QGridLayout* money = group(QStringLiteral("Összegek"), 3);
    row(money, 0, "Text5");
    row(money, 1, "Text6");
    row(money, 2, "Text7");
    row(money, 3, "Text8");
    row(money, 4, "Text1");
    ValueLabel* Label26 =
        kit_->valueLabel("Label26", traits_.label26Caption + QLatin1Char(':'), "RészÖsszegBruttó");
    Label26->setToolTip(traits_.label26Caption);
    QWidget* partialGross = Label26;
    if (traits_.partialGrossEditable) {
        QLineEdit* Text20 = kit_->textBox("Text20", QStringLiteral("RészÖsszegBruttó"));
        auto* pair = new QHBoxLayout;
        pair->addWidget(Text20, 1);
        pair->addWidget(Label26);
        money->addLayout(pair, 5, 1);
        partialGross = Text20;
    } else {
        money->addWidget(Label26, 5, 1);
    }
    money->addWidget(
        kit_->caption(traits_.partialGrossLabelName, QStringLiteral("Rész.bruttó:"), partialGross),
        5, 0, Qt::AlignRight);
    row(money, 6, "Text18");
    Check2 = new QCheckBox(QStringLiteral("Részkiegyenlítés"), this);
    Check2->setObjectName("Check2");
    binder_->bind(Check2, QStringLiteral("Részkiegyenlités"));
    money->addWidget(Check2, 7, 1);

    // The dates.
    QGridLayout* dates = group(QStringLiteral("Dátumok"), 2);
    for (int i = 0; i < 5; ++i) row(dates, i, kDateFields[i].control);

    // Settlement and the attention remark.
    QGridLayout* settle = group(QStringLiteral("Kiegyenlítés"), 3);
    row(settle, 0, "Text9");
    ValueLabel* Label14 = kit_->valueLabel("Label14", QStringLiteral("Kivezetve:"), "Kivezetés");
    settle->addWidget(Label14, 0, 2);
    row(settle, 1, "Text11");
    Check1 = new QCheckBox(QStringLiteral("FIGYELEM!"), this);
    Check1->setObjectName("Check1");
    binder_->bind(Check1, QStringLiteral("FIGYELEM"));
    settle->addWidget(Check1, 2, 1);
    Image1 = new QLabel(this);
    Image1->setObjectName("Image1");
    Image1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32, 32));
    settle->addWidget(Image1, 2, 2);
    Label21 = captionFor("Text16");
    settle->addWidget(Label21, 3, 0, Qt::AlignRight);
    settle->addWidget(text("Text16"), 3, 1, 1, 2);
    connect(Check1, &QCheckBox::toggled, this, &LedgerWindow::Check1_Change);
    Check1_Change();
    // A finished date runs the save; the focus stays where the user is (the
    // picker after Enter, the next field after Tab), not on Text10.
    connect(binder_, &FieldBinder::written, this, [this](const QString& column) {
        for (const FieldSpec& f : kDateFields) {
            if (column == QString::fromUtf8(f.column)) {
                QTimer::singleShot(0, this, [this] {
                    const QPointer<QWidget> where = QApplication::focusWidget();
                    Command3_Click();
                    if (where && where->window() == this)
                        where->setFocus();
                });
                return;
            }
        }
    });
    return block;
}

QWidget* LedgerWindow::buildFinders() {
    // The quick finders in one row above the field block.
    auto* findersRow = new QWidget(this);
    auto* finders = new QHBoxLayout(findersRow);
    finders->setContentsMargins(0, 0, 0, 0);
    finders->addWidget(new QLabel(QStringLiteral("<b>Gyorskeresők</b>"), this));
    for (const auto& [name, tip] : kFinders) {
        QLineEdit* e = kit_->textBox(name);
        e->setToolTip(QString::fromUtf8(tip));
        e->setClearButtonEnabled(true);
        e->setMinimumWidth(110);
        QString caption = QString::fromUtf8(tip);
        caption.chop(QStringLiteral(" gyorskereső").size());
        finders->addSpacing(12);
        finders->addWidget(kit_->caption({}, caption + QStringLiteral(":"), e));
        e->setAccessibleName(QString::fromUtf8(tip));
        finders->addWidget(e, 1);
        connect(e, &QLineEdit::textChanged, this, [this, e] { runFinder(e); });
    }
    finders->addStretch(1);
    findersRow_ = findersRow;
    return findersRow;
}

void LedgerWindow::applyFieldRules() {
    const bool rcv = traits_.kind == LedgerKind::Receivables;
    QStringList focusColoured = {"Text1",  "Text2",  "Text3",  "Text4",  "Text5",
                                 "Text6",  "Text7",  "Text8",  "Text9",  "Text10",
                                 "Text11", "Text12", "Text16", "Text18", "Text19"};
    QStringList selectOnEntry = {"Text1", "Text4", "Text5", "Text6", "Text7", "Text18"};
    QStringList numeric = {"Text1", "Text5", "Text6", "Text7", "Text17", "Text18"};
    if (rcv) {
        focusColoured << "Text20";
        selectOnEntry << "Text20";
        numeric << "Text20";
    }
    auto edit = [this](const QString& n) { return kit_->control<QLineEdit>(n); };
    for (const QString& n : focusColoured) FocusHighlighter::install(edit(n));
    for (DatePicker* p : std::as_const(pickers_)) FocusHighlighter::install(p);
    for (const QString& n : selectOnEntry) SelectOnEntry::install(edit(n));
    for (const QString& n : numeric)
        KeyRules::install(edit(n), ctx_.dialogs, KeyRules::Allowed::Numeric);
    KeyRules::install(text("Text13"), ctx_.dialogs, KeyRules::Allowed::Digits);
    // The currency keeps the grid's three characters in its field too.
    const int currencyLimit = traits_.table.column(QStringLiteral("Devizanem"))->editLimit;
    KeyRules::install(text("Text8"), ctx_.dialogs, KeyRules::Allowed::Any, currencyLimit);
    if (TextGuard* guard = TextGuard::of(text("Text8")))
        guard->setLimit(currencyLimit);
    // Installed after the binding, so it is asked first when Text9 is left.
    text("Text9")->installEventFilter(this);
}

// ---------------------------------------------------------------- start, activation, exit

void LedgerWindow::Form_Load() {
    DBGrid1->setVisible(true);
    Command5->setText(QStringLiteral("Határidőn túl"));
    BusyCursor busy;
    reportFailure(VelaData1.refresh());
    // A server adds up per currency by itself, as fast as one sum: there the
    // line's one pass gives the figure's sums, and the line is there at once.
    if (!(currencyTotals_.addsUpOnEngine() && totalsFromCurrencyPass()))
        reportFailure(CountData2.requery());
    reportFailure(VelaIdeiglData.refresh());
    if (parameters_)
        reportFailure(ParameterData.refresh());
}

void LedgerWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!firstShown_) {
        firstShown_ = true;
        becomeActive();
    }
}

void LedgerWindow::becomeActive() {
    BusyCursor busy;
    if (traits_.kind == LedgerKind::Payables) {
        emptyScratchTable();
        if (parameters_) {
            reportFailure(ParameterData.refresh());
            if (ParameterData.recordCount() > 0) {
                ParameterData.moveFirst();
                QString folder =
                    Funcs::TextOrEmpty(ParameterData.field(QStringLiteral("InterfacePath")))
                        .toString();
                while (folder.startsWith(QLatin1Char(' '))) folder.remove(0, 1);
                ctx_.invoicingFolder = folder;
            }
        }
        if (VelaData1.recordCount() > 0) {
            VelaData1.moveLast();
            text("Text10")->setFocus();
        }
    } else {
        if (VelaData1.recordCount() > 0)
            text("Text10")->setFocus();
        emptyScratchTable();
    }
    ShowOpenTotal();
}

void LedgerWindow::emptyScratchTable() {
    reportFailure(VelaIdeiglData.refresh());
    if (VelaIdeiglData.recordCount() == 0)
        return;
    // One statement does what deleting the rows one by one would.
    reportFailure(VelaIdeiglData.deleteAll());
}

void LedgerWindow::ShowOpenTotal() {
    // The partial sum is read afresh as well: a save may have changed it.
    reportFailure(CountData.requery());
    reportFailure(CountData2.requery());
    const QString figure =
        ledger::outstandingText(ledger::outstanding(CountData.value(0), CountData2.value(0)));
    Label27->setValue(figure);
    // The per-currency line is summed again when the figure moved (a save
    // changed an amount), a row changed its currency, or the totals' rows
    // changed (a filter).
    if (currencyTotalsStale_ || figure != shownTotal_) {
        if (currencyLineLate_)
            currencyTotalsStale_ = true;
        else
            showCurrencyTotals();
    }
    shownTotal_ = figure;
}

bool LedgerWindow::totalsFromCurrencyPass() {
    // The line's parts are the figure's two sums, and its groups add up to
    // them: one pass over the rows gives all three.
    if (!showCurrencyTotals())
        return false;
    const auto& parts = currencyTotals_.parts();
    for (int i = 0; i < 2; ++i) {
        AggregateQuery& sum = i == 0 ? CountData : CountData2;
        if (!sum.take(traits_.table, parts[i].amount, parts[i].where, currencyTotals_.total(i),
                      currencyTotals_.counted(i), currencyTotals_.readAt()))
            return false;
    }
    shownTotal_ =
        ledger::outstandingText(ledger::outstanding(CountData.value(0), CountData2.value(0)));
    Label27->setValue(shownTotal_);
    return true;
}

void LedgerWindow::showFollowedTotals() {
    currencyTotalsStale_ = true;
    if (currencyLineLate_ || !totalsFromCurrencyPass())
        ShowOpenTotal();
}

QString LedgerWindow::openTotalText() const {
    return Label27->text();
}

void LedgerWindow::closeRecordSources() {
    CountData2.close();
    CountData.close();
    if (parameters_)
        ParameterData.close();
    IdeiglData.close();
    VelaIdeiglData.close();
    VelaData1.close();
}

void LedgerWindow::storeCurrentRow() {
    binder_->commit();
    if (VelaData1.editPending()) {
        if (const Status stored = VelaData1.update(); !stored)
            showDatabaseError(text::kSaveFailed.arg(stored.errorText()));
    }
}

void LedgerWindow::Kilepes_Click() {
    if (exiting_)
        return;
    exiting_ = true;
    SetQui(false);
    // Whatever was typed into the current row is kept, not dropped at the exit.
    storeCurrentRow();
    closeRecordSources();
    if (traits_.kind == LedgerKind::Payables) {
        close();
        emit programExit();
    } else {
        if (parentWidget())
            parentWidget()->setVisible(true);
        done(QDialog::Accepted);
    }
}

void LedgerWindow::closedWithoutExit() {
    // The window the program runs in is gone, whatever its flag.
    if (traits_.kind == LedgerKind::Payables && !exiting_)
        emit programExit();
}

void LedgerWindow::Tartoznak_Click() {
    storeCurrentRow();
    receivables_ = std::make_unique<LedgerWindow>(ctx_, LedgerKind::Receivables, this);
    hide();
    if (ctx_.opener)
        ctx_.opener->openModal(*receivables_);
    receivables_.reset();
    show();
    becomeActive();
}

void LedgerWindow::VevoTorzs_Click() {
    storeCurrentRow();
    ctx_.selectedPartner.name = Funcs::TextOrEmpty(text("Text2")->text()).toString();
    const bool chosen = BeraktarozokFormX::openModal(ctx_, this);
    if (chosen && !ctx_.selectedPartner.name.isEmpty()) {
        if (VelaData1.recordCount() == 0 || VelaData1.bof() || VelaData1.eof()) {
            ctx_.dialogs->alert(
                text::kNoRowsForPartner,
                traits_.kind == LedgerKind::Payables ? text::kErrorTitle : text::kAttention,
                Icon::Warning);
        } else {
            // Written into the row like an edit; saved when the row is left.
            const SelectedPartner& p = ctx_.selectedPartner;
            Status set = VelaData1.setField(QStringLiteral("CegNev"), p.name);
            if (set)
                set = VelaData1.setField(QStringLiteral("CegCim"),
                                         p.seat + QLatin1Char(' ') + p.address);
            if (!set)
                showDatabaseError(set.errorText());
        }
    }
    becomeActive();
    text("Text2")->setFocus();
}

void LedgerWindow::szamlabol_Click() {
    storeCurrentRow();
    {
        SzamlaImportFormX import(ctx_, &LedgerWindow::NewRowId, this);
        if (ctx_.opener)
            ctx_.opener->openModal(import);
    }
    VelaData1.setQuery(traits_.allRows());
    reportFailure(VelaData1.refresh());
    if (VelaData1.recordCount() > 0)
        VelaData1.moveLast();
    becomeActive();
}

// Online Számla invoices go into both ledgers: this one and, when it was
// opened from the payables window, that one read their rows again.
void LedgerWindow::NavSzamla_Click() {
    storeCurrentRow();
    {
        NavSzamlaImportFormX import(ctx_, this);
        import.setRowIdMaker(&LedgerWindow::NewRowId);
        // Files named on the command line are staged at once.
        import.stageFiles(property("navSzamlaFiles").toStringList());
        setProperty("navSzamlaFiles", {});
        if (ctx_.opener)
            ctx_.opener->openModal(import);
    }
    for (LedgerWindow* w : {this, qobject_cast<LedgerWindow*>(parentWidget())}) {
        if (!w)
            continue;
        w->VelaData1.setQuery(w->traits_.allRows());
        w->reportFailure(w->VelaData1.refresh());
        if (w->VelaData1.recordCount() > 0)
            w->VelaData1.moveLast();
    }
    becomeActive();
}

void LedgerWindow::Kezikonyv_Click() {
    storeCurrentRow();
    setEnabled(false);
    FelhasznaloiKezikonyvVDForm manual(ctx_, this);
    if (ctx_.opener)
        ctx_.opener->openModal(manual);
    setEnabled(true);
    becomeActive();
}

void LedgerWindow::Parameter_Click() {
    storeCurrentRow();
    {
        VelaDataParameterFormX parameters(ctx_, this);
        if (ctx_.opener)
            ctx_.opener->openModal(parameters);
    }
    becomeActive();
}

void LedgerWindow::Valtozasok_Click() {
    storeCurrentRow();
    const qint64 key = noCurrentRow() || VelaData1.eof() || VelaData1.bof() || VelaData1.addingNew()
                           ? -1
                           : VelaData1.bookmark();
    // Rows brought back are read again, the row shown before staying current.
    if (ValtozasokFormX::open(ctx_, *veladata_, traits_.table, key, this)) {
        reportFailure(VelaData1.refresh());
        if (key >= 0)
            (void)VelaData1.setBookmark(key);
    }
    becomeActive();
}

void LedgerWindow::Command7_Click() {
    storeCurrentRow();
    LedgerPrintReport(ctx_, traits_.kind, *veladata_, this).run(VelaData1);
    reportFailure(VelaIdeiglData.refresh());
}

}  // namespace vela
