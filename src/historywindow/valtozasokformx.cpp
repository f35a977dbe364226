#include "historywindow/valtozasokformx.h"

#include <QDate>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "base/connection.h"
#include "reports/document.h"
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

namespace {

using Icon = DialogService::Icon;

namespace text {
const QString caption = QStringLiteral("Változások - VelaData");
const QString attention = QStringLiteral("FIGYELEM!");
const QString changesTab = QStringLiteral("A sor változásai");
const QString deletedTab = QStringLiteral("Törölt sorok");
const QString row = QStringLiteral("Sorszám: %1   Azonosító (recordID): %2");
const QString partnerRow = QStringLiteral("Partner: %1   Azonosító (recordID): %2");
const QString noChanges = QStringLiteral("   (nincs rögzített változása)");
const QString noRow = QStringLiteral("Nincs kiválasztott sor: csak a törölt sorok láthatók.");
const QString noChoice = QStringLiteral("Jelölje ki a visszaállítandó törölt sorokat!");
const QString confirm = QStringLiteral(
    "A kijelölt %1 törölt sor visszakerül a táblába, pontosan úgy, ahogy a törlés előtt "
    "volt (sorszámával és azonosítójával együtt). Visszaállítja?");
const QString restored = QStringLiteral("%1 sor visszaállítva.");
const QString notReady = QStringLiteral("A nyomtató nem áll készen!");
const QString printError = QStringLiteral("A nyomtatás nem sikerült: %1");
const QString nothingToPrint = QStringLiteral("Nincs mit nyomtatni.");
const QString historyTitle = QStringLiteral("Egy sor változásai");
const QString deletedTitle = QStringLiteral("Törölt sorok");
}  // namespace text

// The columns a deleted row shows in the list, by the recorded table: the
// ledgers' rows by their number, invoice and partner, a partner by its name.
struct Shown {
    const char* header;
    const char* column;
};
const QList<Shown>& deletedColumns(const TableDef& table) {
    static const QList<Shown> ledger = {{"Sorszám", "Sorszám"},     {"Számlaszám", "Szamlaszam"},
                                        {"Partner", "CegNev"},      {"Bruttó", "Brutto"},
                                        {"Kivezetés", "Kivezetés"}, {"recordID", "recordID"}};
    static const QList<Shown> partner = {{"Név", "BerNev"},
                                         {"Székhely", "BerSzekhely"},
                                         {"Adószám", "BerAdoszam"},
                                         {"recordID", "recordID"}};
    return table.name == schema::beraktar().name ? partner : ledger;
}

QString actionText(const history::Entry& e) {
    if (e.action == QLatin1String(history_action::kInserted))
        return QStringLiteral("(új sor)");
    if (e.action == QLatin1String(history_action::kDeleted))
        return QStringLiteral("(törölve)");
    if (e.action == QLatin1String(history_action::kRestored))
        return QStringLiteral("(visszaállítva)");
    return e.column;
}

// 'YYYY-MM-DD HH:MM:SS.SSS' as "2025.01.31. 14:05:09".
QString whenText(const QString& when) {
    const QDate d = QDate::fromString(when.left(10), Qt::ISODate);
    return d.isValid() ? values::formatDate(d) + QLatin1Char(' ') + when.mid(11, 8) : when;
}

QString whoText(const QString& user, const QString& host) {
    return user + QLatin1Char('@') + host;
}

QTableWidget* makeGrid(QWidget* parent, const QString& name, const QStringList& headers,
                       QAbstractItemView::SelectionMode selection) {
    auto* g = new QTableWidget(parent);
    g->setObjectName(name);
    g->setColumnCount(int(headers.size()));
    g->setHorizontalHeaderLabels(headers);
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g->setSelectionBehavior(QAbstractItemView::SelectRows);
    g->setSelectionMode(selection);
    g->verticalHeader()->hide();
    g->horizontalHeader()->setStretchLastSection(true);
    return g;
}

void put(QTableWidget* g, int row, const QStringList& texts) {
    for (int c = 0; c < texts.size(); ++c) g->setItem(row, c, new QTableWidgetItem(texts[c]));
}

QStringList gridTexts(const QTableWidget* g, int row) {
    QStringList out;
    for (int c = 0; c < g->columnCount(); ++c)
        out << (g->item(row, c) ? g->item(row, c)->text() : QString());
    return out;
}

}  // namespace

