#pragma once

#include <QWidget>

class QLabel;
class QToolButton;

namespace vela {

class RecordSource;

// The bar under a grid with a caption and buttons for the first, previous,
// next and last row of a record source.
class NavigationBar : public QWidget {
    Q_OBJECT
  public:
    NavigationBar(RecordSource* source, const QString& caption, QWidget* parent = nullptr);

    void setCaption(const QString& caption);
    QToolButton* firstButton() const { return first_; }
    QToolButton* previousButton() const { return previous_; }
    QToolButton* nextButton() const { return next_; }
    QToolButton* lastButton() const { return last_; }

  private:
    RecordSource* source_;
    QLabel* caption_;
    QToolButton* first_;
    QToolButton* previous_;
    QToolButton* next_;
    QToolButton* last_;
};

}  // namespace vela
