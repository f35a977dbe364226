#pragma once

#include <QDialog>
#include <QUrl>

class QPushButton;
class QTextBrowser;

namespace vela {

struct AppContext;

// The manual viewer: shows the user manual stored in the program and prints
// its bare text.
class FelhasznaloiKezikonyvVDForm : public QDialog {
    Q_OBJECT
  public:
    explicit FelhasznaloiKezikonyvVDForm(AppContext& ctx, QWidget* parent = nullptr);

    // While the close flag is set, the close box runs "Kilépés (Exit)".
    void SetQui(bool flag) { closeFlag_ = flag; }
    bool closeFlag() const { return closeFlag_; }

    QTextBrowser* richTextBox() const { return RichTextBox1_; }
    QPushButton* printButton() const { return Command2_; }
    QPushButton* exitButton() const { return Kilepes_; }

    // Where the manual lies among the program's resources.
    static QUrl manualUrl();

  public slots:
    void Command2_Click();
    void Kilepes_Click();
    void reject() override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    AppContext& ctx_;
    QTextBrowser* RichTextBox1_ = nullptr;
    QPushButton* Command2_ = nullptr;
    QPushButton* Kilepes_ = nullptr;
    bool closeFlag_ = true;
};

}  // namespace vela