ValtozasokFormX::ValtozasokFormX(AppContext& ctx, Database& db, const TableDef& ledger,
                                 qint64 rowKey, QWidget* parent)
    : WindowBase(ctx, parent), db_(db), ledger_(ledger), rowKey_(rowKey) {
    setObjectName(QStringLiteral("ValtozasokFormX"));
    setWindowTitle(text::caption);
    resize(900, 520);
    FormKit kit(this);
    auto* root = new QVBoxLayout(this);
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    root->addWidget(Label1);
    Tab1 = new QTabWidget(this);
    Tab1->setObjectName(QStringLiteral("Tab1"));
    Grid1 =
        makeGrid(this, QStringLiteral("Grid1"),
                 {QStringLiteral("Időpont"), QStringLiteral("Ki (felhasználó@gép)"),
                  QStringLiteral("Mező"), QStringLiteral("Régi érték"), QStringLiteral("Új érték")},
                 QAbstractItemView::SingleSelection);
    QStringList deletedHeaders{QStringLiteral("Törölve"), QStringLiteral("Ki (felhasználó@gép)")};
    for (const Shown& c : deletedColumns(ledger_)) deletedHeaders << QString::fromUtf8(c.header);
    Grid2 = makeGrid(this, QStringLiteral("Grid2"), deletedHeaders,
                     QAbstractItemView::ExtendedSelection);
    Tab1->addTab(Grid1, text::changesTab);
    Tab1->addTab(Grid2, text::deletedTab);
    root->addWidget(Tab1, 1);
    auto* buttons = new QHBoxLayout;
    Command1 = kit.button(
        QStringLiteral("Command1"), QStringLiteral("&Nyomtatás"), [this] { Nyomtatas_Click(); },
        QStringLiteral("A látható lista nyomtatása"));
    Command2 = kit.button(
        QStringLiteral("Command2"), QStringLiteral("&Visszaállítás"),
        [this] { Visszaallitas_Click(); },
        QStringLiteral("A kijelölt törölt sorok visszaállítása"));
    Command3 = kit.button(QStringLiteral("Command3"), QStringLiteral("&Kilépés"),
                          [this] { Kilepes_Click(); });
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    buttons->addStretch(1);
    buttons->addWidget(Command3);
    root->addLayout(buttons);
    // The restore belongs to the deleted rows' page.
    connect(Tab1, &QTabWidget::currentChanged, this,
            [this](int page) { Command2->setEnabled(page == 1); });
    Command2->setEnabled(false);
    Form_Load();
}

bool ValtozasokFormX::open(AppContext& ctx, Database& db, const TableDef& ledger, qint64 rowKey,
                           QWidget* parent) {
    ValtozasokFormX window(ctx, db, ledger, rowKey, parent);
    if (ctx.opener)
        ctx.opener->openModal(window);
    return window.restoredRows() > 0;
}

void ValtozasokFormX::Form_Load() {
    fillHistory();
    fillDeleted();
    if (rowKey_ < 0)
        Tab1->setCurrentIndex(1);
}

QString ValtozasokFormX::shown(const QString& column, const QVariant& value) const {
    if (value.isNull())
        return QString();
    const ColumnDef* c = ledger_.column(column);
    if (!c)
        return value.toString();
    switch (c->type) {
        case ColumnType::Real: {
            bool ok = false;
            const double v = value.toString().toDouble(&ok);
            return ok ? values::formatNumber(v) : value.toString();
        }
        case ColumnType::Date: {
            const QDate d = QDate::fromString(value.toString(), Qt::ISODate);
            return d.isValid() ? values::formatDate(d) : value.toString();
        }
        case ColumnType::Boolean:
            return value.toString() == QLatin1String("1") ? QStringLiteral("Igen")
                                                          : QStringLiteral("Nem");
        default:
            return value.toString();
    }
}

void ValtozasokFormX::fillHistory() {
    entries_.clear();
    Grid1->setRowCount(0);
    if (rowKey_ < 0) {
        Label1->setText(text::noRow);
        return;
    }
    Result<QList<history::Entry>> read = history::rowHistory(db_, ledger_, rowKey_);
    if (!reportFailure(read.ok() ? Status{} : Status{read.error()}))
        return;
    entries_ = *read;
    const bool partner = ledger_.name == schema::beraktar().name;
    if (!entries_.isEmpty() && !partner) {
        Label1->setText(text::row.arg(entries_.first().sorszam.toString(),
                                      entries_.first().recordId.toString()));
    } else if (Result<rows::Values> row = rows::read(db_, ledger_, rowKey_); row) {
        Label1->setText(
            (partner ? text::partnerRow : text::row)
                .arg(row->value(QString::fromUtf8(partner ? "BerNev" : "Sorszám")).toString(),
                     row->value(QStringLiteral("recordID")).toString()) +
            (entries_.isEmpty() ? text::noChanges : QString()));
    }
    Grid1->setRowCount(int(entries_.size()));
    for (int i = 0; i < entries_.size(); ++i) {
        const history::Entry& e = entries_[i];
        // A new, deleted or restored row has no values of its own here.
        const bool change = e.action == QLatin1String(history_action::kChanged);
        put(Grid1, i,
            {whenText(e.when), whoText(e.user, e.host), actionText(e),
             change ? shown(e.column, e.oldValue) : QString(),
             change ? shown(e.column, e.newValue) : QString()});
    }
    Grid1->resizeColumnsToContents();
}

