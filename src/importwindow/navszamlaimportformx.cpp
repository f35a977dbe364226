#include "importwindow/navszamlaimportformx.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <set>

#include "import/navcredentials.h"
#include "import/navledgermapper.h"
#include "ledgercore/ledgerrules.h"
#include "storage/columns.h"
#include "storage/database.h"
#include "storage/funcs.h"
#include "storage/recordsource.h"
#include "storage/values.h"
#include "ui/appcontext.h"
#include "ui/busycursor.h"
#include "ui/datepicker.h"
#include "ui/dialogservice.h"
#include "ui/formkit.h"

namespace vela {

namespace {

using Icon = DialogService::Icon;

namespace text {
const QString caption = QStringLiteral("Online Számla import - VelaData");
const QString attention = QStringLiteral("FIGYELEM!");
const QString errorTitle = QStringLiteral("FIGYELEM! HIBA!");
const QString summaryTitle = QStringLiteral("Online Számla import");
const QString noLedger = QStringLiteral("A nyilvántartás (veladata.mdb) nem nyitható meg: %1");
const QString noOwnNumber = QStringLiteral(
    "Az Online Számla átvételéhez adja meg a Paraméterek ablakban a cég saját adószámát "
    "(az adószám első 8 számjegyét).");
const QString noPath = QStringLiteral("Adja meg a beolvasandó XML-fájlt vagy mappát!");
const QString noSuchPath = QStringLiteral("Nincs ilyen fájl vagy mappa: %1");
const QString refused = QStringLiteral("Ezek a számlák nem kerültek a listába:\n\n%1");
const QString nothingStaged = QStringLiteral("Egyetlen számla sem került a listába.");
const QString noRowChosen = QStringLiteral("Jelölje ki az elhagyandó sorokat a táblázatban!");
const QString nothingNew =
    QStringLiteral("Nincs átadandó számla: a listában minden számla már a nyilvántartásban van.");
const QString handOver = QStringLiteral("Átadja a lista %1 új számláját a nyilvántartásokba?");
const QString summary = QStringLiteral(
    "Az átadás kész.\n\n"
    "Tartoznak (Vevő): %1 számla\n"
    "Tartozunk (Szállító): %2 számla\n"
    "Új partner a partnertörzsben: %3\n"
    "Már a nyilvántartásban volt, nem került át: %4");
const QString noUser = QStringLiteral(
    "Nincs megadva a NAV-os technikai felhasználó. Adja meg a Paraméterek ablakban "
    "(„NAV technikai felhasználó…”).");
const QString keyring =
    QStringLiteral("A NAV-os technikai felhasználó adatai nem olvashatók a kulcstartóból: %1");
const QString badRange = QStringLiteral("A kezdő dátum nem lehet későbbi a záró dátumnál!");
const QString fetchProblems = QStringLiteral("Néhány számla nem tölthető le a NAV-tól:\n\n%1");
const QString fetchedNone = QStringLiteral(
    "A NAV-tól nem érkezett új számla a megadott időszakra (%1 számla már a nyilvántartásban "
    "van).");
const QString chooseTitle = QStringLiteral("Online Számla XML-fájlok");
const QString outbound = QStringLiteral("Kimenő (vevő)");
const QString inbound = QStringLiteral("Bejövő (szállító)");
const QString yes = QStringLiteral("igen");
const QString twice = QStringLiteral("kétszer a listában");
const QString count = QStringLiteral("%1 számla, ebből %2 új");
}  // namespace text

QString kindText(NavEntryKind kind) {
    switch (kind) {
        case NavEntryKind::Invoice:
            return QStringLiteral("számla");
        case NavEntryKind::Advance:
            return QStringLiteral("előlegszámla");
        case NavEntryKind::Modification:
            return QStringLiteral("módosítás");
        case NavEntryKind::Cancellation:
            return QStringLiteral("érvénytelenítés");
    }
    return {};
}

QString dateText(const QDate& d) {
    return d.isValid() ? d.toString(QStringLiteral("yyyy.MM.dd")) : QString();
}

}  // namespace

NavSzamlaImportFormX::NavSzamlaImportFormX(AppContext& ctx, QWidget* parent)
    : WindowBase(ctx, parent) {
    setObjectName(QStringLiteral("NavSzamlaImportFormX"));
    setWindowTitle(text::caption);
    setWindowFlags(Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    newRowId_ = &ledger::newRowId;
    clock_ = [] { return QDateTime::currentDateTime(); };
    chooser_ = [this] {
        return QFileDialog::getOpenFileNames(this, text::chooseTitle, QString(),
                                             QStringLiteral("XML (*.xml *.XML)"));
    };
    buildControls();
    resize(1100, 600);
}

NavSzamlaImportFormX::~NavSzamlaImportFormX() = default;

void NavSzamlaImportFormX::buildControls() {
    kit_ = std::make_unique<FormKit>(this);
    auto* root = new QVBoxLayout(this);
    menuBar_ = new QMenuBar(this);
    root->setMenuBar(menuBar_);
    new MenuTable(menuBar_,
                  {MenuTable::top(QStringLiteral("Kilepes"), QStringLiteral("&Kilépés"),
                                  [this] { Kilepes_Click(); })},
                  this);

    auto* files = new QHBoxLayout;
    Text1 = kit_->textBox(QStringLiteral("Text1"));
    files->addWidget(
        kit_->caption(QStringLiteral("Label1"), QStringLiteral("&Fájl vagy mappa:"), Text1));
    files->addWidget(Text1, 1);
    connect(Text1, &QLineEdit::returnPressed, this,
            [this] { busy::run(Command1, [this] { Command1_Click(); }); });
    Command5 = kit_->button(QStringLiteral("Command5"), QStringLiteral("&Tallózás…"),
                            [this] { Command5_Click(); });
    Command1 = kit_->button(QStringLiteral("Command1"), QStringLiteral("&Beolvasás"),
                            [this] { Command1_Click(); });
    files->addWidget(Command5);
    files->addWidget(Command1);
    root->addLayout(files);

    auto* query = new QHBoxLayout;
    DTPicker1 = kit_->datePicker(QStringLiteral("DTPicker1"), {});
    DTPicker2 = kit_->datePicker(QStringLiteral("DTPicker2"), {});
    const QDate today = QDate::currentDate();
    DTPicker1->setDate(today.addDays(1 - today.day()));
    DTPicker2->setDate(today);
    Combo1 = new QComboBox(this);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->addItems({text::outbound, text::inbound});
    query->addWidget(
        kit_->caption(QStringLiteral("Label2"), QStringLiteral("&Kezdő dátum:"), DTPicker1));
    query->addWidget(DTPicker1);
    query->addWidget(
        kit_->caption(QStringLiteral("Label3"), QStringLiteral("&Záró dátum:"), DTPicker2));
    query->addWidget(DTPicker2);
    query->addWidget(kit_->caption(QStringLiteral("Label4"), QStringLiteral("&Irány:"), Combo1));
    query->addWidget(Combo1);
    Command4 = kit_->button(QStringLiteral("Command4"), QStringLiteral("&Lekérdezés a NAV-tól"),
                            [this] { Command4_Click(); });
    query->addWidget(Command4);
    query->addStretch(1);
    root->addLayout(query);

    DBGrid1 = new QTableWidget(0, kColumns, this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setAccessibleName(QStringLiteral("Beolvasott számlák"));
    DBGrid1->setHorizontalHeaderLabels(
        {QStringLiteral("Irány"), QStringLiteral("Számlaszám"), QStringLiteral("Partner"),
         QStringLiteral("Kelt"), QStringLiteral("Fizetési határidő"), QStringLiteral("Nettó"),
         QStringLiteral("Bruttó"), QStringLiteral("Devizanem"), QStringLiteral("Fajta"),
         QStringLiteral("Már a nyilvántartásban")});
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    DBGrid1->horizontalHeader()->setSectionResizeMode(Partner, QHeaderView::Stretch);
    // "kétszer a listában" and the column's own caption are read whole.
    for (const Column c : {Issued, Due, Kind, Booked})
        DBGrid1->horizontalHeader()->setSectionResizeMode(c, QHeaderView::ResizeToContents);
    DBGrid1->verticalHeader()->setDefaultSectionSize(22);
    root->addWidget(DBGrid1, 1);

    auto* bottom = new QHBoxLayout;
    Label6 = kit_->valueLabel(QStringLiteral("Label6"), QStringLiteral("Számlák:"));
    bottom->addWidget(kit_->caption({}, QStringLiteral("Számlák:"), nullptr));
    bottom->addWidget(Label6);
    bottom->addStretch(1);
    Command2 = kit_->button(QStringLiteral("Command2"), QStringLiteral("Sor &elhagyása"),
                            [this] { Command2_Click(); });
    Command3 = kit_->button(QStringLiteral("Command3"), QStringLiteral("Át&adás"),
                            [this] { Command3_Click(); });
    bottom->addWidget(Command2);
    bottom->addWidget(Command3);
    root->addLayout(bottom);
    fillGrid();
    Text1->setFocus();
}

void NavSzamlaImportFormX::showError(const QString& message) {
    BusyCursor::Suspend normal;
    ctx_.dialogs->alert(message, text::errorTitle, Icon::Critical);
}

bool NavSzamlaImportFormX::prepare() {
    if (handOver_)
        return true;
    Database* veladata = ctx_.db.veladata.get();
    if (!veladata) {
        showError(text::noLedger.arg(ctx_.db.veladataStatus.errorText()));
        return false;
    }
    NavBusiness business;
    if (Database* parameters = ctx_.db.parameters.get()) {
        RecordSource row;
        row.setDatabase(parameters);
        row.setQuery(Query(schema::emblemaPath()));
        if (row.refresh() && row.recordCount() > 0) {
            row.moveFirst();
            business.ownTaxNumber =
                Funcs::TextOrEmpty(row.field(QStringLiteral("SajatAdoszam"))).toString();
            const QString home =
                Funcs::TextOrEmpty(row.field(QStringLiteral("DevizaNem"))).toString().trimmed();
            if (!home.isEmpty())
                business.homeCurrency = home;
        }
    }
    if (NavLedgerMapper::taxpayerDigits(business.ownTaxNumber).isEmpty()) {
        BusyCursor::Suspend normal;
        ctx_.dialogs->alert(text::noOwnNumber, text::attention, Icon::Warning);
        return false;
    }
    handOver_ = std::make_unique<NavHandOver>(*veladata, ctx_.db.betarol.get(), business);
    return true;
}

void NavSzamlaImportFormX::stageFiles(const QStringList& paths) {
    if (paths.isEmpty() || !prepare())
        return;
    QStringList refused;
    QList<NavInvoice> read;
    {
        BusyCursor busy;
        read = NavHandOver::readFiles(paths, refused);
    }
    addInvoices(read, refused);
}

void NavSzamlaImportFormX::addInvoices(const QList<NavInvoice>& invoices, QStringList refused) {
    {
        BusyCursor busy;
        invoices_ << invoices;
        if (const Status loaded = handOver_->load(invoices_); !loaded) {
            invoices_.resize(invoices_.size() - invoices.size());
            showDatabaseError(loaded.errorText());
            return;
        }
        const qsizetype before = staged_.size();
        handOver_->stage(invoices, staged_, refused);
        if (staged_.size() == before && refused.isEmpty())
            refused << text::nothingStaged;
        fillGrid();
    }
    if (!refused.isEmpty()) {
        BusyCursor::Suspend normal;
        ctx_.dialogs->alert(text::refused.arg(refused.join(QStringLiteral("\n\n"))),
                            text::attention, Icon::Warning);
    }
}

void NavSzamlaImportFormX::fillGrid() {
    DBGrid1->setRowCount(int(staged_.size()));
    int fresh = 0;
    for (int r = 0; r < staged_.size(); ++r) {
        const NavStagedInvoice& s = staged_[r];
        const NavLedgerEntry& e = s.entry;
        const QString booked = s.state == NavStagedInvoice::State::InLedger ? text::yes
                               : s.state == NavStagedInvoice::State::Twice  ? text::twice
                                                                            : QString();
        fresh += s.state == NavStagedInvoice::State::New ? 1 : 0;
        const QString cells[kColumns] = {
            e.ledger == NavLedger::Receivables ? text::outbound : text::inbound,
            e.Szamlaszam,
            e.CegNev,
            dateText(e.Datumtol),
            dateText(e.Datumig),
            values::formatNumber(e.Netto),
            values::formatNumber(e.Brutto),
            e.Devizanem,
            kindText(e.kind),
            booked};
        for (int c = 0; c < kColumns; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (c == Net || c == Gross)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (c == Number)
                item->setToolTip(s.invoice.sourceName);
            DBGrid1->setItem(r, c, item);
        }
    }
    Label6->setValue(text::count.arg(staged_.size()).arg(fresh));
    Command2->setEnabled(!staged_.isEmpty());
    Command3->setEnabled(fresh > 0);
}

void NavSzamlaImportFormX::Command1_Click() {
    const QString written = Text1->text().trimmed();
    if (written.isEmpty()) {
        BusyCursor::Suspend normal;
        ctx_.dialogs->alert(text::noPath, text::attention, Icon::Warning);
        return;
    }
    QStringList paths;
    for (const QString& p : written.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString path = p.trimmed();
        if (!QFileInfo::exists(path)) {
            BusyCursor::Suspend normal;
            ctx_.dialogs->alert(text::noSuchPath.arg(path), text::attention, Icon::Warning);
            return;
        }
        paths << path;
    }
    stageFiles(paths);
}

void NavSzamlaImportFormX::Command5_Click() {
    const QStringList chosen = chooser_ ? chooser_() : QStringList();
    if (chosen.isEmpty())
        return;
    Text1->setText(chosen.join(QStringLiteral(";")));
    stageFiles(chosen);
}

void NavSzamlaImportFormX::Command2_Click() {
    std::set<int> rows;
    for (const QModelIndex& i : DBGrid1->selectionModel()->selectedRows()) rows.insert(i.row());
    if (rows.empty()) {
        BusyCursor::Suspend normal;
        ctx_.dialogs->alert(text::noRowChosen, text::attention, Icon::Warning);
        return;
    }
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) staged_.removeAt(*it);
    // A row that was the second of an invoice may now be the only one.
    if (handOver_)
        handOver_->mark(staged_);
    fillGrid();
}

void NavSzamlaImportFormX::Command3_Click() {
    if (!handOver_)
        return;
    handOver_->mark(staged_);
    int fresh = 0;
    for (const NavStagedInvoice& s : staged_)
        fresh += s.state == NavStagedInvoice::State::New ? 1 : 0;
    DialogService* d = ctx_.dialogs;
    if (fresh == 0) {
        fillGrid();
        BusyCursor::Suspend normal;
        d->alert(text::nothingNew, text::attention, Icon::Information);
        return;
    }
    if (!d->ask(text::handOver.arg(fresh), text::attention, Icon::Question))
        return;
    Result<NavHandOver::Report> done = [&] {
        BusyCursor busy;
        return handOver_->run(staged_, newRowId_, clock_);
    }();
    fillGrid();
    if (!done) {
        showError(done.errorText());
        return;
    }
    report_ = *done;
    emit ledgersChanged();
    QString message = text::summary.arg(report_.receivables)
                          .arg(report_.payables)
                          .arg(report_.partnersAdded)
                          .arg(report_.skipped);
    if (!report_.partnerProblem.isEmpty())
        message += QStringLiteral("\n\n") + report_.partnerProblem;
    BusyCursor::Suspend normal;
    d->message(message, text::summaryTitle,
               report_.partnerProblem.isEmpty() ? Icon::Information : Icon::Warning);
}

void NavSzamlaImportFormX::Command4_Click() {
    if (querying_ || !prepare())
        return;
    const QDate from = DTPicker1->date();
    const QDate to = DTPicker2->date();
    if (from > to) {
        BusyCursor::Suspend normal;
        ctx_.dialogs->alert(text::badRange, text::attention, Icon::Warning);
        return;
    }
    if (!secrets_) {
        keyring_ = std::make_unique<KeychainSecretStore>();
        secrets_ = keyring_.get();
    }
    querying_ = true;
    Command4->setEnabled(false);
    const NavDirection direction =
        Combo1->currentIndex() == 0 ? NavDirection::Outbound : NavDirection::Inbound;
    auto credentials = std::make_shared<NavCredentials>(*secrets_);
    // The keyring answers later; a window closed by then hears nothing.
    QPointer<NavSzamlaImportFormX> self(this);
    credentials->load([this, self, credentials, from, to,
                       direction](Result<std::optional<NavTechnicalUser>> user) {
        if (!self)
            return;
        if (!user || !*user) {
            querying_ = false;
            Command4->setEnabled(true);
            if (!user)
                showError(text::keyring.arg(user.errorText()));
            else
                showError(text::noUser);
            emit queryFinished();
            return;
        }
        const QUrl url =
            endpoint_.isEmpty() ? NavClient::endpoint((*user)->environment) : endpoint_;
        auto* client = new NavClient(network_, url, **user, this);
        if (const Status ids = handOver_->loadTransactionIds(); !ids)
            showDatabaseError(ids.errorText());
        client->fetch(
            from, to, direction, [this](const NavInvoiceDigest& d) { return handOver_->holds(d); },
            [this, client](Result<NavFetchResult> result) {
                client->deleteLater();
                fetched(result);
            });
    });
}

void NavSzamlaImportFormX::fetched(const Result<NavFetchResult>& result) {
    querying_ = false;
    Command4->setEnabled(true);
    if (!result) {
        showError(result.errorText());
    } else {
        if (!result->problems.isEmpty())
            showError(text::fetchProblems.arg(result->problems.join(QStringLiteral("\n"))));
        if (!result->invoices.isEmpty()) {
            addInvoices(result->invoices, {});
        } else {
            BusyCursor::Suspend normal;
            ctx_.dialogs->message(text::fetchedNone.arg(result->skipped), text::summaryTitle,
                                  Icon::Information);
        }
    }
    emit queryFinished();
}

void NavSzamlaImportFormX::Kilepes_Click() {
    SetQui(false);
    done(QDialog::Accepted);
}

}  // namespace vela
