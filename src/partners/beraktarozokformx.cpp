#include "partners/beraktarozokformx.h"

#include <QAction>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTextEdit>
#include <QVBoxLayout>
#include <optional>
#include <vector>

#include "historywindow/valtozasokformx.h"
#include "partners/beraktarozokmessages.h"
#include "partners/beszallitonyomformx.h"
#include "partners/keysetrule.h"
#include "settings/helpformx.h"
#include "storage/columns.h"
#include "storage/database.h"
#include "storage/funcs.h"
#include "ui/appcontext.h"
#include "ui/busycursor.h"
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

namespace text = partnertext;
using Icon = DialogService::Icon;

namespace {

// A bound box: control, column, caption, the keys it takes ("" any), the
// longest entry.
struct BoxSpec {
    const char* control;
    const char* column;
    const char* caption;
    const char* keys;
    int longest;
};

const char* const kDigits = "0123456789";

const BoxSpec kBoxes[] = {
    {"Text1", "recordID", "Azonosító sorszám:", kDigits, 10},
    {"Text2", "BerNev", "Ügyfél (cég) neve:", "", 100},
    {"Text3", "BerIrszam", "Postai irányítószám:", kDigits, 7},
    {"Text4", "BerSzekhely", "Székhely:", "", 40},
    {"Text5", "BerCim", "Cím:", "", 40},
    {"Text6", "BerTelefon", "Telefon:", "", 15},
    {"Text7", "BerFax", "FAX:", "", 15},
    {"Text8", "BerMobil", "Mobil:", "", 15},
    {"Text9", "BerAdoszam", "Adószám:", kDigits, 15},
    {"Text10", "BerSzamlaszam", "Banki számlaszám:", kDigits, 25},
    {"Text11", "Kapcsolattartó", "Kapcsolattartó neve:", "", 50},
    {"Text12", "UgyfelStatus", "Ügyféli státusz:", "01234", 1},
    {"Text13", "BerEUAdoszam", "EU adószám:", "", 20},
    {"Text14", "BerVPID", "VPID:", "", 12},
    {"Text16", "VevöBeszállitó", "(V)evő - (B)eszállító - Mindkettő (üres):", "0123456789BVbv", 1},
};

// The grid's columns: table positions 0 to 12 with their captions.
const char* const kGridCaptions[] = {"Név",           "Irányítószám",   "Székhely",
                                     "Cím",           "Telefon",        "FAX",
                                     "Mobil",         "Adószám",        "Számlaszám (banki)",
                                     "recordID",      "Kapcsolattartó", "Ország jele",
                                     "Ügyféli státus"};
constexpr int kCountryColumn = 11;

const QString kBerNev = QStringLiteral("BerNev");
const QString kRecordId = QStringLiteral("recordID");

Query allPartners() {
    return Query(schema::beraktar(), {}, {{kBerNev}});
}

// The partner grid: every cell is edited in place except the country code,
// which only the country pick sets.
class PartnerGridModel : public RecordGridModel {
  public:
    using RecordGridModel::RecordGridModel;
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        Qt::ItemFlags f = RecordGridModel::flags(index);
        if (tableColumn(index.column()) == kCountryColumn)
            f &= ~Qt::ItemIsEditable;
        return f;
    }
};

// The country list is only read.
class ReadOnlyGridModel : public RecordGridModel {
  public:
    using RecordGridModel::RecordGridModel;
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        return RecordGridModel::flags(index) & ~Qt::ItemIsEditable;
    }
};

bool isMissingId(const QVariant& id) {
    return id.isNull() || Funcs::NumOrZero(id).toLongLong() == 0;
}

}  // namespace

