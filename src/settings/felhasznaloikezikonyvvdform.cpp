#include "settings/felhasznaloikezikonyvvdform.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <optional>

#include "settings/plaintextprinter.h"
#include "ui/appcontext.h"
#include "ui/busycursor.h"
#include "ui/dialogservice.h"
#include "ui/formkit.h"

namespace vela {

namespace {

namespace text {
const QString caption = QStringLiteral("Felhasználói kézikönyv - VelaData - Kvadra");
const QString print = QStringLiteral("Nyomtatás (Print)");
const QString exit = QStringLiteral("Kilépés (Exit)");
const QString printerNotReady = QStringLiteral("A nyomtató nincs készenlétben!");
const QString printerTitle = QStringLiteral("FIGYELEM! HIBA!");
}  // namespace text

}  // namespace

FelhasznaloiKezikonyvVDForm::FelhasznaloiKezikonyvVDForm(AppContext& ctx, QWidget* parent)
    : WindowBase(ctx, parent) {
    setObjectName(QStringLiteral("FelhasznaloiKezikonyvVDForm"));
    setWindowTitle(text::caption);
    resize(900, 680);
    setCursor(Qt::ArrowCursor);

    RichTextBox1_ = new QTextBrowser(this);
    RichTextBox1_->setObjectName(QStringLiteral("RichTextBox1"));
    RichTextBox1_->setReadOnly(true);
    RichTextBox1_->setOpenExternalLinks(false);
    RichTextBox1_->setAccessibleName(text::caption);
    RichTextBox1_->setSource(manualUrl(), QTextDocument::HtmlResource);

    FormKit kit(this);
    Command2_ = kit.button(QStringLiteral("Command2"), text::print, [this] { Command2_Click(); });
    Kilepes_ = kit.button(QStringLiteral("Kilepes"), text::exit, [this] { Kilepes_Click(); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Command2_);
    buttons->addStretch(1);
    buttons->addWidget(Kilepes_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(RichTextBox1_, 1);
    layout->addLayout(buttons);
}

QUrl FelhasznaloiKezikonyvVDForm::manualUrl() {
    return QUrl(QStringLiteral("qrc:/manual/kezikonyv.html"));
}

void FelhasznaloiKezikonyvVDForm::Command2_Click() {
    std::optional<BusyCursor> busy(std::in_place);
    const QString plain = PlainTextPrinter::printableText(*RichTextBox1_->document());
    const bool printed = PlainTextPrinter::print(ctx_.printer, plain).ok();
    busy.reset();
    if (!printed && ctx_.dialogs) {
        ctx_.dialogs->alert(text::printerNotReady, text::printerTitle,
                            DialogService::Icon::Critical);
    }
}

void FelhasznaloiKezikonyvVDForm::Kilepes_Click() {
    SetQui(false);
    done(QDialog::Accepted);
}

}  // namespace vela
