#pragma once

#include <QString>

namespace vela {

// The Hungarian meaning of the tax authority's interface error codes
// (errorCode of GeneralErrorResponse and GeneralExceptionResponse).
class NavErrors {
  public:
    // The meaning of code; a code this program does not know is named as such.
    static QString meaning(const QString& code);

    // The whole message the user sees: meaning, code and the server's own text.
    static QString describe(const QString& code, const QString& serverMessage);

    // Whether the code is one this program knows the meaning of.
    static bool known(const QString& code);
};

}  // namespace vela