BeraktarozokFormX::BeraktarozokFormX(AppContext& ctx, QWidget* parent)
    : WindowBase(ctx, parent, Escape::ClosesWindow), betarol_(ctx.db.betarol.get()) {
    setObjectName(QStringLiteral("BeraktarozokFormX"));
    setWindowTitle(text::kCaption);
    setWindowFlags(Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    buildRecordSources();
    buildControls();
    buildMenus();
    applyKeyRules();
    // Creation: an empty register gets its first row at once.
    BusyCursor busy;
    reportFailure(Beraktarozok.refresh());
    if (Beraktarozok.recordCount() == 0 && betarol_ && !ctx_.readOnly())
        addFirstRow();
    reportFailure(Data1.refresh());
    SetQui(true);
    Form_Load();
    // What other workstations commit to the register shows here within a second.
    new OthersFollower(&Beraktarozok, binder_, DBGrid1, ctx_.dialogs, this);
    // As large as a 1366x768 screen allows, less the taskbar.
    const QRect avail = screen() ? screen()->availableGeometry() : QRect(0, 0, 1366, 768);
    resize(std::min(1200, avail.width() - 40), std::min(720, avail.height() - 40));
}

BeraktarozokFormX::~BeraktarozokFormX() {
    // The boxes and grids let go of the record sources before these go: the
    // dialog hides (and its focus leaves a box) only after the members are gone.
    if (QLineEdit* kind = text("Text16"))
        kind->removeEventFilter(this);
    delete binder_;
    binder_ = nullptr;
    delete DBGrid1;
    delete DBGrid2;
    delete gridModel1_;
    delete gridModel2_;
}

bool BeraktarozokFormX::openModal(AppContext& ctx, QWidget* parent) {
    if (!ctx.db.betarol) {
        if (ctx.dialogs) {
            ctx.dialogs->alert(text::kNoDatabase.arg(ctx.db.betarolStatus.errorText()),
                               text::kErrorTitle, Icon::Critical);
        }
        return false;
    }
    BeraktarozokFormX window(ctx, parent);
    if (ctx.opener)
        ctx.opener->openModal(window);
    return window.selectionFlag();
}

int BeraktarozokFormX::rightsLevel() const {
    return ctx_.rightsLevel();
}

QStringList BeraktarozokFormX::writingControls() const {
    // New, delete, renumber, save, the country pick; the identifier box that
    // the check on leaving opens.
    return {QStringLiteral("UjAdat"),   QStringLiteral("BeszallTorol"), QStringLiteral("Szerviz"),
            QStringLiteral("Command4"), QStringLiteral("Command1"),     QStringLiteral("Text1")};
}

QLineEdit* BeraktarozokFormX::text(const char* name) const {
    return kit_->control<QLineEdit>(QLatin1String(name));
}

QAction* BeraktarozokFormX::menuItem(const QString& name) const {
    return menus_ ? menus_->action(name) : nullptr;
}

void BeraktarozokFormX::buildRecordSources() {
    Beraktarozok.setObjectName(QStringLiteral("Beraktarozok"));
    Beraktarozok.setDatabase(betarol_);
    Beraktarozok.setQuery(allPartners());
    Data1.setObjectName(QStringLiteral("Data1"));
    Data1.setDatabase(betarol_);
    Data1.setQuery(Query(schema::torzsOrszagok()));

    // What a box or a grid cell may hold, however it got there (typed or pasted).
    for (const BoxSpec& b : kBoxes) {
        const QString column = QString::fromUtf8(b.column);
        const QString keys = QString::fromLatin1(b.keys);
        const int longest = b.longest;
        if (column == kRecordId) {
            Beraktarozok.setColumnRule(
                column,
                [](QVariant& v) {
                    return v.isNull() || (v.toLongLong() > 0 && v.toLongLong() <= 2147483647);
                },
                text::kBadIdentifier);
        } else if (column == QLatin1String("UgyfelStatus")) {
            Beraktarozok.setColumnRule(
                column,
                [](QVariant& v) {
                    const QString s = v.toString();
                    return v.isNull() ||
                           (s.size() == 1 && s[0] >= QLatin1Char('0') && s[0] <= QLatin1Char('4'));
                },
                text::kBadStatus);
        } else if (column == QStringLiteral("VevöBeszállitó")) {
            Beraktarozok.setColumnRule(
                column,
                [](QVariant& v) {
                    if (v.isNull())
                        return true;
                    const QString s = v.toString().toUpper();
                    v = s;
                    return s.size() == 1 && ((s[0].isDigit() && s[0].unicode() < 128) ||
                                             s == QLatin1String("B") || s == QLatin1String("V"));
                },
                text::kBadKind);
        } else if (keys == QLatin1String(kDigits)) {
            Beraktarozok.setColumnRule(
                column,
                [longest](QVariant& v) {
                    const QString s = v.toString();
                    if (s.size() > longest)
                        return false;
                    for (const QChar c : s)
                        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                            return false;
                    return true;
                },
                text::kDigitsOnly.arg(QString::fromUtf8(b.caption).chopped(1)).arg(longest));
        } else {
            Beraktarozok.setColumnRule(
                column, [longest](QVariant& v) { return v.toString().size() <= longest; },
                text::kTooLong.arg(QString::fromUtf8(b.caption).chopped(1)).arg(longest));
        }
    }
    // A move fails only when the row being left cannot be written: this
    // tells the user, and the row stays current.
    connect(&Beraktarozok, &RecordSource::writeFailed, this,
            [this](const QString& error) { showDatabaseError(error); });
}

void BeraktarozokFormX::buildControls() {
    binder_ = new FieldBinder(&Beraktarozok, ctx_.dialogs, this);
    kit_ = std::make_unique<FormKit>(this, binder_, &schema::beraktar());
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(10, 4, 10, 8);
    menuBar_ = new QMenuBar(this);
    root->setMenuBar(menuBar_);

    // The name finder and the sort hint above the grid.
    auto* top = new QHBoxLayout;
    QLineEdit* Text15 = kit_->textBox(QStringLiteral("Text15"));
    Text15->setToolTip(text::kFinderTip);
    Text15->setMinimumWidth(260);
    top->addWidget(Text15);
    top->addWidget(kit_->caption(QStringLiteral("Label15"), text::kFinderCaption, Text15));
    Text15->setAccessibleName(text::kFinderTip);
    top->addSpacing(24);
    auto* Label12 = new QLabel(text::kSortHint, this);
    Label12->setObjectName(QStringLiteral("Label12"));
    top->addWidget(Label12, 1);
    root->addLayout(top);
    connect(Text15, &QLineEdit::textChanged, this, &BeraktarozokFormX::Text15_Change);

    DBGrid1 = new RecordGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setToolTip(text::kGridTip);
    DBGrid1->setAccessibleName(text::kNavigationCaption.trimmed());
    DBGrid1->setAccessibleDescription(text::kGridTip);
    QVector<int> cols;
    for (int i = 0; i <= 12; ++i) cols << i;
    gridModel1_ = new PartnerGridModel(&Beraktarozok, cols, ctx_.dialogs, this);
    for (int i = 0; i <= 12; ++i)
        gridModel1_->setHeaderCaption(i, QString::fromUtf8(kGridCaptions[i]));
    DBGrid1->setRecordModel(gridModel1_, ctx_.dialogs);
    for (const BoxSpec& b : kBoxes) {
        const int at = schema::beraktar().indexOf(QString::fromUtf8(b.column));
        if (at <= 12)
            DBGrid1->setKeyRules(at,
                                 QLatin1String(b.keys) == QLatin1String(kDigits) ||
                                         QLatin1String(b.keys) == QLatin1String("01234")
                                     ? KeyRules::Allowed::Digits
                                     : KeyRules::Allowed::Any,
                                 b.longest);
    }
    DBGrid1->horizontalHeader()->setDefaultSectionSize(105);
    DBGrid1->setColumnWidth(0, 220);
    DBGrid1->setMinimumHeight(200);
    connect(DBGrid1, &RecordGrid::headerClicked, this, &BeraktarozokFormX::DBGrid1_HeadClick);
    root->addWidget(DBGrid1, 1);

    navigation_ = new NavigationBar(&Beraktarozok, text::kNavigationCaption, this);
    navigation_->setObjectName(QStringLiteral("BeraktarozokNavigation"));
    navigation_->setToolTip(text::kNavigationTip);
    auto* navRow = new QHBoxLayout;
    navRow->addWidget(navigation_, 1);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setAccessibleName(text::kCheckTitle);
    navRow->addWidget(ProgressBar1, 1);
    root->addLayout(navRow);

    // The bound boxes in two columns, the country grid beside them.
    for (const BoxSpec& b : kBoxes) kit_->textBox(b.control, QString::fromUtf8(b.column));
    auto* block = new QHBoxLayout;
    auto* left = new QGridLayout;
    auto* right = new QGridLayout;
    left->setVerticalSpacing(4);
    right->setVerticalSpacing(4);
    auto row = [this](QGridLayout* grid, int r, const BoxSpec& b) {
        QLineEdit* e = text(b.control);
        grid->addWidget(kit_->caption({}, QString::fromUtf8(b.caption), e), r, 0, Qt::AlignRight);
        grid->addWidget(e, r, 1);
    };
    auto spec = [](const char* control) -> const BoxSpec& {
        for (const BoxSpec& b : kBoxes)
            if (qstrcmp(b.control, control) == 0)
                return b;
        return kBoxes[0];
    };
    int r = 0;
    for (const char* c : {"Text1", "Text2", "Text3", "Text4", "Text5", "Text6", "Text7", "Text8"})
        row(left, r++, spec(c));
    r = 0;
    for (const char* c : {"Text9", "Text13", "Text10", "Text14", "Text11"})
        row(right, r++, spec(c));
    ValueLabel* Label14 = kit_->valueLabel(QStringLiteral("Label14"), text::kCountryCaption,
                                           QStringLiteral("BerOrszag"));
    Label14->setMinimumWidth(60);
    Label14->setFrameShape(QFrame::StyledPanel);
    Command1 = kit_->button(QStringLiteral("Command1"), text::kCountry, {}, text::kCountryTip);
    connect(Command1, &QPushButton::clicked, this, &BeraktarozokFormX::Command1_Click);
    auto* country = new QHBoxLayout;
    country->addWidget(Label14);
    country->addWidget(Command1);
    country->addStretch(1);
    right->addWidget(kit_->caption(QStringLiteral("Label13"), text::kCountryCaption, Label14), r, 0,
                     Qt::AlignRight);
    right->addLayout(country, r++, 1);
    QLineEdit* Text12 = text("Text12");
    RichTextBox1 = new QTextEdit(this);
    RichTextBox1->setObjectName(QStringLiteral("RichTextBox1"));
    RichTextBox1->setReadOnly(true);
    RichTextBox1->setPlainText(text::kStatusLegend);
    RichTextBox1->setFixedHeight(62);
    RichTextBox1->setMinimumWidth(220);
    RichTextBox1->setAccessibleName(text::kStatusLegend);
    Text12->setMaximumWidth(40);
    auto* status = new QHBoxLayout;
    status->addWidget(Text12);
    status->addWidget(RichTextBox1, 1);
    right->addWidget(kit_->caption({}, QStringLiteral("Ügyféli státusz:"), Text12), r, 0,
                     Qt::AlignRight);
    right->addLayout(status, r++, 1);
    text("Text16")->setMaximumWidth(40);
    auto* kind = new QHBoxLayout;
    kind->addWidget(text("Text16"));
    kind->addStretch(1);
    right->addWidget(kit_->caption({}, QString::fromUtf8(spec("Text16").caption), text("Text16")),
                     r, 0, Qt::AlignRight);
    right->addLayout(kind, r++, 1);
    block->addLayout(left, 3);
    block->addSpacing(16);
    block->addLayout(right, 3);

    auto* countries = new QVBoxLayout;
    Data1Caption = new QLabel(text::kCountriesCaption, this);
    Data1Caption->setObjectName(QStringLiteral("Data1Caption"));
    DBGrid2 = new RecordGrid(this);
    DBGrid2->setObjectName(QStringLiteral("DBGrid2"));
    DBGrid2->setToolTip(text::kCountryGridTip);
    DBGrid2->setAccessibleName(text::kCountriesCaption);
    DBGrid2->setAccessibleDescription(text::kCountryGridTip);
    gridModel2_ = new ReadOnlyGridModel(&Data1, {0, 1}, ctx_.dialogs, this);
    DBGrid2->setRecordModel(gridModel2_, ctx_.dialogs);
    DBGrid2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid2->setFixedWidth(330);
    DBGrid2->horizontalHeader()->setStretchLastSection(true);
    connect(DBGrid2, &QAbstractItemView::doubleClicked, this, &BeraktarozokFormX::DBGrid2_DblClick);
    connect(DBGrid2, &RecordGrid::headerClicked, this, &BeraktarozokFormX::DBGrid2_HeadClick);
    countries->addWidget(Data1Caption);
    countries->addWidget(DBGrid2, 1);
    block->addLayout(countries, 0);
    root->addLayout(block);

    // Text1, the identifier, is shown bold on the information colour and
    // opened only when the full check asks for an identifier.
    QLineEdit* Text1 = text("Text1");
    QFont bold = Text1->font();
    bold.setBold(true);
    Text1->setFont(bold);
    QPalette info = Text1->palette();
    info.setColor(QPalette::Base, info.color(QPalette::ToolTipBase));
    info.setColor(QPalette::Text, info.color(QPalette::ToolTipText));
    Text1->setPalette(info);
    Text1->setEnabled(false);

    auto* buttons = new QHBoxLayout;
    Command2 = kit_->button(QStringLiteral("Command2"), text::kBack, {}, text::kBackTip);
    connect(Command2, &QPushButton::clicked, this, &BeraktarozokFormX::Command2_Click);
    Command4 = kit_->button(QStringLiteral("Command4"), text::kSave, {}, text::kSaveTip);
    connect(Command4, &QPushButton::clicked, this, &BeraktarozokFormX::Command4_Click);
    for (QPushButton* b : {Command2, Command4}) {
        b->setMinimumWidth(130);
        buttons->addWidget(b);
    }
    buttons->addStretch(1);
    root->addLayout(buttons);
}

void BeraktarozokFormX::buildMenus() {
    using M = MenuTable;
    auto on = [this](void (BeraktarozokFormX::*handler)()) {
        return [this, handler] { (this->*handler)(); };
    };
    const QList<M::Row> rows = {
        M::menu(QStringLiteral("Adatkezeles"), text::kMenuData),
        M::item(QStringLiteral("UjAdat"), text::kMenuNew, on(&BeraktarozokFormX::UjAdat_Click)),
        M::item(QStringLiteral("BeszallTorol"), text::kMenuDelete,
                on(&BeraktarozokFormX::BeszallTorol_Click)),
        M::item(QStringLiteral("Szerviz"), text::kMenuService,
                on(&BeraktarozokFormX::Szerviz_Click)),
        M::item(QStringLiteral("Valtozasok"), text::kMenuHistory,
                on(&BeraktarozokFormX::Valtozasok_Click)),
        M::item(QStringLiteral("Kilepes"), text::kMenuExit, on(&BeraktarozokFormX::Kilepes_Click)),
        M::menu(QStringLiteral("Szures"), text::kMenuFilter),
        M::item(QStringLiteral("Vevok"), text::kMenuCustomers, on(&BeraktarozokFormX::Vevok_Click)),
        M::item(QStringLiteral("Beszallitok"), text::kMenuSuppliers,
                on(&BeraktarozokFormX::Beszallitok_Click)),
        M::item(QStringLiteral("Minden"), text::kMenuAll, on(&BeraktarozokFormX::Minden_Click)),
        M::top(QStringLiteral("BeszNyom"), text::kMenuPrint,
               on(&BeraktarozokFormX::BeszNyom_Click)),
        M::top(QStringLiteral("Segedlet"), text::kMenuHelp, on(&BeraktarozokFormX::Segedlet_Click)),
    };
    menus_ = new MenuTable(menuBar_, rows, this);
}

void BeraktarozokFormX::applyKeyRules() {
    for (const BoxSpec& b : kBoxes) {
        QLineEdit* e = text(b.control);
        KeySetRule::install(e, ctx_.dialogs, QString::fromLatin1(b.keys), b.longest);
        // Text1 keeps its information colour; Text2 to Text16 turn cyan.
        if (qstrcmp(b.control, "Text1") != 0)
            FocusHighlighter::install(e);
    }
    FocusHighlighter::install(text("Text15"));
    SelectOnEntry::install(text("Text3"));
    // Installed after the binding, so it is asked first when Text16 is left.
    text("Text16")->installEventFilter(this);
}

bool BeraktarozokFormX::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && watched == text("Text16")) {
        QLineEdit* e = text("Text16");
        const QString upper = e->text().toUpper();
        if (upper != e->text()) {
            e->setText(upper);
            // What the program changes is written like what the user typed.
            emit e->textEdited(upper);
        }
    }
    return QDialog::eventFilter(watched, event);
}

