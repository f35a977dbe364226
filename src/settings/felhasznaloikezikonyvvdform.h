#pragma once

#include <QUrl>

#include "ui/windowbase.h"

class QPushButton;
class QTextBrowser;

namespace vela {

struct AppContext;

// The manual viewer: shows the user manual stored in the program and prints
// its bare text.
class FelhasznaloiKezikonyvVDForm : public WindowBase {
    Q_OBJECT
  public:
    explicit FelhasznaloiKezikonyvVDForm(AppContext& ctx, QWidget* parent = nullptr);

    QTextBrowser* richTextBox() const { return RichTextBox1_; }
    QPushButton* printButton() const { return Command2_; }
    QPushButton* exitButton() const { return Kilepes_; }

    // Where the manual lies among the program's resources.
    static QUrl manualUrl();

  public slots:
    void Command2_Click();
    void Kilepes_Click();

  protected:
    void exitAction() override { Kilepes_Click(); }

  private:
    QTextBrowser* RichTextBox1_ = nullptr;
    QPushButton* Command2_ = nullptr;
    QPushButton* Kilepes_ = nullptr;
};

}  // namespace vela
