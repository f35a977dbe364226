#include "bankwindow/bankkivonatformx.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QSpinBox>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include "import/camtreader.h"
#include "ledgercore/ledgerrules.h"
#include "reports/document.h"
#include "storage/bankbookings.h"
#include "storage/columns.h"
#include "storage/database.h"
#include "storage/values.h"
#include "ui/appcontext.h"
#include "ui/busycursor.h"
#include "ui/dialogservice.h"
#include "ui/formkit.h"
#include "ui/printerservice.h"
#include "ui/windowopener.h"

namespace vela {

using Icon = DialogService::Icon;

namespace {

namespace text {
const QString caption = QStringLiteral("Bankkivonat - VelaData");
const QString attention = QStringLiteral("FIGYELEM!");
const QString error = QStringLiteral("FIGYELEM! HIBA!");
const QString noDatabase = QStringLiteral("Az adatbázis nem nyitható meg: %1");
const QString filePrompt = QStringLiteral("A bankszámlakivonat fájlja (camt.053 XML vagy CSV):");
const QString severalStatements = QStringLiteral(
    "A fájlban %1 kivonat van; az elsőt (%2) mutatom. A többit külön fájlban "
    "kérje a banktól.");
const QString noStatement = QStringLiteral("Előbb olvasson be egy bankszámlakivonatot!");
const QString chooseLine = QStringLiteral("Álljon a kivonat egy tételére!");
const QString chooseOpen = QStringLiteral(
    "Válasszon egy nyitott tételt az alsó táblázatban (a keresőbe írhat "
    "számlaszámot, partnert vagy összeget)!");
const QString bookedLine = QStringLiteral("Ezt a tételt már lekönyvelték; nem módosítható.");
const QString nothingLeft = QStringLiteral(
    "A tétel teljes összege már el van osztva a választott számlák között; több számla nem "
    "fér hozzá.");
const QString alreadyOn = QStringLiteral("Ez a számla már szerepel a tétel javaslatában.");
const QString noProposal =
    QStringLiteral("Ehhez a tételhez nincs számla: előbb rendeljen hozzá egyet!");
const QString nothingTicked = QStringLiteral("Nincs kijelölt tétel, amelyet le lehetne könyvelni.");
const QString bookQuestion =
    QStringLiteral("%1 kijelölt tételt könyvel le a kivonatról (%2 számla). Folytatja?");
const QString bookFailed =
    QStringLiteral("A kiegyenlítés nem sikerült, ezért egyetlen tétel sem lett lekönyvelve.\n\n%1");
const QString bookDone = QStringLiteral(
    "Lekönyvelve: %1 tétel (%2 számla kivezetve, %3 részfizetés).\nKorábban már "
    "lekönyvelve: %4 tétel.\nA felhasználóra vár: %5 tétel.");
const QString pdfPrompt = QStringLiteral("A PDF fájl neve:");
const QString pdfDone = QStringLiteral("A PDF elkészült: %1");
const QString overwrite = QStringLiteral("A(z) %1 már létezik. Felülírja?");
const QString notReady = QStringLiteral("A nyomtató nem áll készen!");
const QString printError = QStringLiteral("A nyomtatás nem sikerült: %1");
const QString csvBad = QStringLiteral("A CSV-oszlopkiosztás hibás: %1");
const QString csvNotKept =
    QStringLiteral("A kivonat beolvasva, de a CSV-oszlopkiosztás nem menthető: %1");
const QString byHandNote = QStringLiteral("Kézzel választva.");
const QString summaryTitle = QStringLiteral("Bankkivonat könyvelése");
}  // namespace text

const QStringList& gridHeadings() {
    static const QStringList h{QStringLiteral("Könyvel"),   QStringLiteral("Dátum"),
                               QStringLiteral("Összeg"),    QStringLiteral("Küldő/Kedvezményezett"),
                               QStringLiteral("Közlemény"), QStringLiteral("Nyilvántartás"),
                               QStringLiteral("Sorszám"),   QStringLiteral("Számlaszám"),
                               QStringLiteral("Partner"),   QStringLiteral("Nyitott összeg"),
                               QStringLiteral("Javaslat"),  QStringLiteral("Megjegyzés")};
    return h;
}

QString kindText(const BankkivonatFormX::Line& l) {
    if (l.bookedNow)
        return QStringLiteral("Lekönyvelve");
    switch (l.proposal.kind) {
        case ProposalKind::Whole:
            return QStringLiteral("Teljes kiegyenlítés");
        case ProposalKind::Part:
            return QStringLiteral("Részfizetés");
        case ProposalKind::Several:
            return QStringLiteral("Több számla");
        case ProposalKind::AlreadyBooked:
            return QStringLiteral("Már lekönyvelve");
        case ProposalKind::None:
            break;
    }
    return QStringLiteral("Nincs javaslat");
}

QString ledgerText(OpenLedger l) {
    return l == OpenLedger::Payables ? QStringLiteral("Tartozunk (Szállító)")
                                     : QStringLiteral("Tartoznak (Vevő)");
}

QString money(BankAmount a, const QString& currency) {
    const int decimals = currency::isoDecimals(currency);
    return values::formatNumber(a.rounded(decimals).toDouble()) + QLatin1Char(' ') + currency;
}

QTableWidgetItem* cell(const QString& s, bool right = false) {
    auto* item = new QTableWidgetItem(s);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    if (right)
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

// A camt file starts, after an optional byte-order mark and blanks, with '<'.
bool looksLikeXml(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return path.endsWith(QLatin1String(".xml"), Qt::CaseInsensitive);
    QByteArray head = f.read(256);
    if (head.startsWith("\xEF\xBB\xBF"))
        head.remove(0, 3);
    return head.trimmed().startsWith('<');
}

bool canBook(const BankkivonatFormX::Line& l) {
    return !l.bookedNow && !l.bookedBefore && l.proposal.kind != ProposalKind::AlreadyBooked &&
           !l.proposal.lines.empty();
}

struct SpinDef {
    const char* name;
    const char* caption;
    int CsvMapping::*field;
    int least;
};
const SpinDef kSpins[] = {
    {"Spin0", "Fejlécsorok:", &CsvMapping::headerRows, 0},
    {"Spin1", "Dátum:", &CsvMapping::dateColumn, 1},
    {"Spin2", "Értéknap:", &CsvMapping::valueDateColumn, 0},
    {"Spin3", "Összeg (előjeles):", &CsvMapping::amountColumn, 0},
    {"Spin4", "Terhelés:", &CsvMapping::debitColumn, 0},
    {"Spin5", "Jóváírás:", &CsvMapping::creditColumn, 0},
    {"Spin6", "Devizanem:", &CsvMapping::currencyColumn, 0},
    {"Spin7", "Partner neve:", &CsvMapping::nameColumn, 0},
    {"Spin8", "Partner számlaszáma:", &CsvMapping::accountColumn, 0},
    {"Spin9", "Közlemény:", &CsvMapping::remittanceColumn, 0},
    {"Spin10", "Banki azonosító:", &CsvMapping::referenceColumn, 0},
};

}  // namespace

BankkivonatFormX::BankkivonatFormX(AppContext& ctx, QWidget* parent)
    : WindowBase(ctx, parent),
      clock_([] { return QDateTime::currentDateTime(); }),
      today_(QDate::currentDate()) {
    setObjectName(QStringLiteral("BankkivonatFormX"));
    setWindowTitle(text::caption);
    buildControls();
    loadCsvMapping();
    resize(1200, 700);
}

BankkivonatFormX::~BankkivonatFormX() = default;

void BankkivonatFormX::open(AppContext& ctx, QWidget* parent, const QString& file) {
    if (!ctx.db.veladata) {
        ctx.dialogs->alert(text::noDatabase.arg(ctx.db.veladataStatus.errorText()), text::error,
                           Icon::Critical);
        return;
    }
    BankkivonatFormX window(ctx, parent);
    if (!file.isEmpty())
        window.openFile(file);
    if (ctx.opener)
        ctx.opener->openModal(window);
}

const std::vector<OpenItem>& BankkivonatFormX::openItems() const {
    static const std::vector<OpenItem> none;
    return matcher_ ? matcher_->items() : none;
}

void BankkivonatFormX::buildControls() {
    auto* root = new QVBoxLayout(this);
    FormKit kit(this);

    auto* head = new QHBoxLayout;
    Label1 = kit.valueLabel(QStringLiteral("Label1"), QStringLiteral("Kivonat:"));
    Label2 = kit.valueLabel(QStringLiteral("Label2"), QStringLiteral("Számla:"));
    Label3 = kit.valueLabel(QStringLiteral("Label3"), QStringLiteral("Készült:"));
    Label4 = kit.valueLabel(QStringLiteral("Label4"), QStringLiteral("Tételek:"));
    for (ValueLabel* l : {Label1, Label2, Label3, Label4}) {
        head->addWidget(new QLabel(l->caption(), this));
        head->addWidget(l);
        head->addSpacing(12);
    }
    head->addStretch(1);
    head->addWidget(kit.button(QStringLiteral("Megnyitas"), QStringLiteral("&Megnyitás…"),
                               [this] { Megnyitas_Click(); }));
    root->addLayout(head);

    auto* split = new QSplitter(Qt::Vertical, this);
    DBGrid1 = new QTableWidget(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setAccessibleName(QStringLiteral("A kivonat tételei és a javaslatok"));
    DBGrid1->setColumnCount(int(gridHeadings().size()));
    DBGrid1->setHorizontalHeaderLabels(gridHeadings());
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->verticalHeader()->hide();
    DBGrid1->setWordWrap(true);
    connect(DBGrid1, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (!filling_ && item->column() == 0)
            setTicked(item->row(), item->checkState() == Qt::Checked);
    });
    connect(DBGrid1, &QTableWidget::currentCellChanged, this, [this] { DBGrid1_RowColChange(); });
    split->addWidget(DBGrid1);

    auto* lower = new QWidget(this);
    auto* lowerLayout = new QHBoxLayout(lower);
    lowerLayout->setContentsMargins(0, 0, 0, 0);
    auto* finderBox = new QVBoxLayout;
    auto* findLine = new QHBoxLayout;
    Text1 = kit.textBox(QStringLiteral("Text1"));
    findLine->addWidget(kit.caption(QStringLiteral("Label6"),
                                    QStringLiteral("&Keresés a nyitott tételek között:"), Text1));
    findLine->addWidget(Text1, 1);
    connect(Text1, &QLineEdit::textChanged, this, [this] { Text1_Change(); });
    finderBox->addLayout(findLine);
    DBGrid2 = new QTableWidget(this);
    DBGrid2->setObjectName(QStringLiteral("DBGrid2"));
    DBGrid2->setAccessibleName(QStringLiteral("Nyitott tételek"));
    DBGrid2->setColumnCount(6);
    DBGrid2->setHorizontalHeaderLabels(
        {QStringLiteral("Sorszám"), QStringLiteral("Számlaszám"), QStringLiteral("Partner"),
         QStringLiteral("Bruttó"), QStringLiteral("Nyitott összeg"), QStringLiteral("Devizanem")});
    DBGrid2->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid2->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid2->verticalHeader()->hide();
    DBGrid2->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
    connect(DBGrid2, &QTableWidget::cellDoubleClicked, this, [this] { Hozzarendel_Click(); });
    finderBox->addWidget(DBGrid2, 1);
    auto* finderButtons = new QHBoxLayout;
    finderButtons->addWidget(kit.button(
        QStringLiteral("Hozzarendel"), QStringLiteral("&Erre a számlára"),
        [this] { Hozzarendel_Click(); },
        QStringLiteral("A tétel a kijelölt nyitott számlát fizeti")));
    finderButtons->addWidget(kit.button(
        QStringLiteral("Hozzaad"), QStringLiteral("Meg&osztás ezzel is"),
        [this] { Hozzaad_Click(); },
        QStringLiteral("A tétel összegéből a kijelölt számlára is "
                       "jut")));
    finderButtons->addWidget(kit.button(
        QStringLiteral("Elvet"), QStringLiteral("&Nincs számla"), [this] { Elvet_Click(); },
        QStringLiteral("A tételhez nem tartozik számla")));
    finderButtons->addStretch(1);
    finderBox->addLayout(finderButtons);
    lowerLayout->addLayout(finderBox, 3);
    // The mapping's many fields scroll, so the statement's lines keep the room.
    auto* csvScroll = new QScrollArea(this);
    csvScroll->setObjectName(QStringLiteral("CsvScroll"));
    csvScroll->setWidgetResizable(true);
    csvScroll->setFrameShape(QFrame::NoFrame);
    csvScroll->setWidget(buildCsvPanel());
    lowerLayout->addWidget(csvScroll, 1);
    split->addWidget(lower);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    split->setSizes({360, 260});
    root->addWidget(split, 1);

    auto* buttons = new QHBoxLayout;
    Label5 = kit.valueLabel(QStringLiteral("Label5"), QStringLiteral("Könyvelés:"));
    buttons->addWidget(Label5, 1);
    buttons->addWidget(kit.button(
        QStringLiteral("Kiegyenlites"), QStringLiteral("Ki&egyenlítés"),
        [this] { Kiegyenlites_Click(); }, QStringLiteral("A kijelölt tételek lekönyvelése")));
    buttons->addWidget(kit.button(QStringLiteral("Nyomtatas"), QStringLiteral("Nyomta&tás"),
                                  [this] { Nyomtatas_Click(); }));
    buttons->addWidget(kit.button(QStringLiteral("PdfMentes"), QStringLiteral("&PDF mentése"),
                                  [this] { PdfMentes_Click(); }));
    buttons->addWidget(kit.button(QStringLiteral("Kilepes"), QStringLiteral("&Kilépés"),
                                  [this] { Kilepes_Click(); }));
    root->addLayout(buttons);
}

QWidget* BankkivonatFormX::buildCsvPanel() {
    auto* box = new QGroupBox(QStringLiteral("CSV-kivonat oszlopai"), this);
    box->setObjectName(QStringLiteral("Frame1"));
    FormKit kit(box);
    auto* g = new QGridLayout(box);
    int row = 0;
    Combo1 = new QComboBox(box);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->addItem(QStringLiteral("pontosvessző (;)"), QStringLiteral(";"));
    Combo1->addItem(QStringLiteral("vessző (,)"), QStringLiteral(","));
    Combo1->addItem(QStringLiteral("tabulátor"), QStringLiteral("\t"));
    g->addWidget(kit.caption(QStringLiteral("Label10"), QStringLiteral("Elválasztó:"), Combo1), row,
                 0);
    g->addWidget(Combo1, row++, 1);
    Combo2 = new QComboBox(box);
    Combo2->setObjectName(QStringLiteral("Combo2"));
    Combo2->addItem(QStringLiteral("UTF-8"));
    Combo2->addItem(QStringLiteral("Windows-1250"));
    g->addWidget(kit.caption(QStringLiteral("Label11"), QStringLiteral("Kódolás:"), Combo2), row,
                 0);
    g->addWidget(Combo2, row++, 1);
    Check1 = new QCheckBox(QStringLiteral("Tizedesvessző"), box);
    Check1->setObjectName(QStringLiteral("Check1"));
    g->addWidget(Check1, row++, 1);
    Text2 = kit.textBox(QStringLiteral("Text2"));
    Text2->setToolTip(QStringLiteral("Például yyyy.MM.dd; üresen a szokásos formák"));
    g->addWidget(kit.caption(QStringLiteral("Label12"), QStringLiteral("Dátumforma:"), Text2), row,
                 0);
    g->addWidget(Text2, row++, 1);
    Text3 = kit.textBox(QStringLiteral("Text3"));
    g->addWidget(kit.caption(QStringLiteral("Label13"), QStringLiteral("Alap devizanem:"), Text3),
                 row, 0);
    g->addWidget(Text3, row++, 1);
    for (int i = 0; i < int(std::size(kSpins)); ++i) {
        QSpinBox* s = new QSpinBox(box);
        s->setObjectName(QLatin1String(kSpins[i].name));
        s->setRange(kSpins[i].least, 99);
        // "nincs" stands for 0, a column not in the file; a column that must
        // be there (the date) shows its number from 1 on.
        if (i > 0 && kSpins[i].least == 0)
            s->setSpecialValueText(QStringLiteral("nincs"));
        Spin[i] = s;
        g->addWidget(kit.caption(QStringLiteral("Label%1").arg(20 + i),
                                 QString::fromUtf8(kSpins[i].caption), s),
                     row, 0);
        g->addWidget(s, row++, 1);
    }
    g->setRowStretch(row, 1);
    return box;
}

CsvMapping BankkivonatFormX::csvMapping() const {
    CsvMapping m;
    m.separator = Combo1->currentData().toString().at(0);
    m.decimalComma = Check1->isChecked();
    m.encoding = Combo2->currentIndex() == 1 ? CsvMapping::Encoding::Windows1250
                                             : CsvMapping::Encoding::Utf8;
    m.dateFormat = Text2->text().trimmed();
    m.defaultCurrency = Text3->text().trimmed().isEmpty() ? QStringLiteral("HUF")
                                                          : Text3->text().trimmed().toUpper();
    for (int i = 0; i < int(std::size(kSpins)); ++i) m.*(kSpins[i].field) = Spin[i]->value();
    return m;
}

void BankkivonatFormX::setCsvMapping(const CsvMapping& m) {
    const int sep = Combo1->findData(QString(m.separator));
    Combo1->setCurrentIndex(sep < 0 ? 0 : sep);
    Check1->setChecked(m.decimalComma);
    Combo2->setCurrentIndex(m.encoding == CsvMapping::Encoding::Windows1250 ? 1 : 0);
    Text2->setText(m.dateFormat);
    Text3->setText(m.defaultCurrency);
    for (int i = 0; i < int(std::size(kSpins)); ++i) Spin[i]->setValue(m.*(kSpins[i].field));
}

void BankkivonatFormX::loadCsvMapping() {
    CsvMapping m;
    if (Database* p = ctx_.db.parameters.get()) {
        // A mapping that cannot be read leaves the usual one: the user sets it again.
        if (const Result<QString> stored = bankbook::readCsvMapping(*p);
            stored && !stored->isEmpty()) {
            if (const Result<CsvMapping> read = CsvMapping::fromText(*stored); read)
                m = *read;
        }
    }
    setCsvMapping(m);
}

void BankkivonatFormX::keepCsvMapping(const CsvMapping& m) {
    Database* p = ctx_.db.parameters.get();
    if (!p) {
        showError(text::csvNotKept.arg(ctx_.db.parametersStatus.errorText()));
        return;
    }
    const Result<QString> stored = bankbook::readCsvMapping(*p);
    if (stored && *stored == m.toText())
        return;
    if (Status s = bankbook::writeCsvMapping(*p, m.toText()); !s)
        showError(text::csvNotKept.arg(s.errorText()));
}

void BankkivonatFormX::showError(const QString& message) {
    BusyCursor::Suspend normal;
    ctx_.dialogs->alert(message, text::error, Icon::Critical);
}

void BankkivonatFormX::Megnyitas_Click() {
    const QString folder = ctx_.dataFolder.isEmpty() ? QDir::currentPath() : ctx_.dataFolder;
    const QString offered = statement_.sourceName.isEmpty()
                                ? QDir(folder).filePath(QStringLiteral("bank")) + QDir::separator()
                                : statement_.sourceName;
    const QString path = ctx_.dialogs->input(text::filePrompt, text::caption, offered).trimmed();
    if (path.isEmpty())
        return;
    openFile(path);
}

bool BankkivonatFormX::openFile(const QString& path) {
    if (!ctx_.db.veladata) {
        showError(text::noDatabase.arg(ctx_.db.veladataStatus.errorText()));
        return false;
    }
    if (!readStatement(path))
        return false;
    lastBooking_ = {};
    Label5->setValue(QString());
    return match();
}

bool BankkivonatFormX::readStatement(const QString& path) {
    BankStatement read;
    if (looksLikeXml(path)) {
        Result<std::vector<BankStatement>> camt = Error{};
        {
            BusyCursor busy;
            camt = CamtReader::readFile(path);
        }
        if (!camt) {
            showError(camt.errorText());
            return false;
        }
        if (camt->empty()) {
            showError(QStringLiteral("A(z) „%1” nem tartalmaz kivonatot.")
                          .arg(QDir::toNativeSeparators(path)));
            return false;
        }
        if (camt->size() > 1) {
            BusyCursor::Suspend normal;
            ctx_.dialogs->message(
                text::severalStatements.arg(camt->size()).arg(camt->front().number()),
                text::attention, Icon::Information);
        }
        read = std::move(camt->front());
    } else {
        const CsvMapping m = csvMapping();
        if (const QString problem = m.problem(); !problem.isEmpty()) {
            showError(text::csvBad.arg(problem));
            return false;
        }
        Result<BankStatement> csv = Error{};
        {
            BusyCursor busy;
            csv = CsvStatementReader::readFile(path, m);
        }
        if (!csv) {
            showError(csv.errorText());
            return false;
        }
        read = std::move(*csv);
        keepCsvMapping(m);
    }
    statement_ = std::move(read);
    return true;
}

bool BankkivonatFormX::match() {
    Database& db = *ctx_.db.veladata;
    BusyCursor busy;
    std::vector<OpenItem> items;
    // The ledger's own open invoices, with what their partial payments have paid.
    for (OpenLedger ledger : {OpenLedger::Receivables, OpenLedger::Payables}) {
        const Result<std::vector<bankbook::OpenRow>> rows =
            bankbook::openRows(db, StatementBooking::ledgerTable(ledger), ledger::openInvoices(),
                               ledger::openPartialPayments());
        if (!rows) {
            showDatabaseError(rows.errorText());
            return false;
        }
        for (const bankbook::OpenRow& r : *rows) {
            const auto gross = BankAmount::fromDouble(r.gross);
            const auto paid = BankAmount::fromDouble(r.paid);
            if (!gross || !paid)
                continue;  // a figure no payment can equal
            items.push_back({ledger, r.key, r.sorszam, r.invoiceNumber, r.partnerName, *gross,
                             *paid, r.currency});
        }
    }
    std::vector<PartnerAccount> partners;
    if (Database* betarol = ctx_.db.betarol.get()) {
        const Result<std::vector<bankbook::PartnerAccount>> read =
            bankbook::partnerAccounts(*betarol);
        if (!read) {
            showDatabaseError(read.errorText());
            return false;
        }
        for (const auto& p : *read) partners.push_back({p.name, p.account});
    }
    QSet<QString> booked;
    if (bankbook::hasBookingTable(db)) {
        Result<QSet<QString>> read = bankbook::bookedReferences(db);
        if (!read) {
            showDatabaseError(read.errorText());
            return false;
        }
        booked = std::move(*read);
    }
    matcher_ = std::make_unique<StatementMatcher>(std::move(items), partners);
    const std::vector<Proposal> proposals = matcher_->match(statement_, booked);
    std::vector<Line> fresh;
    fresh.reserve(proposals.size());
    for (size_t i = 0; i < proposals.size(); ++i) {
        Line l;
        l.proposal = proposals[i];
        l.bookedBefore = l.proposal.kind == ProposalKind::AlreadyBooked;
        // What this window booked stays so named after it reads the ledgers again.
        if (i < lines_.size() && lines_[i].bookedNow && l.bookedBefore) {
            l.bookedNow = true;
            l.bookedBefore = false;
            l.paid = lines_[i].paid;
        }
        l.ticked = l.proposal.sure && canBook(l);
        fresh.push_back(std::move(l));
    }
    lines_ = std::move(fresh);
    fillHeader();
    fillGrid();
    return true;
}

void BankkivonatFormX::fillHeader() {
    const BankStatement& s = statement_;
    Label1->setValue(s.number() == s.id || s.id.isEmpty()
                         ? s.number()
                         : QStringLiteral("%1 (%2)").arg(s.number(), s.id));
    Label2->setValue(
        (s.account +
         (s.accountCurrency.isEmpty() ? QString() : QLatin1Char(' ') + s.accountCurrency))
            .trimmed());
    Label3->setValue(s.created.isValid() ? values::formatDate(s.created.date()) : QString());
    Label4->setValue(QString::number(s.entries.size()));
}

void BankkivonatFormX::fillGrid() {
    filling_ = true;
    DBGrid1->setRowCount(int(lines_.size()));
    for (int r = 0; r < int(lines_.size()); ++r) fillRow(r);
    DBGrid1->resizeColumnsToContents();
    DBGrid1->resizeRowsToContents();
    DBGrid1->setColumnWidth(4, std::min(DBGrid1->columnWidth(4), 320));
    DBGrid1->setColumnWidth(11, std::min(DBGrid1->columnWidth(11), 360));
    filling_ = false;
    if (!lines_.empty() && DBGrid1->currentRow() < 0)
        DBGrid1->setCurrentCell(0, 1);
    DBGrid1_RowColChange();
}

void BankkivonatFormX::fillRow(int r) {
    const bool was = filling_;
    filling_ = true;
    const StatementEntry& e = statement_.entries[size_t(r)];
    const Line& l = lines_[size_t(r)];
    auto* tick = new QTableWidgetItem;
    tick->setFlags(canBook(l) ? Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsUserCheckable
                              : Qt::ItemIsSelectable);
    tick->setCheckState(l.ticked ? Qt::Checked : Qt::Unchecked);
    DBGrid1->setItem(r, 0, tick);
    DBGrid1->setItem(r, 1, cell(values::formatDate(e.bookingDate)));
    DBGrid1->setItem(
        r, 2,
        cell((e.credit ? QString() : QStringLiteral("-")) + money(e.amount, e.currency), true));
    DBGrid1->setItem(r, 3, cell(e.counterparty().name));
    DBGrid1->setItem(r, 4, cell(e.remittanceText()));
    QStringList sorszam, number, partner;
    BankAmount open;
    QString ledger, ccy;
    std::vector<OpenItem> items = l.paid;
    if (!l.bookedNow)
        for (const ProposalLine& pl : l.proposal.lines)
            items.push_back(matcher_->items()[size_t(pl.item)]);
    for (const OpenItem& it : items) {
        ledger = ledgerText(it.ledger);
        ccy = it.currency;
        sorszam << QString::number(it.sorszam);
        number << it.invoiceNumber;
        if (!partner.contains(it.partnerName))
            partner << it.partnerName;
        open += it.remaining();
    }
    DBGrid1->setItem(r, 5, cell(ledger));
    DBGrid1->setItem(r, 6, cell(sorszam.join(QStringLiteral(", ")), true));
    DBGrid1->setItem(r, 7, cell(number.join(QStringLiteral(", "))));
    DBGrid1->setItem(r, 8, cell(partner.join(QStringLiteral(", "))));
    // What a booked line paid is no longer open.
    DBGrid1->setItem(r, 9, cell(l.bookedNow || items.empty() ? QString() : money(open, ccy), true));
    DBGrid1->setItem(r, 10, cell(kindText(l)));
    DBGrid1->setItem(r, 11,
                     cell(l.bookedNow ? QString()
                          : l.byHand  ? text::byHandNote
                                      : l.proposal.note));
    filling_ = was;
}

void BankkivonatFormX::setTicked(int line, bool ticked) {
    if (line < 0 || line >= int(lines_.size()))
        return;
    Line& l = lines_[size_t(line)];
    if (ticked && !canBook(l)) {
        ctx_.dialogs->beep();
        ticked = false;
    }
    l.ticked = ticked;
    fillRow(line);
}

int BankkivonatFormX::currentLine() const {
    const int r = DBGrid1->currentRow();
    return r >= 0 && r < int(lines_.size()) ? r : -1;
}

int BankkivonatFormX::finderItem() const {
    const int r = DBGrid2->currentRow();
    return r >= 0 && r < int(finderItems_.size()) ? finderItems_[size_t(r)] : -1;
}

void BankkivonatFormX::DBGrid1_RowColChange() {
    Text1_Change();
}

void BankkivonatFormX::Text1_Change() {
    finderItems_.clear();
    const int line = currentLine();
    if (line >= 0 && matcher_) {
        const StatementEntry& e = statement_.entries[size_t(line)];
        const OpenLedger ledger = e.credit ? OpenLedger::Receivables : OpenLedger::Payables;
        const QString ccy = currency::normalized(e.currency);
        const QString typed = Text1->text().trimmed();
        const QString typedName = StatementMatcher::nameKey(typed);
        const QString typedNumber = StatementMatcher::invoiceKey(typed);
        const auto typedAmount = BankAmount::parse(QString(typed).replace(u',', u'.').remove(u' '));
        constexpr size_t kShown = 200;
        const std::vector<OpenItem>& items = matcher_->items();
        for (int i = 0; i < int(items.size()) && finderItems_.size() < kShown; ++i) {
            const OpenItem& it = items[size_t(i)];
            if (it.ledger != ledger || it.remaining() <= BankAmount() ||
                currency::normalized(it.currency) != ccy)
                continue;
            bool hit = typed.isEmpty();
            hit = hit || it.invoiceNumber.contains(typed, Qt::CaseInsensitive);
            hit = hit || (!typedNumber.isEmpty() &&
                          StatementMatcher::invoiceKey(it.invoiceNumber) == typedNumber);
            hit = hit || (!typedName.isEmpty() &&
                          StatementMatcher::nameKey(it.partnerName).contains(typedName));
            hit = hit || (typedAmount && (it.remaining().rounded(0) == typedAmount->rounded(0) ||
                                          it.gross.rounded(0) == typedAmount->rounded(0)));
            if (hit)
                finderItems_.push_back(i);
        }
    }
    DBGrid2->setRowCount(int(finderItems_.size()));
    for (int r = 0; r < int(finderItems_.size()); ++r) {
        const OpenItem& it = matcher_->items()[size_t(finderItems_[size_t(r)])];
        DBGrid2->setItem(r, 0, cell(QString::number(it.sorszam), true));
        DBGrid2->setItem(r, 1, cell(it.invoiceNumber));
        DBGrid2->setItem(r, 2, cell(it.partnerName));
        DBGrid2->setItem(r, 3, cell(money(it.gross, it.currency), true));
        DBGrid2->setItem(r, 4, cell(money(it.remaining(), it.currency), true));
        DBGrid2->setItem(r, 5, cell(it.currency));
    }
    DBGrid2->resizeColumnsToContents();
    DBGrid2->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
    if (!finderItems_.empty())
        DBGrid2->setCurrentCell(0, 0);
}

// Points the current transaction at an open invoice (add: beside those it
// pays already). The amount goes to the invoices in the order they were
// chosen, each getting what is open on it until nothing is left.
void BankkivonatFormX::assign(int item, bool add) {
    const int line = currentLine();
    if (line < 0) {
        ctx_.dialogs->alert(text::chooseLine, text::attention, Icon::Information);
        return;
    }
    Line& l = lines_[size_t(line)];
    if (l.bookedNow || l.bookedBefore) {
        ctx_.dialogs->alert(text::bookedLine, text::attention, Icon::Information);
        return;
    }
    if (item < 0) {
        ctx_.dialogs->alert(text::chooseOpen, text::attention, Icon::Information);
        return;
    }
    std::vector<int> chosen;
    if (add)
        for (const ProposalLine& pl : l.proposal.lines) chosen.push_back(pl.item);
    if (std::find(chosen.begin(), chosen.end(), item) != chosen.end()) {
        ctx_.dialogs->alert(text::alreadyOn, text::attention, Icon::Information);
        return;
    }
    chosen.push_back(item);
    const StatementEntry& e = statement_.entries[size_t(line)];
    const int decimals = currency::settlementDecimals(currency::normalized(e.currency));
    // What the other transactions of the statement already take of each invoice.
    auto takenElsewhere = [&](int i) {
        BankAmount t;
        for (size_t o = 0; o < lines_.size(); ++o)
            if (int(o) != line && !lines_[o].bookedNow)
                for (const ProposalLine& pl : lines_[o].proposal.lines)
                    if (pl.item == i)
                        t += pl.amount;
        return t;
    };
    Proposal p;
    p.basis = MatchBasis::None;
    p.sure = true;
    BankAmount left = e.amount;
    for (int i : chosen) {
        const BankAmount open = matcher_->items()[size_t(i)].remaining() - takenElsewhere(i);
        if (left <= BankAmount()) {
            ctx_.dialogs->alert(text::nothingLeft, text::attention, Icon::Information);
            return;
        }
        if (open <= BankAmount())
            continue;
        if (left >= open || left.rounded(decimals) == open.rounded(decimals)) {
            p.lines.push_back({i, open, true});
            left -= std::min(left, open);
        } else {
            p.lines.push_back({i, left, false});
            left = BankAmount();
        }
    }
    if (p.lines.empty()) {
        ctx_.dialogs->alert(text::chooseOpen, text::attention, Icon::Information);
        return;
    }
    p.excess = left > BankAmount() ? left : BankAmount();
    p.kind = p.lines.size() > 1   ? ProposalKind::Several
             : p.lines[0].settles ? ProposalKind::Whole
                                  : ProposalKind::Part;
    l.proposal = std::move(p);
    l.byHand = true;
    l.ticked = true;
    fillRow(line);
}

void BankkivonatFormX::Hozzarendel_Click() {
    assign(finderItem(), false);
}

void BankkivonatFormX::Hozzaad_Click() {
    assign(finderItem(), true);
}

void BankkivonatFormX::Elvet_Click() {
    const int line = currentLine();
    if (line < 0) {
        ctx_.dialogs->alert(text::chooseLine, text::attention, Icon::Information);
        return;
    }
    Line& l = lines_[size_t(line)];
    if (l.bookedNow || l.bookedBefore) {
        ctx_.dialogs->alert(text::bookedLine, text::attention, Icon::Information);
        return;
    }
    l.proposal = Proposal{};
    l.byHand = true;
    l.ticked = false;
    fillRow(line);
}

void BankkivonatFormX::Kiegyenlites_Click() {
    if (statement_.entries.empty()) {
        ctx_.dialogs->alert(text::noStatement, text::attention, Icon::Information);
        return;
    }
    Database* db = ctx_.db.veladata.get();
    if (!db) {
        showError(text::noDatabase.arg(ctx_.db.veladataStatus.errorText()));
        return;
    }
    std::vector<BookingOrder> orders;
    std::vector<int> ordered;
    int invoices = 0;
    for (size_t i = 0; i < lines_.size(); ++i) {
        const Line& l = lines_[i];
        if (!l.ticked || !canBook(l))
            continue;
        BookingOrder o;
        o.entry = &statement_.entries[i];
        for (const ProposalLine& pl : l.proposal.lines) {
            const OpenItem& it = matcher_->items()[size_t(pl.item)];
            o.lines.push_back({it.ledger, it.key, pl.amount, pl.settles});
        }
        invoices += int(o.lines.size());
        orders.push_back(std::move(o));
        ordered.push_back(int(i));
    }
    if (orders.empty()) {
        ctx_.dialogs->alert(text::nothingTicked, text::attention, Icon::Information);
        return;
    }
    if (!ctx_.dialogs->ask(text::bookQuestion.arg(orders.size()).arg(invoices), text::caption,
                           Icon::Question))
        return;
    StatementBooking booking(*db);
    booking.setClock(clock_);
    Result<BookingOutcome> done = Error{};
    {
        BusyCursor busy;
        done = booking.book(statement_, orders, today_);
    }
    if (!done) {
        showError(text::bookFailed.arg(done.errorText()));
        return;
    }
    lastBooking_ = *done;
    // What another window booked meanwhile was found booked: it is not ours.
    for (int i : ordered) {
        Line& l = lines_[size_t(i)];
        l.bookedNow = done->references.contains(statement_.entries[size_t(i)].reference());
        if (l.bookedNow)
            for (const ProposalLine& pl : l.proposal.lines)
                l.paid.push_back(matcher_->items()[size_t(pl.item)]);
    }
    match();
    int left = 0, before = 0;
    for (const Line& l : lines_) {
        left += !l.bookedNow && !l.bookedBefore ? 1 : 0;
        before += l.bookedBefore ? 1 : 0;
    }
    Label5->setValue(QStringLiteral("%1 tétel lekönyvelve").arg(done->booked));
    BusyCursor::Suspend normal;
    ctx_.dialogs->message(text::bookDone.arg(done->booked)
                              .arg(done->settledRows)
                              .arg(done->partRows)
                              .arg(before)
                              .arg(left),
                          text::caption, Icon::Information);
}

namespace {

reports::Document summaryDocument(const BankStatement& s,
                                  const std::vector<BankkivonatFormX::Line>& lines,
                                  const std::vector<OpenItem>& items, const QDate& today) {
    reports::Document doc;
    doc.title = text::summaryTitle;
    doc.landscape = true;
    doc.addHead(text::summaryTitle, 14, true);
    doc.addHead(QStringLiteral("Kivonat: %1   Azonosító: %2   Számla: %3 %4")
                    .arg(s.number(), s.id, s.account, s.accountCurrency));
    doc.addHead(QStringLiteral("Fájl: %1   Nyomtatva: %2")
                    .arg(QDir::toNativeSeparators(s.sourceName), values::formatDate(today)));
    doc.columns = {{QStringLiteral("Dátum"), 1100},
                   {QStringLiteral("Összeg"), 1700, report::Align::Right},
                   {QStringLiteral("Partner"), 2600},
                   {QStringLiteral("Közlemény"), 3000},
                   {QStringLiteral("Számla (sorszám)"), 2600},
                   {QStringLiteral("Eredmény"), 2400}};
    int booked = 0, before = 0, left = 0;
    for (size_t i = 0; i < lines.size() && i < s.entries.size(); ++i) {
        const StatementEntry& e = s.entries[i];
        const BankkivonatFormX::Line& l = lines[i];
        QStringList invoices;
        for (const ProposalLine& pl : l.proposal.lines) {
            const OpenItem& it = items[size_t(pl.item)];
            invoices << QStringLiteral("%1 (%2)").arg(it.invoiceNumber).arg(it.sorszam);
        }
        QString outcome;
        if (l.bookedNow) {
            outcome = QStringLiteral("lekönyvelve");
            ++booked;
        } else if (l.bookedBefore) {
            outcome = QStringLiteral("korábban lekönyvelve");
            ++before;
        } else {
            outcome = QStringLiteral("a felhasználóra vár");
            ++left;
        }
        doc.rows.push_back(
            {values::formatDate(e.bookingDate),
             (e.credit ? QString() : QStringLiteral("-")) + money(e.amount, e.currency),
             e.counterparty().name, e.remittanceText(), invoices.join(QStringLiteral(", ")),
             outcome});
    }
    doc.addFoot(QStringLiteral("Lekönyvelve: %1 tétel   Korábban lekönyvelve: %2 tétel   "
                               "A felhasználóra vár: %3 tétel")
                    .arg(booked)
                    .arg(before)
                    .arg(left),
                9, true);
    doc.footerText = text::summaryTitle;
    return doc;
}

}  // namespace

void BankkivonatFormX::Nyomtatas_Click() {
    if (statement_.entries.empty()) {
        ctx_.dialogs->alert(text::noStatement, text::attention, Icon::Information);
        return;
    }
    if (!ctx_.printer->ready()) {
        ctx_.dialogs->alert(text::notReady, text::attention, Icon::Warning);
        return;
    }
    const reports::Document doc = summaryDocument(statement_, lines_, openItems(), today_);
    if (Status shown = ctx_.printer->preview(
            [&](QPrinter& printer) { (void)reports::paintDocument(doc, printer); },
            QPageLayout::Landscape);
        !shown)
        showError(text::printError.arg(shown.errorText()));
}

void BankkivonatFormX::PdfMentes_Click() {
    if (statement_.entries.empty()) {
        ctx_.dialogs->alert(text::noStatement, text::attention, Icon::Information);
        return;
    }
    const QString folder = ctx_.dataFolder.isEmpty() ? QDir::currentPath() : ctx_.dataFolder;
    QString safe = statement_.number();
    safe.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9_-]")), QStringLiteral("_"));
    const QString offered = QDir(folder).filePath(QStringLiteral("Bankkivonat-%1.pdf").arg(safe));
    const QString path = ctx_.dialogs->input(text::pdfPrompt, text::caption, offered).trimmed();
    if (path.isEmpty())
        return;
    if (QFileInfo::exists(path) &&
        !ctx_.dialogs->ask(text::overwrite.arg(path), text::attention, Icon::Question))
        return;
    {
        BusyCursor busy;
        if (Status s =
                reports::writePdf(summaryDocument(statement_, lines_, openItems(), today_), path);
            !s) {
            showError(s.errorText());
            return;
        }
    }
    ctx_.dialogs->message(text::pdfDone.arg(path), text::caption, Icon::Information);
}

void BankkivonatFormX::Kilepes_Click() {
    SetQui(false);
    done(QDialog::Accepted);
}

}  // namespace vela
