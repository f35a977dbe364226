#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "ui/dialogservice.h"

namespace vela {

// A dialog service for tests: records every box and beep, and answers from a
// queue (Yes for questions and "" for input boxes and folders when the queue
// is empty).
class ScriptedDialogService : public DialogService {
  public:
    struct Shown {
        enum class Kind { Message, Input, Folder } kind;
        QString text;
        QString title;
        Icon icon = Icon::Information;
        Buttons buttons = Buttons::Ok;
        QString defaultText;
        int beepsBefore = 0;  // beeps heard since the previous box
    };

    Answer message(const QString& text, const QString& title, Icon icon,
                   Buttons buttons = Buttons::Ok) override;
    QString input(const QString& prompt, const QString& title,
                  const QString& defaultText = {}) override;
    void beep() override;
    // Recorded with the title as its text and start as its default text.
    QString folder(const QString& title, const QString& start = {}) override;

    void answer(Answer a) { answers_.append(a); }
    void answerInput(const QString& text) { inputs_.append(text); }
    void answerFolder(const QString& path) { folders_.append(path); }

    QList<Shown> shown;
    int beeps = 0;

    const Shown* last() const { return shown.isEmpty() ? nullptr : &shown.last(); }
    QStringList texts() const;
    void clear();

  private:
    QList<Answer> answers_;
    QStringList inputs_;
    QStringList folders_;
    int beepsSinceLast_ = 0;
};

}  // namespace vela
