#pragma once

#include <QDialog>
#include <QVector>

class QLabel;
class QPainter;
class QPrinter;
class QPushButton;
class QWidget;

namespace vela {

struct AppContext;

// One page of the partner list: a fixed page area laid out in twips with a
// title, column headings, 22 rows of six labels, the page number, the date
// and a credit line. Shown modally once per page; its buttons go on, print
// the page area on a landscape sheet, stop the print or show the help.
class BeszallitoNyomFormX : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kRows = 22;
    static constexpr int kPageWidth = 14685;  // twips
    static constexpr int kPageHeight = 10020;
    static constexpr int kTwipsPerPixel = 15;  // at 96 dots an inch

    explicit BeszallitoNyomFormX(AppContext& ctx, QWidget* parent = nullptr);

    // Label1 .. Label142 by number.
    QLabel* label(int number) const;
    // The six labels of data row slot (1..22): name, postal code, country,
    // seat, street address, phone / fax.
    QLabel* cell(int slot, int position) const;

    // A fresh page: the title, every data label empty, the date and the page number.
    void preparePage(int pageNumber);
    void fillRow(int slot, const QStringList& six);

    // 1 once "Mégse" was pressed: the print stops.
    int stopFlag() const { return stopFlag_; }
    QWidget* pageArea() const { return page_; }

    // Draws the page area on a printer: true size, centred on the sheet,
    // shrunk only when the sheet is smaller than the page.
    void paintPage(QPrinter& printer) const;

  public slots:
    void Command1_Click();  // "Tovább"
    void Command2_Click();  // "Nyomtat"
    void Command3_Click();  // "Mégse"
    void Command4_Click();  // "Segédlet"

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    QLabel* addLabel(int number, int left, int top, double points, bool bold, const QString& text);
    void setText(QLabel* label, const QString& text);
    void showButtons(bool visible);

    AppContext& ctx_;
    QWidget* page_ = nullptr;
    QVector<QLabel*> labels_;  // index = label number
    QList<QPushButton*> buttons_;
    int stopFlag_ = 0;
};

}  // namespace vela
