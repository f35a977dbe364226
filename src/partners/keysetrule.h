#pragma once

#include <QObject>
#include <QString>

class QWidget;

namespace vela {

class DialogService;

// A per-key rule for a text box: only the listed characters (any, when the
// list is empty) and at most limit characters (no limit at 0). A refused key
// is dropped with a beep; Backspace always passes.
class KeySetRule : public QObject {
    Q_OBJECT
  public:
    KeySetRule(DialogService* dialogs, QString allowed, int limit, QObject* parent = nullptr);
    static KeySetRule* install(QWidget* editor, DialogService* dialogs, const QString& allowed,
                               int limit);

    // Whether one typed character may go into a box holding currentText
    // (a selection the key replaces already taken out).
    bool accepts(QChar typed, const QString& currentText) const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    DialogService* dialogs_;
    QString allowed_;
    int limit_;
};

}  // namespace vela
