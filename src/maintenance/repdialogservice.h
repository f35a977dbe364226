#pragma once

#include <QString>

namespace velarep {

// VelaRep's message boxes; the window uses real ones, tests script the answers.
class RepDialogService {
  public:
    enum class Icon { Information, Critical };

    virtual ~RepDialogService() = default;

    // A Yes/No question; true means Yes.
    virtual bool ask(const QString& text, const QString& title, Icon icon) = 0;
    // A message with an OK button.
    virtual void tell(const QString& text, const QString& title, Icon icon) = 0;
};

}  // namespace velarep
