#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "bankwindow/statementbooking.h"
#include "import/bankstatement.h"
#include "import/csvstatementreader.h"
#include "import/statementmatcher.h"
#include "ui/windowbase.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;
class QTableWidget;

namespace vela {

struct AppContext;
class ValueLabel;

// The bank statement window: reads a camt.053 or CSV statement, shows its
// header and one line per transaction with the invoice the matcher proposes
// for it, lets the user tick, untick, point a transaction at another open
// invoice or split it over several, books the ticked ones with
// "Kiegyenlítés" and prints or saves what was done.
class BankkivonatFormX : public WindowBase {
    Q_OBJECT
  public:
    // One line of the grid: the transaction's proposal as it stands now.
    struct Line {
        Proposal proposal;
        bool ticked = false;
        bool byHand = false;        // the user changed the proposal
        bool bookedBefore = false;  // booked from this statement before it was opened
        bool bookedNow = false;     // booked by this window
        // The invoices a line booked by this window paid, as they stood
        // before: once settled they are no longer among the open items.
        std::vector<OpenItem> paid;
    };

    explicit BankkivonatFormX(AppContext& ctx, QWidget* parent = nullptr);
    ~BankkivonatFormX() override;

    // Opens the window modally through the context's opener, on file when
    // one is given; without veladata.mdb the user is told and nothing opens.
    static void open(AppContext& ctx, QWidget* parent, const QString& file = {});

    // Reads a statement file (camt.053 XML or CSV, told by its content) and
    // proposes; a file that cannot be read is told and nothing changes.
    bool openFile(const QString& path);
    void setToday(const QDate& today) { today_ = today; }
    void setClock(StatementBooking::Clock clock) { clock_ = std::move(clock); }

    void Megnyitas_Click();    // asks for a file and opens it
    void Hozzarendel_Click();  // the finder's open row instead of the proposal
    void Hozzaad_Click();      // the finder's open row beside the proposal (a split)
    void Elvet_Click();        // no invoice for the current transaction
    void Kiegyenlites_Click();
    void Nyomtatas_Click();  // the summary, previewed
    void PdfMentes_Click();  // the summary as a PDF file
    void Kilepes_Click();
    void Text1_Change();  // the finder follows what is typed
    void DBGrid1_RowColChange();

    const BankStatement& statement() const { return statement_; }
    const std::vector<Line>& lines() const { return lines_; }
    const std::vector<OpenItem>& openItems() const;
    const BookingOutcome& lastBooking() const { return lastBooking_; }
    QTableWidget* grid() const { return DBGrid1; }
    QTableWidget* finder() const { return DBGrid2; }
    // The open item of each finder row (indexes into openItems()).
    const std::vector<int>& finderItems() const { return finderItems_; }
    CsvMapping csvMapping() const;
    void setCsvMapping(const CsvMapping& m);
    // Sets the tick of a line as a click on its box does.
    void setTicked(int line, bool ticked);

  private:
    void exitAction() override { Kilepes_Click(); }
    void buildControls();
    QWidget* buildCsvPanel();
    bool readStatement(const QString& path);
    bool match();
    void fillGrid();
    void fillRow(int row);
    void fillHeader();
    void loadCsvMapping();
    void keepCsvMapping(const CsvMapping& m);
    void assign(int item, bool add);
    int currentLine() const;
    int finderItem() const;
    QString summaryText() const;
    void showError(const QString& text);

    StatementBooking::Clock clock_;
    QDate today_;
    BankStatement statement_;
    std::unique_ptr<StatementMatcher> matcher_;
    std::vector<Line> lines_;
    std::vector<int> finderItems_;
    BookingOutcome lastBooking_;
    bool filling_ = false;

    ValueLabel* Label1 = nullptr;  // statement number
    ValueLabel* Label2 = nullptr;  // account
    ValueLabel* Label3 = nullptr;  // created
    ValueLabel* Label4 = nullptr;  // transactions
    ValueLabel* Label5 = nullptr;  // what the booking did
    QTableWidget* DBGrid1 = nullptr;
    QTableWidget* DBGrid2 = nullptr;
    QLineEdit* Text1 = nullptr;

    // The CSV mapping.
    QComboBox* Combo1 = nullptr;  // separator
    QCheckBox* Check1 = nullptr;  // decimal comma
    QComboBox* Combo2 = nullptr;  // encoding
    QSpinBox* Spin[11] = {};      // header rows and the columns
    QLineEdit* Text2 = nullptr;   // date format
    QLineEdit* Text3 = nullptr;   // default currency
};

}  // namespace vela
