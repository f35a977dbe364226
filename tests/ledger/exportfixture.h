#pragma once

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProgressBar>

#include "freexlsheet.h"
#include "ledger/excelexportformx.h"
#include "ledgerfixture.h"
#include "storage/query.h"

// A ledger window over a data folder that also holds the empty export
// workbooks and their templates, as a new data folder does.
class ExportFixture : public LedgerFixture {
  protected:
    void SetUp() override {
        LedgerFixture::SetUp();
        QDir(folder.path()).mkpath("data");
        for (const QString name : {"VelaDataStatTartozunk.xls", "VelaDataStatTartoznak.xls"}) {
            for (const QString sub : {"", "data/"}) {
                const QString to = folder.file(sub + name);
                ASSERT_TRUE(
                    QFile::copy(QStringLiteral(VELA_BIN_DIR "/DataFolder/") + sub + name, to));
                QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner);
            }
        }
    }

    // What the export window showed when it closed.
    struct Seen {
        QString name;
        QString caption;
        QString status;  // Label2
        QString scale;   // Label1's accessible name
        bool barVisible = false;
        int barMaximum = -1;
        int barValue = -1;
        int emptiedCells = -1;
    };

    // Runs the ledger window's "MS Excel 8" item; the export window, when it
    // opens, does its work as it would on the screen and is looked at after.
    Seen runExport(const char* item = "ExcelExp") {
        Seen seen;
        opener.handlers << [&seen](QDialog& d) {
            QElapsedTimer t;
            t.start();
            while (d.isVisible() && t.elapsed() < 60000)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
            auto* w = qobject_cast<vela::ExcelExportFormX*>(&d);
            ASSERT_TRUE(w);
            seen.name = w->objectName();
            seen.caption = w->windowTitle();
            seen.status = w->findChild<QLabel*>("Label2")->text();
            seen.scale = w->findChild<QLabel*>("Label1")->accessibleName();
            auto* bar = w->findChild<QProgressBar*>("ProgressBar1");
            seen.barVisible = !bar->isHidden();
            seen.barMaximum = bar->maximum();
            seen.barValue = bar->value();
            seen.emptiedCells = w->emptiedCells();
        };
        QAction* action = window->menuItem(item);
        EXPECT_TRUE(action && action->isEnabled()) << item;
        if (action)
            action->trigger();
        opener.handlers.clear();
        return seen;
    }

    // Makes the row with this sequence number current.
    void goTo(qlonglong sorszam) {
        ASSERT_TRUE(window->rows().findFirst(vela::Condition::equals("Sorszám", sorszam)));
    }

    QString workbook(const char* name = "VelaDataStatTartozunk.xls") { return folder.file(name); }
    FreexlSheet sheet(const char* name = "VelaDataStatTartozunk.xls") {
        FreexlSheet s = readWithFreexl(workbook(name));
        EXPECT_TRUE(s.ok) << s.error.toStdString();
        return s;
    }
    QByteArray bytes(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // The numbers of column 0 below the heading row.
    std::vector<double> sequenceNumbers(const FreexlSheet& s) {
        std::vector<double> out;
        for (unsigned r = 1; r < s.rows; ++r) out.push_back(s.at(r, 0).number);
        return out;
    }
};
