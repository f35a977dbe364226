#include "reports/penzforgalomformx.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QCursor>
#include <QDir>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QTableWidget>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>

#include "reports/money.h"
#include "storage/database.h"
#include "ui/appcontext.h"
#include "ui/busycursor.h"
#include "ui/datepicker.h"
#include "ui/dialogservice.h"
#include "ui/formkit.h"
#include "ui/printerservice.h"
#include "ui/qtprinterservice.h"

namespace vela {

using Icon = DialogService::Icon;

namespace {
namespace text {
const QString caption = QStringLiteral("Pénzforgalom - VelaData");
const QString error = QStringLiteral("FIGYELEM! HIBA!");
const QString attention = QStringLiteral("FIGYELEM!");
const QString noDatabase = QStringLiteral("Az adatbázis nem nyitható meg: %1");
const QString notReady = QStringLiteral("A nyomtató nem áll készen!");
const QString printError = QStringLiteral("A nyomtatás nem sikerült: %1");
const QString pdfPrompt = QStringLiteral("A PDF fájl neve:");
const QString pdfDone = QStringLiteral("A PDF elkészült: %1");
const QString receipts = QStringLiteral("Bevétel (vevők)");
const QString payments = QStringLiteral("Kiadás (szállítók)");
const QString balance = QStringLiteral("Göngyölt egyenleg");
const QString receivables = QStringLiteral("Vevők tartoznak");
const QString payables = QStringLiteral("Szállítóknak tartozunk");
}  // namespace text

QTableWidgetItem* cell(const QString& t, bool right) {
    auto* item = new QTableWidgetItem(t);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    if (right)
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

// A bucket's caption on the chart's axis, its last word on a second line:
// whole words stay readable where five categories share a narrow chart.
QString axisCaption(int bucket) {
    QString c = reports::bucketCaption(bucket).toHtmlEscaped();
    const qsizetype space = c.lastIndexOf(QLatin1Char(' '));
    if (space > 0)
        c.replace(space, 1, QStringLiteral("<br>"));
    return c;
}

// The charts read their axes' figures grouped, as the tables do.
QChart* newChart(const QString& title) {
    auto* chart = new QChart;
    chart->setTitle(title);
    chart->setLocale(QLocale(QLocale::Hungarian, QLocale::Hungary));
    chart->setLocalizeNumbers(true);
    chart->setMargins(QMargins(4, 4, 4, 4));
    return chart;
}

// Draws a chart laid out at target's size times scale into target; the
// chart goes with its scene.
void renderChart(QChart* chart, QPainter& p, const QRectF& target, double scale) {
    QGraphicsScene scene;
    scene.addItem(chart);
    const QSizeF size = target.size() * scale;
    chart->resize(size);
    chart->layout()->activate();
    scene.render(&p, target, QRectF(QPointF(0, 0), size));
}

QString weekCaption(const reports::CashWeek& w, int i) {
    return QStringLiteral("%1. hét (%2)")
        .arg(i + 1)
        .arg(w.first.toString(QStringLiteral("MM.dd.")));
}

}  // namespace

PenzforgalomFormX::PenzforgalomFormX(AppContext& ctx, QWidget* parent, const QDate& from)
    : WindowBase(ctx, parent) {
    setObjectName(QStringLiteral("PenzforgalomFormX"));
    setWindowTitle(text::caption);
    auto* root = new QVBoxLayout(this);
    FormKit kit(this);

    auto* top = new QHBoxLayout;
    DTPicker1 = new DatePicker(this);
    DTPicker1->setObjectName(QStringLiteral("DTPicker1"));
    DTPicker1->setDate(from);
    top->addWidget(kit.caption(QStringLiteral("Label1"), QStringLiteral("Kezdőnap:"), DTPicker1));
    top->addWidget(DTPicker1);
    Devizanem = new QComboBox(this);
    Devizanem->setObjectName(QStringLiteral("Devizanem"));
    Devizanem->addItem(QStringLiteral("Ft"));
    top->addWidget(kit.caption(QStringLiteral("Label2"), QStringLiteral("Devizanem:"), Devizanem));
    top->addWidget(Devizanem);
    top->addWidget(kit.button(QStringLiteral("Frissit"), QStringLiteral("&Frissítés"),
                              [this] { Frissit_Click(); }));
    top->addStretch(1);
    top->addWidget(kit.button(QStringLiteral("Nyomtat"), QStringLiteral("&Nyomtatás"),
                              [this] { Nyomtat_Click(); }));
    top->addWidget(kit.button(QStringLiteral("PdfMent"), QStringLiteral("&PDF mentése"),
                              [this] { PdfMent_Click(); }));
    top->addWidget(kit.button(QStringLiteral("Kilepes"), QStringLiteral("&Kilépés"),
                              [this] { Kilepes_Click(); }));
    root->addLayout(top);

    auto* charts = new QHBoxLayout;
    CashView = new QChartView(new QChart, this);
    CashView->setObjectName(QStringLiteral("CashView"));
    CashView->setRenderHint(QPainter::Antialiasing);
    CashView->setAccessibleName(QStringLiteral("Pénzforgalom hetente; a számok a táblázatban"));
    AgeingView = new QChartView(new QChart, this);
    AgeingView->setObjectName(QStringLiteral("AgeingView"));
    AgeingView->setRenderHint(QPainter::Antialiasing);
    AgeingView->setAccessibleName(QStringLiteral("Korosítás; a számok a táblázatban"));
    charts->addWidget(CashView, 1);
    charts->addWidget(AgeingView, 1);
    root->addLayout(charts, 3);

    Tablazat = new QTableWidget(this);
    Tablazat->setObjectName(QStringLiteral("Tablazat"));
    Tablazat->setAccessibleName(QStringLiteral("A grafikonok számai"));
    Tablazat->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Tablazat->verticalHeader()->hide();
    root->addWidget(Tablazat, 2);
    resize(1200, 760);

    Frissit_Click();
    fillCurrencies();
}

PenzforgalomFormX::~PenzforgalomFormX() = default;

QChart* PenzforgalomFormX::cashChart() const {
    return CashView->chart();
}
QChart* PenzforgalomFormX::ageingChart() const {
    return AgeingView->chart();
}

void PenzforgalomFormX::showError(const QString& message) {
    BusyCursor::Suspend normal;
    ctx_.dialogs->alert(message, text::error, Icon::Critical);
}

void PenzforgalomFormX::fillCurrencies() {
    const QString current = Devizanem->currentText();
    Devizanem->clear();
    QStringList all = flow_.currencies;
    if (!all.contains(QStringLiteral("Ft")))
        all.prepend(QStringLiteral("Ft"));
    for (const QString& c : all) Devizanem->addItem(reports::currencyCaption(c), c);
    const int at = Devizanem->findData(current.isEmpty() ? QStringLiteral("Ft") : current);
    Devizanem->setCurrentIndex(at < 0 ? 0 : at);
}

void PenzforgalomFormX::Frissit_Click() {
    Database* db = ctx_.db.veladata.get();
    if (!db) {
        showError(text::noDatabase.arg(ctx_.db.veladataStatus.errorText()));
        return;
    }
    const QString currency = Devizanem->currentData().isValid()
                                 ? Devizanem->currentData().toString()
                                 : Devizanem->currentText();
    BusyCursor busy;
    auto f = reports::cashFlow(*db, DTPicker1->date(), currency);
    if (!f) {
        showDatabaseError(f.errorText());
        return;
    }
    flow_ = std::move(*f);
    drawCharts();
    fillTable();
}

QString PenzforgalomFormX::hoverText(const QBarSet* set, int index) const {
    const QString& c = flow_.currency;
    if (set && set->label() == text::receivables && index >= 0 && index < reports::kBucketCount)
        return QStringLiteral("%1, %2: %3")
            .arg(text::receivables, reports::bucketCaption(index),
                 reports::money(flow_.receivablesAgeing.buckets[size_t(index)], c));
    if (set && set->label() == text::payables && index >= 0 && index < reports::kBucketCount)
        return QStringLiteral("%1, %2: %3")
            .arg(text::payables, reports::bucketCaption(index),
                 reports::money(flow_.payablesAgeing.buckets[size_t(index)], c));
    if (index < 0 || index >= int(flow_.weeks.size()))
        return {};
    const reports::CashWeek& w = flow_.weeks[size_t(index)];
    return QStringLiteral("%1 - %2\n%3: %4\n%5: %6\n%7: %8")
        .arg(reports::dateText(w.first), reports::dateText(w.last), text::receipts,
             reports::money(w.receipts, c), text::payments, reports::money(w.payments, c),
             text::balance, reports::money(w.balance, c));
}

QChart* PenzforgalomFormX::makeCashChart() const {
    const QString& c = flow_.currency;
    QChart* chart = newChart(
        QStringLiteral("Várható pénzforgalom hetente (%1)").arg(reports::currencyCaption(c)));
    auto* in = new QBarSet(text::receipts);
    auto* out = new QBarSet(text::payments);
    auto* line = new QLineSeries;
    line->setName(text::balance);
    QStringList weeks;
    double low = 0, high = 0;
    for (size_t i = 0; i < flow_.weeks.size(); ++i) {
        const reports::CashWeek& w = flow_.weeks[i];
        *in << w.receipts;
        *out << w.payments;
        line->append(double(i), w.balance);
        weeks << QString::number(i + 1);
        low = std::min({low, w.receipts, w.payments, w.balance});
        high = std::max({high, w.receipts, w.payments, w.balance});
    }
    auto* bars = new QBarSeries;
    bars->append(in);
    bars->append(out);
    chart->addSeries(bars);
    chart->addSeries(line);
    auto* x = new QBarCategoryAxis;
    x->append(weeks);
    x->setTitleText(QStringLiteral("hét (az 1. a lejártakkal)"));
    auto* y = new QValueAxis;
    y->setRange(low, high > low ? high * 1.05 : low + 1);
    y->setLabelFormat(QStringLiteral("%.0f"));
    y->applyNiceNumbers();
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (QAbstractSeries* s :
         {static_cast<QAbstractSeries*>(bars), static_cast<QAbstractSeries*>(line)}) {
        s->attachAxis(x);
        s->attachAxis(y);
    }
    return chart;
}

QChart* PenzforgalomFormX::makeAgeingChart() const {
    const QString& c = flow_.currency;
    QChart* ageing = newChart(QStringLiteral("Korosítás (%1)").arg(reports::currencyCaption(c)));
    auto* rec = new QBarSet(text::receivables);
    auto* pay = new QBarSet(text::payables);
    QStringList buckets;
    double top = 0, bottom = 0;
    for (int b = 0; b < reports::kBucketCount; ++b) {
        *rec << flow_.receivablesAgeing.buckets[size_t(b)];
        *pay << flow_.payablesAgeing.buckets[size_t(b)];
        buckets << axisCaption(b);
        top = std::max({top, flow_.receivablesAgeing.buckets[size_t(b)],
                        flow_.payablesAgeing.buckets[size_t(b)]});
        bottom = std::min({bottom, flow_.receivablesAgeing.buckets[size_t(b)],
                           flow_.payablesAgeing.buckets[size_t(b)]});
    }
    auto* ageBars = new QBarSeries;
    ageBars->append(rec);
    ageBars->append(pay);
    ageing->addSeries(ageBars);
    auto* ax = new QBarCategoryAxis;
    ax->append(buckets);
    auto* ay = new QValueAxis;
    ay->setRange(bottom, top > bottom ? top * 1.05 : bottom + 1);
    ay->setLabelFormat(QStringLiteral("%.0f"));
    ay->applyNiceNumbers();
    ageing->addAxis(ax, Qt::AlignBottom);
    ageing->addAxis(ay, Qt::AlignLeft);
    ageBars->attachAxis(ax);
    ageBars->attachAxis(ay);
    return ageing;
}

void PenzforgalomFormX::drawCharts() {
    for (QChartView* view : {CashView, AgeingView}) {
        QChart* chart = view == CashView ? makeCashChart() : makeAgeingChart();
        for (QAbstractSeries* s : chart->series()) {
            auto* bars = qobject_cast<QBarSeries*>(s);
            if (!bars)
                continue;
            for (QBarSet* set : bars->barSets())
                connect(set, &QBarSet::hovered, this, [this, set, view](bool on, int index) {
                    if (on)
                        QToolTip::showText(QCursor::pos(), hoverText(set, index), view);
                    else
                        QToolTip::hideText();
                });
        }
        QChart* old = view->chart();
        view->setChart(chart);
        delete old;
    }
}

void PenzforgalomFormX::fillTable() {
    const QString& c = flow_.currency;
    const QStringList headings{
        QStringLiteral("Hét"), QStringLiteral("Időszak"),       text::receipts,
        text::payments,        QStringLiteral("Heti egyenleg"), text::balance};
    Tablazat->clear();
    Tablazat->setColumnCount(int(headings.size()));
    Tablazat->setHorizontalHeaderLabels(headings);
    Tablazat->setRowCount(int(flow_.weeks.size()) + reports::kBucketCount);
    int row = 0;
    for (size_t i = 0; i < flow_.weeks.size(); ++i, ++row) {
        const reports::CashWeek& w = flow_.weeks[i];
        Tablazat->setItem(row, 0, cell(weekCaption(w, int(i)), false));
        Tablazat->setItem(row, 1,
                          cell(QStringLiteral("%1 - %2").arg(reports::dateText(w.first),
                                                             reports::dateText(w.last)),
                               false));
        Tablazat->setItem(row, 2, cell(reports::money(w.receipts, c), true));
        Tablazat->setItem(row, 3, cell(reports::money(w.payments, c), true));
        Tablazat->setItem(row, 4, cell(reports::money(w.net(), c), true));
        Tablazat->setItem(row, 5, cell(reports::money(w.balance, c), true));
    }
    // The ageing chart's figures: receivables under receipts, payables under payments.
    for (int b = 0; b < reports::kBucketCount; ++b, ++row) {
        Tablazat->setItem(row, 0, cell(QStringLiteral("Korosítás"), false));
        Tablazat->setItem(row, 1, cell(reports::bucketCaption(b), false));
        Tablazat->setItem(
            row, 2, cell(reports::money(flow_.receivablesAgeing.buckets[size_t(b)], c), true));
        Tablazat->setItem(row, 3,
                          cell(reports::money(flow_.payablesAgeing.buckets[size_t(b)], c), true));
        Tablazat->setItem(row, 4, cell(QString(), true));
        Tablazat->setItem(row, 5, cell(QString(), true));
    }
    Tablazat->resizeColumnsToContents();
}

void PenzforgalomFormX::paint(QPrinter& printer) const {
    QPainter p;
    if (!p.begin(&printer))
        return;
    const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
    const QRectF area(0, 0, page.width(), page.height());
    const double unit = area.width() / 100.0;
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(int(unit * 1.6));
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRectF(0, 0, area.width(), unit * 3), Qt::AlignLeft,
               QStringLiteral("Pénzforgalmi előrejelzés és korosítás, %1 (%2)")
                   .arg(reports::dateText(flow_.from), reports::currencyCaption(flow_.currency)));
    const double chartsTop = unit * 3.5;
    const double chartsHeight = area.height() * 0.55;
    // The page's own charts at a screen-like size (the page 1300 points
    // wide), whatever size the window has or whether it was ever shown.
    const double scale = 1300.0 / area.width();
    const double split = area.width() * 0.55;
    renderChart(makeCashChart(), p, QRectF(0, chartsTop, split - unit * 0.5, chartsHeight), scale);
    renderChart(
        makeAgeingChart(), p,
        QRectF(split + unit * 0.5, chartsTop, area.width() - split - unit * 0.5, chartsHeight),
        scale);
    f.setBold(false);
    f.setPixelSize(int(unit * 1.15));
    p.setFont(f);
    double y = chartsTop + chartsHeight + unit;
    const double row = unit * 1.6;
    const double widths[6] = {12, 22, 17, 17, 15, 17};
    for (int r = -1; r < Tablazat->rowCount(); ++r) {
        double x = 0;
        for (int c = 0; c < Tablazat->columnCount(); ++c) {
            const QString t =
                r < 0 ? Tablazat->horizontalHeaderItem(c)->text()
                      : (Tablazat->item(r, c) ? Tablazat->item(r, c)->text() : QString());
            const QRectF box(x, y, widths[c] * unit - unit * 0.5, row);
            p.drawText(box, (c >= 2 ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter, t);
            x += widths[c] * unit;
        }
        y += row;
        if (y + row > area.height())
            break;
    }
    p.end();
}

void PenzforgalomFormX::Nyomtat_Click() {
    if (!ctx_.printer->ready()) {
        ctx_.dialogs->alert(text::notReady, text::attention, Icon::Warning);
        return;
    }
    if (Status s =
            ctx_.printer->preview([this](QPrinter& pr) { paint(pr); }, QPageLayout::Landscape);
        !s)
        showError(text::printError.arg(s.errorText()));
}

void PenzforgalomFormX::PdfMent_Click() {
    const QString path =
        ctx_.dialogs
            ->input(text::pdfPrompt, text::caption,
                    QDir(ctx_.dataFolder.isEmpty() ? QDir::currentPath() : ctx_.dataFolder)
                        .filePath(QStringLiteral("Penzforgalom-%1.pdf")
                                      .arg(flow_.from.toString(QStringLiteral("yyyyMMdd")))))
            .trimmed();
    if (path.isEmpty())
        return;
    PdfPrinterService pdf(path);
    if (Status s = pdf.print([this](QPrinter& pr) { paint(pr); }, QPageLayout::Landscape); !s) {
        showError(text::printError.arg(s.errorText()));
        return;
    }
    ctx_.dialogs->message(text::pdfDone.arg(path), text::caption, Icon::Information);
}

void PenzforgalomFormX::Kilepes_Click() {
    SetQui(false);
    accept();
}

}  // namespace vela
