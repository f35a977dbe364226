#include "app/startup.h"

#include <QApplication>
#include <QDir>

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
    QString folder(const QString& title, const QString& start) override {
        return silent ? QString() : inner_.folder(title, start);
    }

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
    ctx_.db.closeAll();
    Database::setDamageHandler(nullptr);
    ctx_.dialogs = dialogs_;
}

void Startup::reportDamage(const QString& text) {
    if (damageReported_)
        return;
    damageReported_ = true;
    dialogs_->alert(text + QString::fromUtf8(kProgramEnds), QString::fromUtf8(kEndTitle),
                    DialogService::Icon::Critical);
    quiet_->silent = true;
    if (started_)
        exit_(1);
}

bool Startup::open() {
    ctx_.dataFolder = QDir::currentPath();
    ctx_.db.openAll();
    ctx_.access = ctx_.db.veladata ? dataAccess(*ctx_.db.veladata) : DataAccess::ReadWrite;
    // A damaged file ends the program whichever of the four it is.
    for (const Status* opened : {&ctx_.db.veladataStatus, &ctx_.db.parametersStatus,
                                 &ctx_.db.betarolStatus, &ctx_.db.lfakturoStatus}) {
        if (!*opened && opened->error().damaged()) {
            reportDamage(opened->error().text);
            return false;
        }
    }
    if (!ctx_.db.veladata) {
        dialogs_->alert(ctx_.db.veladataStatus.errorText() + QString::fromUtf8(kProgramEnds),
                        QString::fromUtf8(kEndTitle), DialogService::Icon::Critical);
        return false;
    }
    if (!ctx_.db.parameters) {
        // The ledgers work without the parameters; only the invoicing
        // folder stays unknown.
        dialogs_->alert(ctx_.db.parametersStatus.errorText() +
                            QStringLiteral("\n\nA paraméterek nélkül folytatom."),
                        QStringLiteral("FIGYELEM!"), DialogService::Icon::Warning);
    }
    // The partner register and the import's staging table are needed only by
    // their windows, which tell the user when theirs could not be opened.
    window_ = std::make_unique<LedgerWindow>(ctx_, LedgerKind::Payables);
    if (damageReported_) {
        // Damage met while the window read its first rows: no window over it.
        window_.reset();
        return false;
    }
    started_ = true;
    return true;
}

void Startup::endOnlyByExit() {
    QApplication::setQuitOnLastWindowClosed(false);
    if (window_) {
        QObject::connect(window_.get(), &LedgerWindow::programExit, qApp, &QApplication::quit,
                         Qt::QueuedConnection);
    }
}

}  // namespace vela