// ---------------------------------------------------------------- creation, activation, exit

void BeraktarozokFormX::Form_Load() {
    ProgressBar1->setVisible(false);
    DBGrid2->setVisible(false);
    Data1Caption->setVisible(false);
}

bool BeraktarozokFormX::addFirstRow() {
    reportFailure(Beraktarozok.requery());
    if (!Beraktarozok.addNew() || !Beraktarozok.setField(kRecordId, qlonglong(1)) ||
        !Beraktarozok.update()) {
        Beraktarozok.cancelUpdate();
        return false;
    }
    Beraktarozok.moveLast();
    return true;
}

void BeraktarozokFormX::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        Form_Activate();
}

void BeraktarozokFormX::Form_Activate() {
    BusyCursor busy;
    QLineEdit* Text15 = text("Text15");
    Text15->setFocus();
    const QString name = ctx_.selectedPartner.name;
    Text15->setText(name);
    ctx_.helpTopic = QStringLiteral("BeraktarozokFormX");
    selected_ = false;
    if (Beraktarozok.recordCount() == 0) {
        if (!ctx_.readOnly() && !addFirstRow() && ctx_.dialogs)
            ctx_.dialogs->beep();
        return;
    }
    Beraktarozok.moveFirst();
    if (!name.isEmpty()) {
        // The passed name itself, letter case aside.
        const Condition c = Condition::like(kBerNev, Condition::literalPattern(name));
        criterion_ = name;
        if (!(Beraktarozok.findFirst(c).ok() && !Beraktarozok.noMatch()))
            Beraktarozok.moveFirst();
    }
}

