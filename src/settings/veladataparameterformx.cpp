#include "settings/veladataparameterformx.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QShowEvent>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QVBoxLayout>

#include "base/postgres/pgconnection.h"
#include "import/navcredentials.h"
#include "settings/helpformx.h"
#include "settings/navtechnicaluserformx.h"
#include "storage/columns.h"
#include "storage/database.h"
#include "storage/dataplace.h"
#include "storage/funcs.h"
#include "ui/appcontext.h"
#include "ui/busycursor.h"
#include "ui/dialogservice.h"
#include "ui/formkit.h"
#include "ui/recordgrid.h"
#include "ui/recordgridmodel.h"
#include "ui/windowopener.h"

namespace vela {

namespace {

namespace text {
const QString caption = QStringLiteral("Paraméterek-Beállítások - VelaData");
const QString attention = QStringLiteral("FIGYELEM!");
const QString attentionBlank = QStringLiteral("FIGYELEM! ");
const QString digitsOnly =
    QStringLiteral("A 'Delete' gombbal törölje a számot és adja be az újat!");
const QString zeroToThree =
    QStringLiteral("A 'Delete' gombbal törölje a számot és adja be az újat 0-3 - ig!");
const QString badLogo =
    QStringLiteral("Hibásan adta meg a képállomány helyét és/vagy a file nevet!");
const QString badLogoTitle = QStringLiteral("HIBA! (path vagy file)");
const QString interfaceCaption = QStringLiteral("FakturoW path");
const QString ownTaxCaption = QStringLiteral("Saját adószám");
const QString taxDigits =
    QStringLiteral("A saját adószámnak csak az első 8 számjegyét adja meg (kötőjel nélkül)!");
const QString errorTitle = QStringLiteral("FIGYELEM! HIBA!");
const QString noDatabase = QStringLiteral("A paraméterek (parameter.kdb) nem nyithatók meg: %1");
const QString helpTopic = QStringLiteral("ParameterFormX");
const QString rateDigits =
    QStringLiteral("A késedelmi kamat évi mértékét százalékban, számmal adja meg (pl. 13,5)!");
const QString serverCaption = QStringLiteral("Kiszolgáló");
const QString historyYearsCaption = QStringLiteral("Változások megőrzése (év)");
const QString yearsDigits = QStringLiteral("Az évek számát számjegyekkel adja meg!");
const QString serverNext = QStringLiteral("A program a következő indításától %1 dolgozik.");
const QString serverFiles = QStringLiteral("az adatmappa fájljain");
const QString serverAt = QStringLiteral("a(z) %1 adatbázis-kiszolgálón");
const QString serverTitle = QStringLiteral("Kiszolgáló");
}  // namespace text

// The longest text each column's cell takes while it is edited.
// The business's own details (tax number, name, address, bank account) and
// the yearly late-payment interest rate follow the first seven; the server
// address, then the years of change history VelaRep keeps, come last.
constexpr int kColumns = 14;
constexpr int kLengthLimit[kColumns] = {100, 1, 1, 3, 100, 100, 0, 8, 100, 100, 40, 6, 200, 3};

enum Column {
    Emblema = 0,
    Copies = 1,
    Decimals = 2,
    Currency = 3,
    Interface = 5,
    OwnTaxNumber = 7,
    Rate = 11,
    Server = 12,  // the grid's column of Kiszolgalo (after the hidden key)
    HistoryYears = 13
};

const QString kServerField = QStringLiteral("Kiszolgalo");
const QString kHistoryYearsField = QStringLiteral("ValtozasokMegorzese");

// A picture path as the user wrote it, found in the file system: backslashes
// as separators, each name matched whatever its case.
QString picturePath(const QString& written) {
    QString path = written.trimmed();
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QFileInfo fi(path);
    if (fi.exists())
        return fi.absoluteFilePath();
    return Database::findFile(fi.absolutePath(), fi.fileName());
}

}  // namespace

// Puts the window's key rules on every cell editor of the grid.
class VelaDataParameterFormX::KeyDelegate : public QStyledItemDelegate {
  public:
    explicit KeyDelegate(VelaDataParameterFormX* form) : QStyledItemDelegate(form), form_(form) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (editor) {
            editor->setProperty("gridColumn", index.column());
            editor->installEventFilter(const_cast<KeyDelegate*>(this));
        }
        return editor;
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            QString typed = key->text();
            if (key->key() == Qt::Key_Backspace)
                typed = QStringLiteral("\b");
            const bool character = !typed.isEmpty() &&
                                   (typed == QStringLiteral("\b") || typed[0].isPrint()) &&
                                   !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
            auto* edit = qobject_cast<QLineEdit*>(watched);
            if (character && edit &&
                !form_->DBGrid1_KeyPress(watched->property("gridColumn").toInt(), typed,
                                         edit->text()))
                return true;
        }
        return QStyledItemDelegate::eventFilter(watched, event);
    }

  private:
    VelaDataParameterFormX* form_;
};

