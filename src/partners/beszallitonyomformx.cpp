#include "partners/beszallitonyomformx.h"

#include <QCloseEvent>
#include <QDate>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

#include "partners/beraktarozokmessages.h"
#include "settings/helpformx.h"
#include "storage/values.h"
#include "ui/appcontext.h"
#include "ui/busycursor.h"
#include "ui/dialogservice.h"
#include "ui/formkit.h"
#include "ui/printerservice.h"
#include "ui/windowopener.h"

namespace vela {

namespace text = partnertext;

namespace {

constexpr int kHeadingTop = 840;
constexpr int kFirstRowTop = 1200;
constexpr int kRowStep = 360;
// Left edges of the six columns, headings and data alike.
constexpr int kColumnLeft[6] = {360, 4320, 5640, 6480, 9360, 12840};
constexpr double kBodyPoints = 9.75;

int px(int twips) {
    return twips / BeszallitoNyomFormX::kTwipsPerPixel;
}

}  // namespace

BeszallitoNyomFormX::BeszallitoNyomFormX(AppContext& ctx, QWidget* parent)
    : QDialog(parent), ctx_(ctx), labels_(143, nullptr) {
    setObjectName(QStringLiteral("BeszallitoNyomFormX"));
    setWindowTitle(text::kPageCaption);

    page_ = new QWidget(this);
    page_->setObjectName(QStringLiteral("PageArea"));
    page_->setFixedSize(px(kPageWidth), px(kPageHeight));
    page_->setAutoFillBackground(true);
    QPalette pal = page_->palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Base));  // the system window colour
    page_->setPalette(pal);

    addLabel(141, 360, 240, kBodyPoints, false, QStringLiteral("Lapszám:"));
    addLabel(1, 6600, 240, 12, true, text::kPageTitle);
    const char* headings[6] = {
        "Név:", "Irányítószám:", "Ország:", "Székhely:", "Cím:", "Telefon / FAX:"};
    for (int i = 0; i < 6; ++i)
        addLabel(2 + i, kColumnLeft[i], kHeadingTop, kBodyPoints, true,
                 QString::fromUtf8(headings[i]));
    for (int k = 1; k <= kRows; ++k) {
        for (int p = 1; p <= 6; ++p)
            addLabel(8 + 6 * (k - 1) + (p - 1), kColumnLeft[p - 1],
                     kFirstRowTop + kRowStep * (k - 1), kBodyPoints, false,
                     p == 6 ? QStringLiteral("/") : QStringLiteral("-"));
    }
    addLabel(140, 360, 9360, kBodyPoints, false, QStringLiteral("Kiadva:"));
    QLabel* credit = addLabel(142, 120, 0, 3.75, false, text::kCreditLine);
    QPalette cp = credit->palette();
    cp.setColor(QPalette::WindowText, QColor(0, 0, 64));
    credit->setPalette(cp);

    // The buttons stand on the page area but never print.
    const std::pair<const char*, QString> buttons[4] = {{"Command1", text::kNext},
                                                        {"Command2", text::kPrint},
                                                        {"Command3", text::kCancel},
                                                        {"Command4", text::kHelp}};
    void (BeszallitoNyomFormX::*handlers[4])() = {
        &BeszallitoNyomFormX::Command1_Click, &BeszallitoNyomFormX::Command2_Click,
        &BeszallitoNyomFormX::Command3_Click, &BeszallitoNyomFormX::Command4_Click};
    for (int i = 0; i < 4; ++i) {
        auto* b = new QPushButton(buttons[i].second, page_);
        b->setObjectName(QLatin1String(buttons[i].first));
        b->setAutoDefault(false);
        b->setStyleSheet(QLatin1String(busy::kIdleStyle));
        b->setGeometry(px(8520 + 1560 * i), px(9420), px(1440), px(420));
        connect(b, &QPushButton::clicked, this, handlers[i]);
        buttons_ << b;
    }
    buttons_.first()->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(page_);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // On load: the page's help topic, the print not stopped, the normal pointer.
    ctx_.helpTopic = QStringLiteral("BeszallitoNyomFormX");
    stopFlag_ = 0;
}

QLabel* BeszallitoNyomFormX::addLabel(int number, int left, int top, double points, bool bold,
                                      const QString& textValue) {
    auto* l = new QLabel(page_);
    l->setObjectName(QStringLiteral("Label%1").arg(number));
    QFont f(QStringLiteral("Times New Roman"));
    f.setPointSizeF(points);
    f.setBold(bold);
    l->setFont(f);
    l->setAutoFillBackground(true);
    QPalette pal = l->palette();
    pal.setColor(QPalette::Window, Qt::white);
    l->setPalette(pal);
    l->move(px(left), px(top));
    labels_[number] = l;
    setText(l, textValue);
    return l;
}