void BeraktarozokFormX::storeCurrentRow() {
    binder_->commit();
    if (Beraktarozok.editPending()) {
        reportFailure(Beraktarozok.update());
    }
}

void BeraktarozokFormX::Kilepes_Click() {
    if (unloaded_)
        return;
    SetQui(false);
    storeCurrentRow();
    if (selected_) {
        ctx_.selectedPartner.name = text("Text2")->text();
        unload();
        return;
    }
    if (Beraktarozok.recordCount() > 0 && !ctx_.readOnly()) {
        ProgressBar1->setMinimum(0);
        ProgressBar1->setValue(0);
        ProgressBar1->setVisible(true);
        bool check = false;
        {
            BusyCursor busy;
            if (!Beraktarozok.requery() && ctx_.dialogs)
                ctx_.dialogs->beep();
            Beraktarozok.moveLast();
            DBGrid1->setVisible(false);
        }
        if (ctx_.dialogs) {
            ctx_.dialogs->beep();
            check = ctx_.dialogs->ask(text::kCheckAsk, text::kCheckTitle, Icon::Question);
        }
        if (check) {
            BusyCursor busy;
            criterion_.clear();
            const int total = Beraktarozok.recordCount();
            ProgressBar1->setMaximum(total);
            const int step = std::max(1, total / 100);
            // The rows are read where they stand, without making each the
            // current row (which would fill every box and the grid on the
            // way); the nameless ones are deleted afterwards, last first, in
            // one transaction. A row that cannot be deleted stays.
            const int idColumn = Beraktarozok.columnIndex(kRecordId);
            const int nameColumn = Beraktarozok.columnIndex(kBerNev);
            std::vector<int> nameless;
            for (int n = 0; n < total; ++n) {
                if (isMissingId(Beraktarozok.valueAt(n, idColumn)))
                    criterion_ = QStringLiteral("i");
                if (Funcs::TextOrEmpty(Beraktarozok.valueAt(n, nameColumn)).toString().isEmpty())
                    nameless.push_back(n);
                if ((n + 1) % step == 0 || n + 1 == total) {
                    ProgressBar1->setValue(n + 1);
                    ProgressBar1->repaint();
                }
            }
            // The nameless rows go together: all or none.
            if (!nameless.empty())
                reportFailure(Beraktarozok.deleteRows(std::move(nameless)));
            Beraktarozok.moveLast();
            if (criterion_ == QLatin1String("i")) {
                // The window stays open on the identifier box, with its grid.
                ProgressBar1->setVisible(false);
                DBGrid1->setVisible(true);
                if (Beraktarozok.recordCount() > 0)
                    Beraktarozok.moveFirst();
                if (ctx_.dialogs) {
                    ctx_.dialogs->alert(text::kNoIdentifier, text::kNoIdentifierTitle,
                                        Icon::Critical);
                }
                QLineEdit* Text1 = text("Text1");
                Text1->setEnabled(true);
                Text1->setFocus();
                return;
            }
        }
    }
    unload();
}