VelaDataParameterFormX::VelaDataParameterFormX(AppContext& ctx, QWidget* parent)
    : WindowBase(ctx, parent), parameters_(ctx.db.parameters.get()) {
    setObjectName(QStringLiteral("VelaDataParameterFormX"));
    setWindowTitle(text::caption);
    EmblemaData.setObjectName(QStringLiteral("EmblemaData"));
    EmblemaData.setDatabase(parameters_);
    EmblemaData.setQuery(Query(schema::emblemaPath()));

    auto* root = new QVBoxLayout(this);
    menuBar_ = new QMenuBar(this);
    root->setMenuBar(menuBar_);
    QList<MenuTable::Row> menu{
        MenuTable::top(QStringLiteral("Segedlet"), QStringLiteral("&Segédlet"),
                       [this] { Segedlet_Click(); }),
        MenuTable::top(QStringLiteral("Kilepes"), QStringLiteral("&Kilépés"),
                       [this] { Kilepes_Click(); }),
    };
    new MenuTable(menuBar_, menu, this);

    DBGrid1 = new RecordGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setAccessibleName(text::caption);
    gridModel_ = new RecordGridModel(
        &EmblemaData,
        {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, schema::emblemaPath().indexOf(kServerField),
         schema::emblemaPath().indexOf(kHistoryYearsField)},
        ctx_.dialogs, this);
    gridModel_->setHeaderCaption(Interface, text::interfaceCaption);
    gridModel_->setHeaderCaption(OwnTaxNumber, text::ownTaxCaption);
    gridModel_->setHeaderCaption(Server, text::serverCaption);
    gridModel_->setHeaderCaption(HistoryYears, text::historyYearsCaption);
    DBGrid1->setRecordModel(gridModel_, ctx_.dialogs);
    DBGrid1->setItemDelegate(new KeyDelegate(this));
    DBGrid1->horizontalHeader()->setDefaultSectionSize(120);
    DBGrid1->horizontalHeader()->resizeSection(Emblema, 220);
    DBGrid1->horizontalHeader()->resizeSection(Interface, 220);
    DBGrid1->horizontalHeader()->resizeSection(Server, 260);
    root->addWidget(DBGrid1, 1);
    // Which database the program works on now.
    WhereLabel = new QLabel(whereText(ctx_.db), this);
    WhereLabel->setObjectName(QStringLiteral("WhereLabel"));
    WhereLabel->setWordWrap(true);
    root->addWidget(WhereLabel);

    FormKit kit(this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    Command1 =
        kit.button(QStringLiteral("Command1"), QStringLiteral("OK"), [this] { Command1_Click(); });
    Command1->setMinimumWidth(110);
    // The technical user of the tax authority's interface goes into the
    // keyring, not into the parameters row.
    Command2 = kit.button(QStringLiteral("Command2"), QStringLiteral("&NAV technikai felhasználó…"),
                          [this] { Command2_Click(); });
    buttons->insertWidget(0, Command2);
    buttons->addWidget(Command1);
    root->addLayout(buttons);
    resize(960, 200);

    if (parameters_) {
        if (const Status read = EmblemaData.refresh(); !read)
            showDatabaseError(read.errorText());
    }
}

VelaDataParameterFormX::~VelaDataParameterFormX() = default;

void VelaDataParameterFormX::showError(const QString& message) {
    if (!ctx_.dialogs)
        return;
    BusyCursor::Suspend normal;
    ctx_.dialogs->alert(message, text::errorTitle, DialogService::Icon::Critical);
}

void VelaDataParameterFormX::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!activated_) {
        activated_ = true;
        Form_Activate();
    }
}

void VelaDataParameterFormX::Form_Activate() {
    if (!parameters_) {
        showError(text::noDatabase.arg(ctx_.db.parametersStatus.errorText()));
        // Closed once the opening has finished, so the caller is not left waiting.
        QTimer::singleShot(0, this, [this] {
            if (isVisible())
                Kilepes_Click();
        });
        return;
    }
    BusyCursor busy;
    if (EmblemaData.recordCount() == 0) {
        // The new row starts with the table's defaults: Tizedes 0, DevizaNem "Ft".
        if (!EmblemaData.addNew() || !EmblemaData.update()) {
            EmblemaData.cancelUpdate();
            if (ctx_.dialogs)
                ctx_.dialogs->beep();
        }
        if (const Status read = EmblemaData.refresh(); !read)
            showDatabaseError(read.errorText());
    }
    EmblemaData.moveFirst();
}

