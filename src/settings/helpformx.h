#pragma once

#include <QDialog>

class QTextBrowser;
class QMenuBar;

namespace vela {

struct AppContext;

// The help viewer: shows the help text of the window named by the context's
// help topic, once per opening, and prints its bare text.
class HelpFormX : public QDialog {
    Q_OBJECT
  public:
    explicit HelpFormX(AppContext& ctx, QWidget* parent = nullptr);

    QTextBrowser* richTextBox() const { return RichTextBox1_; }

    // The help file of the partner register in the data folder (the current
    // directory), folder and file found whatever the case of their names.
    static QString helpFilePath();

  public slots:
    void Form_Activate();
    void HNyom_Click();
    void Hki_Click();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    AppContext& ctx_;
    QMenuBar* menu_ = nullptr;
    QTextBrowser* RichTextBox1_ = nullptr;
};

}  // namespace vela
