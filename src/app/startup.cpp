#include "app/startup.h"

#include <QCoreApplication>

#include "ledger/ledgerwindow.h"
#include "storage/database.h"
#include "ui/appcontext.h"
#include "ui/dialogservice.h"

namespace vela {

namespace {

const char* const kEndTitle = "FIGYELEM! HIBA!";
const char* const kProgramEnds = "\n\nA program kilép.";

}  // namespace

// The windows' dialog service, silenced once a damaged file has been told:
// the failures that follow from it add no second message.
class Startup::QuietDialogs : public DialogService {
  public:
    explicit QuietDialogs(DialogService& inner) : inner_(inner) {}
    Answer message(const QString& text, const QString& title, Icon icon, Buttons buttons) override {
        if (silent)
            return buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
        return inner_.message(text, title, icon, buttons);
    }
    QString input(const QString& prompt, const QString& title,
                  const QString& defaultText) override {
        return silent ? QString() : inner_.input(prompt, title, defaultText);
    }
    void beep() override {
        if (!silent)
            inner_.beep();
    }
    bool silent = false;

  private:
    DialogService& inner_;
};

Startup::Startup(AppContext& ctx)
    : ctx_(ctx),
      dialogs_(ctx.dialogs),
      quiet_(std::make_unique<QuietDialogs>(*ctx.dialogs)),
      exit_([](int code) {
          // Ends the loops running now, and the main one if it has not begun.
          QCoreApplication::exit(code);
          QMetaObject::invokeMethod(
              QCoreApplication::instance(), [code] { QCoreApplication::exit(code); },
              Qt::QueuedConnection);
      }) {
    ctx_.dialogs = quiet_.get();
    Database::setDamageHandler([this](Database& db) { reportDamage(db.damageMessage()); });
}

Startup::~Startup() {
    // The window goes before the databases it reads.
    window_.reset();
    Database::setDamageHandler(nullptr);
    ctx_.dialogs = dialogs_;
}

void Startup::reportDamage(const QString& text) {
    if (damageReported_)
        return;
    damageReported_ = true;
    dialogs_->beep();
    dialogs_->message(text + QString::fromUtf8(kProgramEnds), QString::fromUtf8(kEndTitle),
                      DialogService::Icon::Critical);
    quiet_->silent = true;
    if (started_)
        exit_(1);
}

bool Startup::open() {
    QString err;
    bool damaged = false;
    veladata_ = Database::open(
        QStringLiteral("veladata.mdb"), &err,
        {QStringLiteral("VelaData"), QStringLiteral("VelanakData"), QStringLiteral("VelaIdeigl")},
        &damaged);
    if (!veladata_) {
        if (damaged)
            reportDamage(err);
        else {
            dialogs_->beep();
            dialogs_->message(err + QString::fromUtf8(kProgramEnds), QString::fromUtf8(kEndTitle),
                              DialogService::Icon::Critical);
        }
        return false;
    }
    parameters_ = Database::open(QStringLiteral("parameter.kdb"), &err,
                                 {QStringLiteral("EmblemaPath")}, &damaged);
    if (!parameters_ && damaged) {
        reportDamage(err);
        return false;
    }
    if (!parameters_) {
        // The ledgers work without the parameters; only the invoicing
        // folder stays unknown.
        dialogs_->beep();
        dialogs_->message(err + QStringLiteral("\n\nA paraméterek nélkül folytatom."),
                          QStringLiteral("FIGYELEM!"), DialogService::Icon::Warning);
    }
    window_ = std::make_unique<LedgerWindow>(ctx_, LedgerKind::Payables, veladata_.get(),
                                             parameters_.get());
    if (damageReported_) {
        // Damage met while the window read its first rows: no window over it.
        window_.reset();
        return false;
    }
    started_ = true;
    return true;
}

}  // namespace vela
