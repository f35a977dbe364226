// The program ends only by the payables window's exit: message and input
// boxes opened and closed in the receivables window, while the payables
// window is hidden, must not end it. Driven through the real dialog service
// and window opener in the running event loop; the boxes are answered from
// a timer, as a user would.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

#include "app/startup.h"
#include "import/standindatabase.h"
#include "importwindow/szamlaimportformx.h"
#include "ledger/ledgerwindow.h"
#include "storage/database.h"
#include "tempdatafolder.h"
#include "ui/appcontext.h"
#include "ui/qtdialogservice.h"
#include "ui/windowopener.h"

using namespace vela;

namespace {

// Answers the box on top with the next answer (a button's caption, or an
// input box's text) and remembers what each box said.
class BoxAnswerer : public QObject {
  public:
    explicit BoxAnswerer(QStringList answers) : answers_(std::move(answers)) {
        connect(&timer_, &QTimer::timeout, this, &BoxAnswerer::answerTop);
        timer_.start(20);
    }
    QStringList seen;

  private:
    void answerTop() {
        QWidget* top = QApplication::activeModalWidget();
        const QString answer = answers_.isEmpty() ? QString() : answers_.first();
        if (auto* box = qobject_cast<QMessageBox*>(top)) {
            if (!box->isVisible())
                return;
            seen << box->text();
            answers_.removeFirst();
            for (QAbstractButton* b : box->buttons()) {
                if (b->text().remove(QLatin1Char('&')) == answer) {
                    b->click();
                    return;
                }
            }
            box->buttons().first()->click();
        } else if (auto* input = qobject_cast<QInputDialog*>(top)) {
            if (!input->isVisible())
                return;
            seen << input->labelText();
            answers_.removeFirst();
            input->setTextValue(answer);
            input->accept();
        }
    }
    QStringList answers_;
    QTimer timer_;
};

// Counts every sign of the program ending: Qt's last window closing and a
// quit request.
class EndWatch : public QObject {
  public:
    EndWatch() {
        qApp->installEventFilter(this);
        connect(qApp, &QGuiApplication::lastWindowClosed, this, [this] { ++ends; });
    }
    ~EndWatch() override { qApp->removeEventFilter(this); }
    int ends = 0;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == qApp && event->type() == QEvent::Quit)
            ++ends;
        return false;
    }
};

class QuitTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ctx.dialogs = &dialogs;
        ctx.opener = &opener;
        // Two kinds of invoices in the invoicing program: two number questions.
        const QString file = invoicing.filePath("LFAKTURO.MDB");
        ASSERT_TRUE(StandInDatabase::create(file));
        for (const char* table : {"SZAMLA", "ATUTAL"}) {
            const QVariantList line = {1,
                                       "Vevő Kft.",
                                       "Szeged",
                                       "Fő utca 1.",
                                       "átutalás",
                                       QDate(2024, 3, 1),
                                       QDate(2024, 3, 9),
                                       "Tétel",
                                       27,
                                       0.0,
                                       "Ft",
                                       10.0,
                                       12.7,
                                       QDate(2024, 2, 28)};
            ASSERT_TRUE(StandInDatabase::appendLines(file, table, {line}));
        }
        ctx.invoicingFolder = invoicing.path();
    }
    void TearDown() override { QApplication::setQuitOnLastWindowClosed(true); }

    void fill(const QString& table, int rows) {
        auto db = Database::openPath(folder.file("veladata.mdb"));
        ASSERT_TRUE(db);
        for (int i = 1; i <= rows; ++i)
            ASSERT_TRUE((*db)->exec(QStringLiteral("INSERT INTO %1 (Sorszám, recordID, Szamlaszam, "
                                                   "Brutto, Kivezetés, FizetésMódja) VALUES (?, ?, "
                                                   "?, 100, 'N', 'átutalás')")
                                        .arg(table),
                                    {i, QString("R%1").arg(i), QString("SZ-%1").arg(i)}));
    }

    // Runs the program's loop: the payables window opens the receivables
    // window, act runs in it, and it is left by its exit. The loop's code:
    // 42 when it came back to the payables window, 99 when stuck.
    int runInReceivables(const std::function<void(LedgerWindow&)>& act) {
        Startup startup(ctx);
        if (!startup.open())
            return -1;
        startup.endOnlyByExit();
        LedgerWindow* payables = startup.window();
        payables->show();
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [] {
            while (QWidget* top = QApplication::activeModalWidget()) top->close();
            QCoreApplication::exit(99);
        });
        watchdog.start(30000);
        QTimer::singleShot(0, payables, [payables, act] {
            QTimer::singleShot(0, payables, [payables, act] {
                // In the receivables window's own loop.
                auto* receivables = payables->findChild<LedgerWindow*>();
                if (!receivables)
                    return;
                act(*receivables);
                receivables->Kilepes_Click();
            });
            payables->Tartoznak_Click();
            if (payables->isVisible())
                QCoreApplication::exit(42);
        });
        const int code = QApplication::exec();
        rowsLeft = ctx.db.veladata->scalar("SELECT count(*) FROM VelanakData")->toInt();
        EXPECT_TRUE(ctx.db.veladata->exec("DELETE FROM VelanakData"));
        return code;
    }

    TempDataFolder folder;
    QTemporaryDir invoicing;
    QtDialogService dialogs;
    QtWindowOpener opener;
    AppContext ctx;
    int rowsLeft = -1;
};

}  // namespace

