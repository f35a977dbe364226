#pragma once

#include <QString>
#include <functional>
#include <memory>

namespace vela {

struct AppContext;
class DialogService;
class LedgerWindow;

// Opens the data folder's databases and the payables window the program
// starts on. A database that cannot be opened is told to the user; without
// veladata.mdb there is no window and the program ends. A file SQLite finds
// damaged, at start or later, is told once and ends the program: nothing
// more is written into it.
class Startup {
  public:
    explicit Startup(AppContext& ctx);
    ~Startup();

    // False when the program must end (the message has been shown).
    bool open();
    LedgerWindow* window() const { return window_.get(); }
    // Only the payables window's exit ends the program: a box or window
    // closing while it is hidden (the receivables window is open) never does.
    void endOnlyByExit();

    // How the running program is ended after a damaged file (tests record it).
    void setExit(std::function<void(int)> exit) { exit_ = std::move(exit); }
    bool damageReported() const { return damageReported_; }

  private:
    class QuietDialogs;
    void reportDamage(const QString& text);

    AppContext& ctx_;
    DialogService* dialogs_;
    std::unique_ptr<QuietDialogs> quiet_;
    std::function<void(int)> exit_;
    bool started_ = false;
    bool damageReported_ = false;
    std::unique_ptr<LedgerWindow> window_;
};

}  // namespace vela
