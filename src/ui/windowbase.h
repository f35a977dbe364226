#pragma once

#include <QDialog>
#include <QHash>
#include <QList>
#include <QString>
#include <functional>
#include <utility>

#include "base/result.h"
#include "storage/query.h"

namespace vela {

struct AppContext;
class RecordSource;

// What every window of the program repeats: the close flag and SetQui, the
// close box and Esc running the window's exit action, telling a failed read
// or write, the busy pointer around an action, and the header clicks that
// re-read a grid's rows from their query on every tenth sort.
//
//     class MyForm : public WindowBase {
//         MyForm(AppContext& ctx, QWidget* parent) : WindowBase(ctx, parent) {}
//         void exitAction() override { Kilepes_Click(); }
//         void Kilepes_Click() { SetQui(false); ...; done(QDialog::Accepted); }
//     };
class WindowBase : public QDialog {
    Q_OBJECT
  public:
    // What Esc does.
    enum class Escape {
        Ignored,           // nothing: the window is left only by its exit or close box
        ClosesWindow,      // as the close box
        ExitWhileFlagged,  // the exit action while the close flag is set, else a plain reject
    };

    // While the flag is set, the close box runs the window's exit action; the
    // exit action clears it.
    void SetQui(bool flag) { closeFlag_ = flag; }
    bool closeFlag() const { return closeFlag_; }
    // The clicks counted towards the next re-read of grid's rows (the
    // window's grids are numbered from 1, as their names are).
    int headerClicks(int grid = 1) const { return headerClicks_.value(grid); }

    // Switches the window's editing off: the fields bound to the data and
    // the grids' cells only show them, and the buttons and menu items the
    // window names as writing (writingControls) stay disabled, whatever the
    // window's own rules say later. Done by itself at the first showing when
    // the login may only read the data.
    void lockEditing();
    bool editingLocked() const { return editingLocked_; }

  public slots:
    // Esc, as the window's Escape says.
    void reject() override;

  protected:
    WindowBase(AppContext& ctx, QWidget* parent = nullptr,
               Escape escape = Escape::ExitWhileFlagged);

    // The window's own exit ("Kilépés").
    virtual void exitAction() = 0;
    // Run by the close box while the close flag is clear.
    virtual void closedWithoutExit() {}
    // Whether the close box leaves the window open after the above.
    virtual bool staysOpen() const { return false; }

    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

    // The object names of the buttons and menu items that write the data
    // (new, save, delete, settle, import, booking ...).
    virtual QStringList writingControls() const { return {}; }

    // Tells a failed read or write with showDatabaseError; true on success.
    bool reportFailure(const Status& status);
    // The database error message, with the busy pointer put aside while it is open.
    void showDatabaseError(const QString& error);
    // Runs action under the busy pointer and tells its failure; true on success.
    bool busyRun(const std::function<Status()>& action);

    // A header click on grid over source. order makes the new order from the
    // sort shown now (the keys and, when not empty, the label sort() gives
    // back). Every tenth click first reads the rows afresh from the query,
    // which keeps the chain of sorted results short.
    using HeaderOrder = std::function<std::pair<QList<OrderKey>, QString>(const QString& shown)>;
    void sortOnHeader(RecordSource& source, int grid, const HeaderOrder& order);
    // The common case: the clicked column, downwards when it is already the sort.
    void sortOnHeader(RecordSource& source, int grid, const QString& column);

    AppContext& ctx_;

  private:
    Escape escape_;
    bool closeFlag_ = true;
    bool editingLocked_ = false;
    QHash<int, int> headerClicks_;
};

}  // namespace vela