void BeszallitoNyomFormX::setText(QLabel* label, const QString& textValue) {
    label->setText(textValue);
    label->adjustSize();  // the label sizes itself to its text
    label->setAccessibleName(textValue);
}

QLabel* BeszallitoNyomFormX::label(int number) const {
    return number > 0 && number < labels_.size() ? labels_[number] : nullptr;
}

QLabel* BeszallitoNyomFormX::cell(int slot, int position) const {
    if (slot < 1 || slot > kRows || position < 1 || position > 6)
        return nullptr;
    return label(8 + 6 * (slot - 1) + (position - 1));
}

void BeszallitoNyomFormX::preparePage(int pageNumber) {
    setText(label(1), text::kPageTitle);
    for (int n = 8; n <= 139; ++n) setText(label(n), QString());
    setText(label(140), text::kIssued + values::formatDate(QDate::currentDate()));
    setText(label(141), text::kPageNumber + QString::number(pageNumber));
}

void BeszallitoNyomFormX::fillRow(int slot, const QStringList& six) {
    for (int p = 1; p <= 6; ++p) {
        if (QLabel* l = cell(slot, p))
            setText(l, six.value(p - 1));
    }
}

void BeszallitoNyomFormX::paintPage(QPrinter& printer) const {
    printer.setFullPage(true);
    QPainter painter(&printer);
    const QRectF paper = printer.paperRect(QPrinter::DevicePixel);
    const double perTwip = printer.resolution() / 1440.0;
    const double scale = std::min(
        {1.0, paper.width() / (kPageWidth * perTwip), paper.height() / (kPageHeight * perTwip)});
    const double unit = perTwip * scale;  // device pixels per twip
    const QPointF origin((paper.width() - kPageWidth * unit) / 2,
                         (paper.height() - kPageHeight * unit) / 2);
    painter.fillRect(QRectF(origin, QSizeF(kPageWidth * unit, kPageHeight * unit)),
                     page_->palette().color(QPalette::Window));
    // The page area's labels where they stand on the screen, in their fonts
    // and colours; the buttons are not part of the sheet.
    for (const QLabel* l : labels_) {
        if (!l || !l->isVisibleTo(page_) || l->text().isEmpty())
            continue;
        QFont f = l->font();
        f.setPointSizeF(f.pointSizeF() * scale);
        painter.setFont(f);
        painter.setPen(l->palette().color(QPalette::WindowText));
        const QPointF at =
            origin + QPointF(l->x() * kTwipsPerPixel * unit, l->y() * kTwipsPerPixel * unit);
        painter.drawText(QRectF(at, QSizeF(kPageWidth * unit, 1440 * unit)),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, l->text());
    }
}

void BeszallitoNyomFormX::showButtons(bool visible) {
    for (QPushButton* b : std::as_const(buttons_)) b->setVisible(visible);
}

void BeszallitoNyomFormX::Command1_Click() {
    busy::run(buttons_[0], [] {});
    accept();
}

void BeszallitoNyomFormX::Command2_Click() {
    busy::run(buttons_[1], [this] {
        bool printed = false;
        {
            BusyCursor busyPointer;
            showButtons(false);
            // Whatever stopped the job, the user is told the printer is not ready.
            if (ctx_.printer)
                printed = ctx_.printer
                              ->print([this](QPrinter& p) { paintPage(p); }, QPageLayout::Landscape)
                              .ok();
        }
        if (!printed && ctx_.dialogs) {
            ctx_.dialogs->alert(text::kPrinterNotReady, text::kPrinterNotReadyTitle,
                                DialogService::Icon::Warning);
        }
        showButtons(true);
    });
}

void BeszallitoNyomFormX::Command3_Click() {
    busy::run(buttons_[2], [this] { stopFlag_ = 1; });
    accept();
}

void BeszallitoNyomFormX::Command4_Click() {
    busy::run(buttons_[3], [this] {
        HelpFormX help(ctx_, this);
        if (ctx_.opener)
            ctx_.opener->openModal(help);
    });
}

void BeszallitoNyomFormX::closeEvent(QCloseEvent* event) {
    // The close box goes on with the next page, as "Tovább" does.
    event->accept();
    QDialog::closeEvent(event);
}

}  // namespace vela
