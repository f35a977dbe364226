#pragma once

#include <QString>
#include <memory>

namespace vela {

struct AppContext;
class Database;
class LedgerWindow;

// Opens the data folder's databases and the payables window the program
// starts on. A database that cannot be opened is told to the user; without
// veladata.mdb there is no window and the program ends.
class Startup {
  public:
    explicit Startup(AppContext& ctx) : ctx_(ctx) {}
    ~Startup();

    // False when the program must end (the message has been shown).
    bool open();
    LedgerWindow* window() const { return window_.get(); }

  private:
    AppContext& ctx_;
    std::unique_ptr<LedgerWindow> window_;
};

}  // namespace vela