void BeraktarozokFormX::unload() {
    ProgressBar1->setVisible(false);
    reportFailure(Beraktarozok.requery());
    Beraktarozok.close();
    Data1.close();
    unloaded_ = true;
    done(QDialog::Accepted);
}

void BeraktarozokFormX::closedWithoutExit() {
    if (unloaded_)
        return;
    storeCurrentRow();
    unload();
}

void BeraktarozokFormX::Command2_Click() {
    busy::run(Command2, [this] {
        ctx_.selectedPartner.name = text("Text2")->text();
        ctx_.selectedPartner.seat = text("Text4")->text();
        ctx_.selectedPartner.address = text("Text5")->text();
        selected_ = true;
    });
    Kilepes_Click();
}

// ---------------------------------------------------------------- finding and filtering

void BeraktarozokFormX::Text15_Change() {
    if (Beraktarozok.recordCount() == 0)
        return;
    const QString typed = text("Text15")->text();
    if (typed.isEmpty())
        return;
    BusyCursor busy;
    bool found;
    // "*" and "?" typed in are wildcards; without them the prefix is found
    // through the name's index.
    if (typed.contains(QLatin1Char('*')) || typed.contains(QLatin1Char('?'))) {
        QString pattern = typed;
        pattern.replace(QLatin1Char('['), QStringLiteral("[[]"));
        found = Beraktarozok.findFirst(Condition::like(kBerNev, pattern + QLatin1Char('*'))).ok() &&
                !Beraktarozok.noMatch();
    } else {
        found = Beraktarozok.findFirstPrefix(kBerNev, typed).ok() && !Beraktarozok.noMatch();
    }
    criterion_ = typed + QLatin1Char('*');
    if (found) {
        savedMark_ = Beraktarozok.bookmark();
    } else if (savedMark_ < 0 || !Beraktarozok.setBookmark(savedMark_)) {
        Beraktarozok.moveFirst();
    }
}

