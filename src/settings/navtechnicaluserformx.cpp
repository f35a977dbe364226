#include "settings/navtechnicaluserformx.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "import/navcredentials.h"
#include "ui/appcontext.h"
#include "ui/dialogservice.h"
#include "ui/formkit.h"

namespace vela {

namespace {
namespace text {
const QString caption = QStringLiteral("NAV technikai felhasználó - VelaData");
const QString attention = QStringLiteral("FIGYELEM!");
const QString saved =
    QStringLiteral("A NAV-os technikai felhasználó adatai a kulcstartóba kerültek.");
const QString notSaved = QStringLiteral("A NAV-os technikai felhasználó adatai nem menthetők: %1");
const QString notRead = QStringLiteral("A NAV-os technikai felhasználó adatai nem olvashatók: %1");
const QString production = QStringLiteral("Éles rendszer");
const QString test = QStringLiteral("Teszt rendszer");
}  // namespace text
}  // namespace

NavTechnicalUserFormX::NavTechnicalUserFormX(AppContext& ctx, SecretStore& secrets, QWidget* parent)
    : WindowBase(ctx, parent), secrets_(secrets) {
    setObjectName(QStringLiteral("NavTechnicalUserFormX"));
    setWindowTitle(text::caption);
    FormKit kit(this);
    auto* root = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    Text1 = kit.textBox(QStringLiteral("Text1"));
    Text2 = kit.textBox(QStringLiteral("Text2"));
    Text2->setEchoMode(QLineEdit::Password);
    Text3 = kit.textBox(QStringLiteral("Text3"));
    Text3->setEchoMode(QLineEdit::Password);
    Text4 = kit.textBox(QStringLiteral("Text4"));
    Text4->setMaxLength(8);
    Text4->setInputMask(QStringLiteral("99999999;_"));
    Combo1 = new QComboBox(this);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->addItems({text::production, text::test});
    form->addRow(kit.caption(QStringLiteral("Label1"), QStringLiteral("&Felhasználónév:"), Text1),
                 Text1);
    form->addRow(kit.caption(QStringLiteral("Label2"), QStringLiteral("&Jelszó:"), Text2), Text2);
    form->addRow(kit.caption(QStringLiteral("Label3"), QStringLiteral("&Aláírókulcs:"), Text3),
                 Text3);
    form->addRow(
        kit.caption(QStringLiteral("Label4"), QStringLiteral("&Adószám (8 számjegy):"), Text4),
        Text4);
    form->addRow(kit.caption(QStringLiteral("Label5"), QStringLiteral("&Rendszer:"), Combo1),
                 Combo1);
    root->addLayout(form);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    Command1 = kit.button(QStringLiteral("Command1"), QStringLiteral("&Mentés"),
                          [this] { Command1_Click(); });
    Command2 = kit.button(QStringLiteral("Command2"), QStringLiteral("Még&se"),
                          [this] { Command2_Click(); });
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    root->addLayout(buttons);
    Form_Load();
}

void NavTechnicalUserFormX::Form_Load() {
    // The keyring answers later; a window closed by then hears nothing.
    QPointer<NavTechnicalUserFormX> self(this);
    NavCredentials(secrets_).load([this, self](Result<std::optional<NavTechnicalUser>> user) {
        if (!self)
            return;
        if (!user) {
            ctx_.dialogs->alert(text::notRead.arg(user.errorText()), text::attention,
                                DialogService::Icon::Warning);
            return;
        }
        if (!*user)
            return;
        Text1->setText((*user)->login);
        Text2->setText((*user)->password);
        Text3->setText((*user)->signKey);
        Text4->setText((*user)->taxNumber);
        Combo1->setCurrentIndex((*user)->environment == NavEnvironment::Test ? 1 : 0);
    });
}

void NavTechnicalUserFormX::Command1_Click() {
    NavTechnicalUser user;
    user.login = Text1->text().trimmed();
    user.password = Text2->text();
    user.signKey = Text3->text().trimmed();
    user.taxNumber = Text4->text().trimmed();
    user.environment =
        Combo1->currentIndex() == 1 ? NavEnvironment::Test : NavEnvironment::Production;
    QPointer<NavTechnicalUserFormX> self(this);
    NavCredentials(secrets_).save(user, [this, self](Status s) {
        if (!self)
            return;
        if (!s) {
            ctx_.dialogs->alert(text::notSaved.arg(s.errorText()), text::attention,
                                DialogService::Icon::Warning);
            return;
        }
        ctx_.dialogs->message(text::saved, text::caption, DialogService::Icon::Information);
        SetQui(false);
        done(QDialog::Accepted);
    });
}

void NavTechnicalUserFormX::Command2_Click() {
    SetQui(false);
    done(QDialog::Rejected);
}

}  // namespace vela
