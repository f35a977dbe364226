#pragma once

#include <QList>
#include <QNetworkAccessManager>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <memory>

#include "import/navhandover.h"
#include "ui/windowbase.h"

class QComboBox;
class QLineEdit;
class QMenuBar;
class QPushButton;
class QTableWidget;

namespace vela {

struct AppContext;
class DatePicker;
class FormKit;
class SecretStore;
class ValueLabel;

// The Online Számla import window: stages invoices from the authority's XML
// files (or a folder of them) or straight from its interface, shows them in
// a grid, lets the user drop rows, and hands the rest over into the two
// ledgers ("Átadás").
class NavSzamlaImportFormX : public WindowBase {
    Q_OBJECT
  public:
    // Columns of the grid.
    enum Column {
        Direction,
        Number,
        Partner,
        Issued,
        Due,
        Net,
        Gross,
        Currency,
        Kind,
        Booked,
        kColumns
    };

    NavSzamlaImportFormX(AppContext& ctx, QWidget* parent = nullptr);
    ~NavSzamlaImportFormX() override;

    // What the program sets for itself and the tests set otherwise.
    void setRowIdMaker(NavHandOver::RowIdMaker maker) { newRowId_ = std::move(maker); }
    void setClock(NavHandOver::Clock clock) { clock_ = std::move(clock); }
    void setSecretStore(SecretStore* store) { secrets_ = store; }
    // The interface's address; empty: the technical user's environment says.
    void setEndpoint(const QUrl& url) { endpoint_ = url; }
    // Asks the user for files or a folder ("Tallózás").
    void setChooser(std::function<QStringList()> chooser) { chooser_ = std::move(chooser); }

    // Stages the files, or every .xml file of a folder among them.
    void stageFiles(const QStringList& paths);
    const QList<NavStagedInvoice>& staged() const { return staged_; }
    QTableWidget* grid() const { return DBGrid1; }
    // The last hand-over's figures.
    const NavHandOver::Report& report() const { return report_; }
    // True while an interface query runs.
    bool querying() const { return querying_; }

  signals:
    // Rows were written into the ledgers: the ledger windows read theirs again.
    void ledgersChanged();
    void queryFinished();

  public slots:
    void Command1_Click();  // "Beolvasás": the file or folder of Text1
    void Command2_Click();  // "Sor elhagyása"
    void Command3_Click();  // "Átadás"
    void Command4_Click();  // "Lekérdezés a NAV-tól"
    void Command5_Click();  // "Tallózás…"
    void Kilepes_Click();

  protected:
    void exitAction() override { Kilepes_Click(); }

  private:
    void buildControls();
    bool prepare();  // reads the business's details and opens the hand-over
    void addInvoices(const QList<NavInvoice>& invoices, QStringList refused);
    void fillGrid();
    void fetched(const Result<NavFetchResult>& result);
    void showError(const QString& text);

    NavHandOver::RowIdMaker newRowId_;
    NavHandOver::Clock clock_;
    SecretStore* secrets_ = nullptr;
    std::unique_ptr<SecretStore> keyring_;
    QUrl endpoint_;
    std::function<QStringList()> chooser_;
    QNetworkAccessManager network_;

    std::unique_ptr<NavHandOver> handOver_;
    QList<NavInvoice> invoices_;  // every invoice staged, for the lookups
    QList<NavStagedInvoice> staged_;
    NavHandOver::Report report_;
    bool querying_ = false;

    std::unique_ptr<FormKit> kit_;
    QMenuBar* menuBar_ = nullptr;
    QLineEdit* Text1 = nullptr;
    QTableWidget* DBGrid1 = nullptr;
    DatePicker* DTPicker1 = nullptr;
    DatePicker* DTPicker2 = nullptr;
    QComboBox* Combo1 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command4 = nullptr;
    QPushButton* Command5 = nullptr;
    ValueLabel* Label6 = nullptr;
};

}  // namespace vela