TEST_F(QuitTest, BoxesInTheReceivablesWindowDoNotEndTheProgram) {
    struct Case {
        const char* what;
        int rows;
        std::function<void(LedgerWindow&)> act;
        QStringList answers;
        int boxes;
        int rowsLeft;
    } const cases[] = {
        {"Minden adat törlése",
         3,
         [](LedgerWindow& w) { w.MindTorol_Click(); },
         {"Igen", "Nem"},
         2,
         0},
        {"Minden adat törlése, then a new row",
         2,
         [](LedgerWindow& w) { w.MindTorol_Click(); },
         {"Igen", "Igen"},
         2,
         1},
        {"the last row deleted",
         1,
         [](LedgerWindow& w) { w.Command4_Click(); },
         {"Igen", "Nem"},
         2,
         0},
        {"FakturoW: Feltöltés, then Vissza-átadás",
         0,
         [](LedgerWindow& w) {
             // In the import window's own loop.
             QTimer::singleShot(0, &w, [&w] {
                 auto* import = w.findChild<SzamlaImportFormX*>();
                 ASSERT_TRUE(import);
                 import->Command1_Click();
                 import->Command3_Click();
                 if (import->isVisible())
                     import->Kilepes_Click();
             });
             w.szamlabol_Click();
         },
         {"1", "1", "Igen", "Igen"},
         4,
         2},
        {"Készpénzesek on an empty ledger",
         0,
         [](LedgerWindow& w) { w.Kp_Click(); },
         {"OK", "OK"},
         2,
         0},
    };
    for (const Case& c : cases) {
        fill("VelanakData", c.rows);
        EndWatch watch;
        BoxAnswerer answerer(c.answers);
        EXPECT_EQ(runInReceivables(c.act), 42) << c.what;
        EXPECT_EQ(watch.ends, 0) << c.what;
        EXPECT_EQ(answerer.seen.size(), c.boxes)
            << c.what << ": " << answerer.seen.join(" | ").toStdString();
        EXPECT_EQ(rowsLeft, c.rowsLeft) << c.what;
    }
}

TEST_F(QuitTest, EveryExitOfThePayablesWindowEndsTheProgram) {
    struct Case {
        const char* what;
        std::function<void(LedgerWindow&)> exit;
    } const cases[] = {
        {"Kilépés", [](LedgerWindow& w) { w.Kilepes_Click(); }},
        {"the close box", [](LedgerWindow& w) { w.close(); }},
        {"the close box without its flag",
         [](LedgerWindow& w) {
             w.SetQui(false);
             w.close();
         }},
    };
    for (const Case& c : cases) {
        Startup startup(ctx);
        ASSERT_TRUE(startup.open());
        startup.endOnlyByExit();
        LedgerWindow* payables = startup.window();
        payables->show();
        QTimer::singleShot(0, payables, [payables, &c] { c.exit(*payables); });
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(99); });
        watchdog.start(20000);
        EXPECT_EQ(QApplication::exec(), 0) << c.what;
    }
}