void ValtozasokFormX::fillDeleted() {
    deleted_.clear();
    Grid2->setRowCount(0);
    Result<QList<history::DeletedRow>> read = history::deletedRows(db_, ledger_);
    if (!reportFailure(read.ok() ? Status{} : Status{read.error()}))
        return;
    deleted_ = *read;
    Grid2->setRowCount(int(deleted_.size()));
    for (int i = 0; i < deleted_.size(); ++i) {
        const history::DeletedRow& d = deleted_[i];
        QStringList texts{whenText(d.when), whoText(d.user, d.host)};
        for (const Shown& c : deletedColumns(ledger_)) {
            const QString column = QString::fromUtf8(c.column);
            texts << shown(column, d.values.value(column));
        }
        put(Grid2, i, texts);
    }
    Grid2->resizeColumnsToContents();
    Tab1->setTabText(1, QStringLiteral("%1 (%2)").arg(text::deletedTab).arg(deleted_.size()));
}

void ValtozasokFormX::Visszaallitas_Click() {
    QList<int> chosen;
    for (const QModelIndex& i : Grid2->selectionModel()->selectedRows()) chosen << i.row();
    std::sort(chosen.begin(), chosen.end());
    if (chosen.isEmpty()) {
        ctx_.dialogs->alert(text::noChoice, text::attention, Icon::Information);
        return;
    }
    if (!ctx_.dialogs->ask(text::confirm.arg(chosen.size()), text::caption, Icon::Question))
        return;
    // Oldest first, so rows deleted together come back in their old order.
    QList<qint64> ids;
    for (auto it = chosen.crbegin(); it != chosen.crend(); ++it) ids << deleted_[*it].id;
    Result<QList<qint64>> keys = [&] {
        BusyCursor busy;
        return history::restore(db_, ledger_, ids);
    }();
    if (!reportFailure(keys.ok() ? Status{} : Status{keys.error()}))
        return;
    restored_ += int(keys->size());
    fillDeleted();
    fillHistory();
    ctx_.dialogs->message(text::restored.arg(keys->size()), text::caption, Icon::Information);
}

void ValtozasokFormX::Nyomtatas_Click() {
    const bool deletedPage = Tab1->currentIndex() == 1;
    const QTableWidget* g = deletedPage ? Grid2 : Grid1;
    if (g->rowCount() == 0) {
        ctx_.dialogs->alert(text::nothingToPrint, text::attention, Icon::Information);
        return;
    }
    if (!ctx_.printer || !ctx_.printer->ready()) {
        ctx_.dialogs->alert(text::notReady, text::attention, Icon::Warning);
        return;
    }
    reports::Document doc;
    doc.title = deletedPage ? text::deletedTitle : text::historyTitle;
    doc.landscape = true;
    doc.addHead(QStringLiteral("%1 - %2").arg(doc.title, ledger_.name), 14, true);
    if (!deletedPage)
        doc.addHead(Label1->text());
    doc.addHead(QStringLiteral("Nyomtatva: %1").arg(values::formatDate(QDate::currentDate())));
    const std::vector<int> widths =
        deletedPage ? std::vector<int>{2000, 2200, 900, 1800, 2600, 1300, 800, 1600}
                    : std::vector<int>{2000, 2200, 2200, 3000, 3000};
    for (int c = 0; c < g->columnCount(); ++c) {
        doc.columns.push_back({g->horizontalHeaderItem(c)->text(), widths[size_t(c)]});
    }
    for (int r = 0; r < g->rowCount(); ++r) doc.rows.push_back(gridTexts(g, r));
    doc.footerText = doc.title;
    if (Status s = ctx_.printer->preview(
            [&](QPrinter& printer) { (void)reports::paintDocument(doc, printer); },
            QPageLayout::Landscape);
        !s)
        ctx_.dialogs->alert(text::printError.arg(s.errorText()), text::attention, Icon::Warning);
}

void ValtozasokFormX::Kilepes_Click() {
    SetQui(false);
    done(QDialog::Accepted);
}

}  // namespace vela