void BeraktarozokFormX::applyFilter(const Condition& where) {
    storeCurrentRow();
    BusyCursor busy;
    Beraktarozok.setQuery(Query(schema::beraktar(), where, {{kBerNev}}));
    reportFailure(Beraktarozok.refresh());
    if (Beraktarozok.recordCount() > 0)
        Beraktarozok.moveFirst();
}

void BeraktarozokFormX::Vevok_Click() {
    applyFilter(Condition::equals(QStringLiteral("VevöBeszállitó"), QStringLiteral("V")));
}

void BeraktarozokFormX::Beszallitok_Click() {
    applyFilter(Condition::equals(QStringLiteral("VevöBeszállitó"), QStringLiteral("B")));
}

void BeraktarozokFormX::Minden_Click() {
    applyFilter({});
}

// ---------------------------------------------------------------- country pick

void BeraktarozokFormX::Command1_Click() {
    const QString answer =
        ctx_.dialogs ? ctx_.dialogs->input(text::kCountryPrompt, text::kCountryTitle) : QString();
    if (answer.isEmpty())
        return;
    BusyCursor busy;
    QString pattern = answer;
    pattern.replace(QLatin1Char('['), QStringLiteral("[[]"));
    if (!(Data1
              .findFirst(
                  Condition::like(QStringLiteral("OrszágMegnevezés"), pattern + QLatin1Char('*')))
              .ok() &&
          !Data1.noMatch())) {
        if (ctx_.dialogs) {
            ctx_.dialogs->alert(text::kNoSuchCountry, text::kNoSuchCountryTitle, Icon::Warning);
        }
        Data1.moveFirst();
    }
    Data1Caption->setVisible(true);
    DBGrid2->setVisible(true);
    DBGrid2->setFocus();
}

