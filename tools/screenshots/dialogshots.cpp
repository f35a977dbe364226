// Takes pictures of Qt's own dialogs as VelaData shows them, with Qt's
// Hungarian translations and the Hungarian locale loaded the same way:
//   vela-dialogshots OUTPUT_FOLDER [preview] [printer] [calendar] [buttons]
// preview -> nyomtatasi-kep.png, printer -> nyomtato.png,
// calendar -> naptar.png, buttons -> gombok.png.

#include <QApplication>
#include <QCalendarWidget>
#include <QDate>
#include <QDir>
#include <QLocale>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QToolBar>
#include <cstdio>

#include "app/commandline.h"

namespace {

void settle() {
    for (int i = 0; i < 30; ++i) QApplication::processEvents();
}

bool save(QWidget& w, const QString& path) {
    settle();
    const QPixmap shot = w.grab();
    std::printf("%s %dx%d\n", qPrintable(path), shot.width(), shot.height());
    return shot.save(path);
}

// A page like the ledger print: a title and a few rows with Hungarian
// numbers and dates.
void paintSamplePage(QPrinter* printer) {
    QPainter p(printer);
    const QRect page = p.viewport();
    QFont title = p.font();
    title.setPointSize(16);
    title.setBold(true);
    p.setFont(title);
    p.drawText(QRect(0, 0, page.width(), page.height() / 12), Qt::AlignCenter,
               QStringLiteral("TARTOZÁS NYILVÁNTARTÁS"));
    QFont body = p.font();
    body.setPointSize(10);
    body.setBold(false);
    p.setFont(body);
    const QLocale hu;
    const int line = page.height() / 40;
    int y = page.height() / 8;
    const struct {
        const char* partner;
        double gross;
        QDate due;
    } rows[] = {{"Kovács és Társa Kft.", 127000.0, QDate(2026, 11, 30)},
                {"Duna Papír Bt.", 48260.5, QDate(2026, 12, 15)},
                {"Balaton Szerviz Zrt.", 1905000.0, QDate(2027, 1, 8)}};
    for (const auto& r : rows) {
        p.drawText(0, y, QString::fromUtf8(r.partner));
        p.drawText(page.width() / 2, y, hu.toString(r.due, QLocale::ShortFormat));
        p.drawText(page.width() * 3 / 4, y, hu.toString(r.gross, 'f', 2) + QStringLiteral(" Ft"));
        y += line;
    }
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    vela::useHungarian(app);
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: vela-dialogshots OUTPUT_FOLDER [preview] [printer] [calendar] "
                     "[buttons]\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(out.path());
    bool ok = true;
    for (int i = 2; i < argc; ++i) {
        const QString what = QString::fromLocal8Bit(argv[i]);
        if (what == QLatin1String("preview")) {
            QPrintPreviewDialog preview;
            QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &paintSamplePage);
            // The buttons' Hungarian names shown under their icons, for the picture.
            for (QToolBar* bar : preview.findChildren<QToolBar*>())
                bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
            preview.resize(1960, 760);
            preview.show();
            ok = save(preview, out.filePath(QStringLiteral("nyomtatasi-kep.png"))) && ok;
        } else if (what == QLatin1String("printer")) {
            QPrinter printer;
            QPrintDialog dialog(&printer);
            dialog.show();
            ok = save(dialog, out.filePath(QStringLiteral("nyomtato.png"))) && ok;
        } else if (what == QLatin1String("calendar")) {
            QCalendarWidget calendar;
            calendar.setSelectedDate(QDate(2026, 12, 8));
            calendar.show();
            ok = save(calendar, out.filePath(QStringLiteral("naptar.png"))) && ok;
        } else if (what == QLatin1String("buttons")) {
            QMessageBox box(
                QMessageBox::Question, QStringLiteral("FIGYELEM!"),
                QStringLiteral("Qt saját gombjai:"),
                QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel | QMessageBox::Ok);
            box.show();
            ok = save(box, out.filePath(QStringLiteral("gombok.png"))) && ok;
        } else {
            std::fprintf(stderr, "unknown picture: %s\n", argv[i]);
            ok = false;
        }
    }
    return ok ? 0 : 1;
}
