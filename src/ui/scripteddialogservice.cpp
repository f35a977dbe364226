#include "ui/scripteddialogservice.h"

namespace vela {

DialogService::Answer ScriptedDialogService::message(const QString& text, const QString& title,
                                                     Icon icon, Buttons buttons) {
    shown.append({Shown::Kind::Message, text, title, icon, buttons, {}, beepsSinceLast_});
    beepsSinceLast_ = 0;
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    return answers_.isEmpty() ? Answer::Yes : answers_.takeFirst();
}

QString ScriptedDialogService::input(const QString& prompt, const QString& title,
                                     const QString& defaultText) {
    shown.append({Shown::Kind::Input, prompt, title, Icon::Question, Buttons::Ok, defaultText,
                  beepsSinceLast_});
    beepsSinceLast_ = 0;
    return inputs_.isEmpty() ? QString() : inputs_.takeFirst();
}

void ScriptedDialogService::beep() {
    ++beeps;
    ++beepsSinceLast_;
}

QStringList ScriptedDialogService::texts() const {
    QStringList out;
    for (const Shown& s : shown) out << s.text;
    return out;
}

void ScriptedDialogService::clear() {
    shown.clear();
    beeps = 0;
    beepsSinceLast_ = 0;
    answers_.clear();
    inputs_.clear();
    folders_.clear();
}

QString ScriptedDialogService::folder(const QString& title, const QString& start) {
    shown.append(
        {Shown::Kind::Folder, title, title, Icon::Question, Buttons::Ok, start, beepsSinceLast_});
    beepsSinceLast_ = 0;
    return folders_.isEmpty() ? QString() : folders_.takeFirst();
}

}  // namespace vela