void BeraktarozokFormX::DBGrid2_DblClick(const QModelIndex& index) {
    if (index.isValid())
        Data1.moveTo(index.row());
    if (Beraktarozok.recordCount() > 0 && !Beraktarozok.bof() && !Beraktarozok.eof() &&
        !Data1.bof() && !Data1.eof()) {
        BusyCursor busy;
        binder_->commit();
        Status stored = Beraktarozok.setField(QStringLiteral("BerOrszag"),
                                              Data1.field(QStringLiteral("OrszágKód")));
        if (stored)
            stored = Beraktarozok.update();
        if (!stored) {
            Beraktarozok.cancelUpdate();
            showDatabaseError(stored.errorText());
        }
    }
    DBGrid2->setVisible(false);
    Data1Caption->setVisible(false);
}

// ---------------------------------------------------------------- new, save, delete, renumber

void BeraktarozokFormX::UjAdat_Click() {
    storeCurrentRow();
    BusyCursor busy;
    // The next identifier is read over the whole register, whatever the
    // filter: the filter is dropped, and an empty filtered list does not
    // mean an empty register.
    Beraktarozok.setQuery(Query(schema::beraktar(), {}, {{kRecordId}}));
    if (!reportFailure(Beraktarozok.refresh()))
        return;
    qlonglong id = 1;
    if (Beraktarozok.recordCount() > 0) {
        Beraktarozok.moveLast();
        id = Funcs::NumOrZero(Beraktarozok.field(kRecordId)).toLongLong() + 1;
    }
    Status added = Beraktarozok.addNew();
    if (added)
        added = Beraktarozok.setField(kRecordId, id);
    if (added)
        added = Beraktarozok.update();
    if (!added) {
        const QString error = added.errorText();
        Beraktarozok.cancelUpdate();
        showDatabaseError(error);
        return;
    }
    Beraktarozok.moveLast();
    if (const Status search = Beraktarozok.findFirst(Condition::equals(kRecordId, id));
        search && !Beraktarozok.noMatch()) {
        ProgressBar1->setVisible(false);
        text("Text2")->setFocus();
    } else if (ctx_.dialogs) {
        ctx_.dialogs->beep();
    }
}

void BeraktarozokFormX::Command4_Click() {
    busy::run(Command4, [this] {
        BusyCursor busy;
        binder_->commit();
        if (Beraktarozok.recordCount() == 0) {
            if (!addFirstRow() && ctx_.dialogs)
                ctx_.dialogs->beep();
            return;
        }
        if (Beraktarozok.bof() || Beraktarozok.eof())
            Beraktarozok.moveLast();
        savedMark_ = Beraktarozok.bookmark();
        // Leaving the row writes what was typed into it.
        Beraktarozok.moveLast();
        Beraktarozok.moveFirst();
        if (!Beraktarozok.setBookmark(savedMark_)) {
            if (ctx_.dialogs)
                ctx_.dialogs->beep();
            if (Beraktarozok.recordCount() > 0)
                Beraktarozok.moveLast();
        }
    });
}

void BeraktarozokFormX::BeszallTorol_Click() {
    if (Beraktarozok.recordCount() == 0 || !ctx_.dialogs)
        return;
    if (rightsLevel() > 1) {
        ctx_.dialogs->message(text::kRightsNeeded, text::kRightsTitle.arg(rightsLevel()),
                              Icon::Information);
        return;
    }
    ctx_.dialogs->beep();
    if (!ctx_.dialogs->ask(text::kDeleteAsk, text::kDeleteTitle, Icon::Warning))
        return;
    BusyCursor busy;
    if (Beraktarozok.bof() || Beraktarozok.eof() || !Beraktarozok.deleteCurrent()) {
        ctx_.dialogs->alert(text::kLocked, text::kLockedTitle, Icon::Critical);
        return;
    }
    // After the last row the one before it is shown, not an empty row.
    if (Beraktarozok.eof() && Beraktarozok.recordCount() > 0)
        Beraktarozok.moveLast();
}

