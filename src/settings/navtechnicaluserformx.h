#pragma once

#include "ui/windowbase.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace vela {

struct AppContext;
class SecretStore;

// The tax authority's technical user of the business (login, password,
// signature key, tax number, test or production system), read from and
// saved into the desktop's keyring, never into a database file.
class NavTechnicalUserFormX : public WindowBase {
    Q_OBJECT
  public:
    NavTechnicalUserFormX(AppContext& ctx, SecretStore& secrets, QWidget* parent = nullptr);

  public slots:
    void Form_Load();
    void Command1_Click();  // "Mentés"
    void Command2_Click();  // "Mégse"

  protected:
    void exitAction() override { Command2_Click(); }

  private:
    SecretStore& secrets_;
    QLineEdit* Text1 = nullptr;  // login
    QLineEdit* Text2 = nullptr;  // password
    QLineEdit* Text3 = nullptr;  // signature key
    QLineEdit* Text4 = nullptr;  // tax number
    QComboBox* Combo1 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
};

}  // namespace vela
