#include "settings/helpformx.h"

#include <QAction>
#include <QDir>
#include <QMenuBar>
#include <QShowEvent>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "rtf/rtfreader.h"
#include "settings/plaintextprinter.h"
#include "storage/database.h"
#include "ui/appcontext.h"
#include "ui/dialogservice.h"
#include "ui/formkit.h"

namespace vela {

namespace {

namespace text {
const QString caption = QStringLiteral("Segédlet (Help) - VelaData");
const QString print = QStringLiteral("Nyomtat (&Print)");
const QString back = QStringLiteral("Vissza (&Back)");
const QString attention = QStringLiteral("FIGYELEM!");
const QString cannotLoad = QStringLiteral("A segédállomány jelenleg nem tölthető be!");
const QString noHelp = QStringLiteral("Ehhez a modulhoz nincs segédlet!");
const QString printerNotReady = QStringLiteral("A nyomtató nincs készenlétben!");
}  // namespace text

// The only topic with a help file, and that file.
const QString partnerTopic = QStringLiteral("BeraktarozokFormX");
const QString helpFolder = QStringLiteral("Segedlet");
const QString helpFile = QStringLiteral("AdatszolgaltatoFormX.rtf");

}  // namespace

HelpFormX::HelpFormX(AppContext& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx) {
    setObjectName(QStringLiteral("HelpFormX"));
    setWindowTitle(text::caption);
    resize(760, 560);

    menu_ = new QMenuBar(this);
    new MenuTable(menu_,
                  {MenuTable::top(QStringLiteral("HNyom"), text::print, [this] { HNyom_Click(); }),
                   MenuTable::top(QStringLiteral("Hki"), text::back, [this] { Hki_Click(); })},
                  this);

    RichTextBox1_ = new QTextBrowser(this);
    RichTextBox1_->setObjectName(QStringLiteral("RichTextBox1"));
    RichTextBox1_->setReadOnly(true);
    RichTextBox1_->setOpenLinks(false);
    RichTextBox1_->setAccessibleName(text::caption);

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menu_);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(RichTextBox1_);
}

QString HelpFormX::helpFilePath() {
    const QString folder = Database::findFile(QDir::currentPath(), helpFolder);
    return Database::findFile(folder, helpFile);
}

void HelpFormX::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        Form_Activate();
}

void HelpFormX::Form_Activate() {
    if (ctx_.helpTopic == partnerTopic) {
        // The window has one message for every reason the file cannot be read.
        if (!RtfReader::readFile(helpFilePath(), RichTextBox1_->document())) {
            RichTextBox1_->clear();
            if (ctx_.dialogs) {
                ctx_.dialogs->alert(text::cannotLoad, text::attention,
                                    DialogService::Icon::Critical);
            }
        }
    } else if (ctx_.helpTopic.isEmpty()) {
        if (ctx_.dialogs)
            ctx_.dialogs->beep();
        RichTextBox1_->setPlainText(text::noHelp);
    }
    ctx_.helpTopic.clear();
}

void HelpFormX::HNyom_Click() {
    const QString plain = PlainTextPrinter::printableText(*RichTextBox1_->document());
    if (!PlainTextPrinter::print(ctx_.printer, plain) && ctx_.dialogs) {
        ctx_.dialogs->alert(text::printerNotReady, text::attention, DialogService::Icon::Critical);
    }
}

void HelpFormX::Hki_Click() {
    accept();
}

}  // namespace vela