void BeraktarozokFormX::Valtozasok_Click() {
    if (!betarol_)
        return;
    storeCurrentRow();
    const qint64 key = Beraktarozok.eof() || Beraktarozok.bof() || Beraktarozok.addingNew()
                           ? -1
                           : Beraktarozok.bookmark();
    // Partners brought back are read again, the one shown before staying current.
    if (ValtozasokFormX::open(ctx_, *betarol_, schema::beraktar(), key, this)) {
        reportFailure(Beraktarozok.refresh());
        if (key >= 0)
            (void)Beraktarozok.setBookmark(key);
    }
}

void BeraktarozokFormX::Szerviz_Click() {
    if (Beraktarozok.recordCount() == 0)
        return;
    storeCurrentRow();
    if (ctx_.dialogs) {
        ctx_.dialogs->beep();
        if (!ctx_.dialogs->ask(text::kRenumberAsk, text::kRenumberTitle, Icon::Question))
            return;
    }
    BusyCursor busy;
    if (Beraktarozok.bof() || Beraktarozok.eof())
        return;
    qlonglong n = Funcs::NumOrZero(Beraktarozok.field(kRecordId)).toLongLong();
    if (isMissingId(Beraktarozok.field(kRecordId))) {
        if (!Beraktarozok.setField(kRecordId, qlonglong(1)).ok() || !Beraktarozok.update().ok()) {
            Beraktarozok.cancelUpdate();
            return;
        }
        n = 1;
    }
    if (n <= 0)
        return;
    // One transaction only spares a disk sync per row: without it each row
    // is written on its own.
    const bool together = reportFailure(betarol_->begin());
    while (!Beraktarozok.eof()) {
        // A row that cannot take its number is skipped; the number goes on.
        if (!Beraktarozok.setField(kRecordId, n).ok() || !Beraktarozok.update().ok())
            Beraktarozok.cancelUpdate();
        ++n;
        Beraktarozok.moveNext();
    }
    // Without the transaction each row was written on its own.
    if (together) {
        if (const Status committed = betarol_->commit(); !committed) {
            betarol_->rollback();
            showDatabaseError(committed.errorText());
        }
    }
    Beraktarozok.moveLast();
}

// ---------------------------------------------------------------- sorting

void BeraktarozokFormX::DBGrid1_HeadClick(int column) {
    storeCurrentRow();
    sortOnHeader(Beraktarozok, 1, gridModel1_->columnName(column));
}

void BeraktarozokFormX::DBGrid2_HeadClick(int column) {
    storeCurrentRow();
    sortOnHeader(Data1, 2, gridModel2_->columnName(column));
}

// ---------------------------------------------------------------- print and help

void BeraktarozokFormX::BeszNyom_Click() {
    storeCurrentRow();
    std::optional<BusyCursor> busy;
    busy.emplace();
    if (Beraktarozok.recordCount() == 0) {
        busy.reset();
        if (ctx_.dialogs) {
            ctx_.dialogs->alert(text::kNothingToPrint, text::kAttention, Icon::Warning);
        }
        return;
    }
    // The print starts at the current row.
    if (Beraktarozok.bof())
        Beraktarozok.moveFirst();
    pageCounter_ = 1;
    auto page = std::make_unique<BeszallitoNyomFormX>(ctx_, this);
    page->preparePage(pageCounter_);
    int slot = 1;
    auto show = [&] {
        busy.reset();
        if (ctx_.opener)
            ctx_.opener->openModal(*page);
        return page->stopFlag() == 1;
    };
    auto textOf = [this](const char* column) {
        return Funcs::TextOrEmpty(Beraktarozok.field(QString::fromUtf8(column))).toString();
    };
    for (;;) {
        if (Beraktarozok.eof()) {
            const bool stopped = show();
            if (!stopped && Beraktarozok.recordCount() > 0)
                Beraktarozok.moveLast();
            return;
        }
        page->fillRow(slot, {textOf("BerNev"), textOf("BerIrszam"), textOf("BerOrszag"),
                             textOf("BerSzekhely"), textOf("BerCim"),
                             textOf("BerTelefon") + QStringLiteral(" / ") + textOf("BerFax")});
        Beraktarozok.moveNext();
        if (++slot == BeszallitoNyomFormX::kRows + 1) {
            if (show())
                return;
            busy.emplace();
            ++pageCounter_;
            page = std::make_unique<BeszallitoNyomFormX>(ctx_, this);
            page->preparePage(pageCounter_);
            slot = 1;
        }
    }
}

void BeraktarozokFormX::Segedlet_Click() {
    storeCurrentRow();
    ctx_.helpTopic = QStringLiteral("BeraktarozokFormX");
    HelpFormX help(ctx_, this);
    if (ctx_.opener)
        ctx_.opener->openModal(help);
    Form_Activate();
}

}  // namespace vela
