#include "ledger/datareportvd1.h"

#include <QPdfWriter>

#include "storage/columns.h"
#include "storage/values.h"

namespace vela {

namespace {

using report::Align;
using report::Element;
using Kind = report::Element::Kind;

const QString kCaption = QStringLiteral("Nyomtatás - VelaData - Kvadra");
const QString kHeading = QStringLiteral("TARTOZÁS NYILVÁNTARTÁS");

report::Font regular() {
    return {};
}
report::Font bold() {
    report::Font f;
    f.bold = true;
    return f;
}

// A card's label with the value of its column beside it.
struct CardLine {
    const char* label;
    int labelLeft, labelTop, labelWidth;
    bool labelBold;
    const char* column;
    int valueLeft, valueTop, valueWidth;
    bool valueBold;
};

const CardLine kCard[] = {
    {"Sorszám:", 75, 60, 1290, true, "Sorszám", 1515, 60, 1440, false},
    {"Név:", 3060, 60, 465, false, "CegNev", 3540, 75, 2310, true},
    {"Cím:", 5910, 90, 360, false, "CegCim", 6285, 90, 3660, false},
    {"Számlaszám:", 60, 330, 1290, true, "Szamlaszam", 1500, 330, 1440, true},
    {"Megnevezés:", 3060, 330, 1020, false, "Megnevezes", 4080, 330, 5865, false},
    {"Nettó:", 60, 600, 540, false, "Netto", 1500, 600, 1440, false},
    {"ÁFA%:", 3060, 600, 585, false, "AFA", 3990, 615, 450, false},
    {"Bruttó:", 4605, 600, 720, true, "Brutto", 5490, 615, 1440, true},
    {"Devizanem:", 7935, 600, 930, false, "Devizanem", 8880, 615, 555, false},
    {"Dátumtól:", 60, 885, 720, false, "Datumtol", 1500, 885, 1440, false},
    {"Dátumig:", 3045, 900, 675, false, "Datumig", 3975, 900, 1440, false},
    {"Adatfelvétel:", 5505, 900, 945, false, "Adatfelvetel", 6465, 900, 1440, false},
    {"Kivezetés:", 7935, 915, 840, false, "Kivezetés", 8775, 900, 345, false},
    {"Banki kiv. száma:", 60, 1170, 1290, false, "BankiKivonatSzáma", 1500, 1185, 1440, false},
    {"Banki kiegy.:", 3045, 1200, 945, false, "BankiKiegyenlitésKelte", 4005, 1185, 1440, false},
    {"Részösszeg:", 5490, 1185, 990, false, "RészÖsszeg", 6495, 1185, 1440, false},
    {"Megjegyzés:", 60, 1455, 1290, false, "Megjegyzés", 1500, 1455, 8400, false},
    {"Figyelmeztető:", 45, 1695, 1290, false, "FigyelemMegjegyzés", 1485, 1695, 8430, false},
    {"Részkiegyenlítés:", 45, 1950, 1365, false, "Részkiegyenlités", 1485, 1965, 345, false},
    {"Részösszegek összesen:", 1890, 1980, 2025, false, "RészösszegÖsszesen", 3930, 1995, 1440,
     false},
    {"Fizetés módja:", 5670, 1995, 1185, false, "FizetésMódja", 6870, 1980, 1440, false},
};

}  // namespace

report::Layout DataReportVD1::layout() {
    report::Layout l;
    l.reportWidth = 10005;
    l.marginLeft = l.marginTop = l.marginRight = l.marginBottom = 900;

    report::Font heading;
    heading.points = 12;
    heading.bold = heading.underline = true;
    report::Font titleFont;
    titleFont.bold = titleFont.italic = true;
    l.reportHeader.height = 570;
    l.reportHeader.elements = {
        {Kind::Label, 1755, 45, 3480, 240, kHeading, -1, heading, Align::Left},
        {Kind::Date, 45, 30, 1440, 240, {}, -1, regular(), Align::Left},
        {Kind::PageNumber, 60, 300, 585, 240, {}, -1, regular(), Align::Right},
        {Kind::Title, 5445, 45, 4530, 240, {}, -1, titleFont, Align::Right},
    };

    const TableDef& t = schema::velaIdeigl();
    l.detail.height = 2445;
    for (const CardLine& c : kCard) {
        l.detail.elements.push_back({Kind::Label, c.labelLeft, c.labelTop, c.labelWidth, 240,
                                     QString::fromUtf8(c.label), -1,
                                     c.labelBold ? bold() : regular(), Align::Left});
        l.detail.elements.push_back({Kind::Field,
                                     c.valueLeft,
                                     c.valueTop,
                                     c.valueWidth,
                                     240,
                                     {},
                                     t.indexOf(QString::fromUtf8(c.column)),
                                     c.valueBold ? bold() : regular(),
                                     Align::Left});
    }
    l.detail.elements.push_back({Kind::Rule, 90, 2265, 9795, 0, {}, -1, regular(), Align::Left});

    // The number of every page at its foot, so pages after the first can be
    // told apart and put in order.
    l.pageFooter.height = 240;
    l.pageFooter.elements = {
        {Kind::PageNumber, 0, 0, l.reportWidth, 240, {}, -1, regular(), Align::Center},
    };
    l.reportFooter.height = 60;
    return l;
}

DataReportVD1::DataReportVD1(Database& veladata, QWidget* parent)
    : QPrintPreviewDialog(parent), report_(layout()) {
    setObjectName(QStringLiteral("DataReportVD1"));
    setWindowTitle(kCaption);
    report_.setUpPage(*printer());
    rsCommand1.setObjectName(QStringLiteral("rsCommand1"));
    rsCommand1.setDatabase(&veladata);
    rsCommand1.setQuery(Query(schema::velaIdeigl()));
    connect(this, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* printer) {
        // The preview shows what could be drawn; it has no place to say more.
        (void)render(*printer);
    });
}

DataReportVD1::~DataReportVD1() = default;

Status DataReportVD1::refresh() {
    if (Status read = rsCommand1.refresh(); !read) {
        report_.setRows(0, {});
        return read;
    }
    report_.setDateText(values::formatDate(QDate::currentDate()));
    report_.setRows(rsCommand1.recordCount(), [this](int row, int field) {
        return values::toText(rsCommand1.valueAt(row, field));
    });
    return {};
}

Status DataReportVD1::render(QPagedPaintDevice& device) const {
    return report_.paint(device);
}

Status DataReportVD1::printToPdf(const QString& path) const {
    QPdfWriter pdf(path);
    pdf.setResolution(1200);
    pdf.setCreator(QStringLiteral("VelaData"));
    pdf.setTitle(kHeading);
    report_.setUpPage(pdf);
    return render(pdf);
}

}  // namespace vela
