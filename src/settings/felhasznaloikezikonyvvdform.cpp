#include "settings/felhasznaloikezikonyvvdform.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <optional>

#include "settings/plaintextprinter.h"
#include "ui/appcontext.h"
#include "ui/busycursor.h"
#include "ui/dialogservice.h"

namespace vela {

namespace {

namespace text {
const QString caption = QStringLiteral("Felhasználói kézikönyv - VelaData - Kvadra");
const QString print = QStringLiteral("Nyomtatás (Print)");
const QString exit = QStringLiteral("Kilépés (Exit)");
const QString printerNotReady = QStringLiteral("A nyomtató nincs készenlétben!");
const QString printerTitle = QStringLiteral("FIGYELEM! HIBA!");
}  // namespace text

const QColor working(0, 255, 0);
const QColor idle(Qt::white);

void paintButton(QPushButton* button, const QColor& colour) {
    QPalette pal = button->palette();
    pal.setColor(QPalette::Button, colour);
    button->setPalette(pal);
    button->repaint();
}

}  // namespace

FelhasznaloiKezikonyvVDForm::FelhasznaloiKezikonyvVDForm(AppContext& ctx, QWidget* parent)
    : QDialog(parent), ctx_(ctx) {
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

    Command2_ = new QPushButton(text::print, this);
    Command2_->setObjectName(QStringLiteral("Command2"));
    connect(Command2_, &QPushButton::clicked, this, &FelhasznaloiKezikonyvVDForm::Command2_Click);
    Kilepes_ = new QPushButton(text::exit, this);
    Kilepes_->setObjectName(QStringLiteral("Kilepes"));
    connect(Kilepes_, &QPushButton::clicked, this, &FelhasznaloiKezikonyvVDForm::Kilepes_Click);
    paintButton(Command2_, idle);
    paintButton(Kilepes_, idle);

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
    paintButton(Command2_, working);
    const QString plain = PlainTextPrinter::printableText(*RichTextBox1_->document());
    const bool printed = PlainTextPrinter::print(ctx_.printer, plain);
    busy.reset();
    if (!printed && ctx_.dialogs) {
        ctx_.dialogs->beep();
        ctx_.dialogs->message(text::printerNotReady, text::printerTitle,
                              DialogService::Icon::Critical);
    }
    paintButton(Command2_, idle);
}

void FelhasznaloiKezikonyvVDForm::Kilepes_Click() {
    paintButton(Kilepes_, working);
    paintButton(Kilepes_, idle);
    closeFlag_ = false;
    done(QDialog::Accepted);
}

void FelhasznaloiKezikonyvVDForm::reject() {
    if (closeFlag_)
        Kilepes_Click();
    else
        QDialog::reject();
}

void FelhasznaloiKezikonyvVDForm::closeEvent(QCloseEvent* event) {
    if (closeFlag_) {
        event->ignore();
        Kilepes_Click();
        return;
    }
    QDialog::closeEvent(event);
}

}  // namespace vela