bool VelaDataParameterFormX::DBGrid1_KeyPress(int column, const QString& typed,
                                              const QString& cellText) {
    DialogService* d = ctx_.dialogs;
    const bool backspace = typed == QStringLiteral("\b");
    auto refuse = [&](const QString& message, const QString& title) {
        if (d) {
            d->beep();
            if (!message.isEmpty())
                d->message(message, title, DialogService::Icon::Warning);
        }
        return false;
    };
    if (!backspace) {
        const QChar c = typed.isEmpty() ? QChar() : typed[0];
        switch (column) {
            case Copies:
                if (!c.isDigit() || c > QLatin1Char('9'))
                    return refuse(text::digitsOnly, text::attention);
                break;
            case Decimals:
                if (c < QLatin1Char('0') || c > QLatin1Char('3'))
                    return refuse(text::zeroToThree, text::attentionBlank);
                break;
            case Currency:
                return refuse({}, {});
            case OwnTaxNumber:
                if (!c.isDigit() || c > QLatin1Char('9'))
                    return refuse(text::taxDigits, text::attention);
                break;
            case Rate:
                if (!c.isDigit() && c != QLatin1Char(',') && c != QLatin1Char('.'))
                    return refuse(text::rateDigits, text::attention);
                break;
            case HistoryYears:
                if (!c.isDigit() || c > QLatin1Char('9'))
                    return refuse(text::yearsDigits, text::attention);
                break;
            default:
                break;
        }
    }
    if (column >= 0 && column < kColumns && cellText.size() >= kLengthLimit[column])
        return refuse({}, {});
    return true;
}

void VelaDataParameterFormX::storePending() {
    // Leaving the cell puts an open editor's text into the row.
    if (DBGrid1->currentIndex().isValid()) {
        DBGrid1->setCurrentIndex({});
        DBGrid1->followCurrent();
    }
    if (!EmblemaData.editPending())
        return;
    const QString before = serverAddress(*parameters_);
    QString typed = Funcs::TextOrEmpty(EmblemaData.field(kServerField)).toString().trimmed();
    // A password is never kept: the typed address is refused and the stored
    // one stays.
    if (const Status fit = postgres::checkServerAddress(typed); !fit) {
        showError(fit.errorText());
        typed = before;
    }
    (void)EmblemaData.setField(kServerField, typed.isEmpty() ? QVariant() : QVariant(typed));
    if (const Status written = EmblemaData.update(); !written) {
        showDatabaseError(written.errorText());
        return;
    }
    const QString after = serverAddress(*parameters_);
    if (after == before)
        return;
    // The databases open at start: the new place counts from the next one.
    const QString where =
        after.isEmpty() ? text::serverFiles : text::serverAt.arg(postgres::withoutPassword(after));
    WhereLabel->setText(whereText(ctx_.db) + QLatin1Char('\n') + text::serverNext.arg(where));
    if (ctx_.dialogs) {
        BusyCursor::Suspend normal;
        ctx_.dialogs->message(text::serverNext.arg(where), text::serverTitle,
                              DialogService::Icon::Information);
    }
}

void VelaDataParameterFormX::Command1_Click() {
    if (!parameters_ || EmblemaData.recordCount() == 0)
        return;
    storePending();
    // A row that could not be stored was told above; the first row is shown
    // either way.
    EmblemaData.moveFirst();
    const QString logo = Funcs::TextOrEmpty(EmblemaData.field(Emblema)).toString();
    if (!logo.isEmpty() && QImage(picturePath(logo)).isNull() && ctx_.dialogs) {
        ctx_.dialogs->alert(text::badLogo, text::badLogoTitle, DialogService::Icon::Critical);
    }
    QString folder = Funcs::TextOrEmpty(EmblemaData.field(Interface)).toString();
    while (folder.startsWith(QLatin1Char(' '))) folder.remove(0, 1);
    ctx_.invoicingFolder = folder;
}

void VelaDataParameterFormX::Command2_Click() {
    KeychainSecretStore keyring;
    NavTechnicalUserFormX user(ctx_, keyring, this);
    if (ctx_.opener)
        ctx_.opener->openModal(user);
}

void VelaDataParameterFormX::Segedlet_Click() {
    ctx_.helpTopic = text::helpTopic;
    HelpFormX help(ctx_, this);
    if (ctx_.opener)
        ctx_.opener->openModal(help);
}

void VelaDataParameterFormX::Kilepes_Click() {
    SetQui(false);
    if (parameters_)
        storePending();
    EmblemaData.close();
    done(QDialog::Accepted);
}

}  // namespace vela
