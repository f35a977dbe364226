#pragma once

#include <QString>

namespace vela {

// Every message box, input box and beep of the windows goes through this
// service, so tests can script the answers and check the texts.
class DialogService {
  public:
    enum class Icon { Information, Question, Warning, Critical };
    enum class Buttons { Ok, YesNo };
    enum class Answer { Ok, Yes, No };

    virtual ~DialogService() = default;

    virtual Answer message(const QString& text, const QString& title, Icon icon,
                           Buttons buttons = Buttons::Ok) = 0;
    // Cancel reads as an empty text.
    virtual QString input(const QString& prompt, const QString& title,
                          const QString& defaultText = {}) = 0;
    virtual void beep() = 0;

    // A beep, then the message: how the windows call for attention.
    Answer alert(const QString& text, const QString& title, Icon icon,
                 Buttons buttons = Buttons::Ok) {
        beep();
        return message(text, title, icon, buttons);
    }

    bool ask(const QString& text, const QString& title, Icon icon) {
        return message(text, title, icon, Buttons::YesNo) == Answer::Yes;
    }

    // A folder the user picks, the box opening at start; Cancel reads as an
    // empty text.
    virtual QString folder(const QString& title, const QString& start = {}) = 0;
};

}  // namespace vela
