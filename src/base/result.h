#pragma once

#include <QString>
#include <optional>
#include <utility>
#include <variant>

namespace vela {

// Why an operation failed: a readable text (Hungarian wherever it can reach
// a window) and, when SQLite said so, its extended result code.
struct Error {
    QString text;
    int code = 0;  // SQLite's extended result code; 0 when the failure is not SQLite's

    // SQLite found the file damaged, or found no database in it.
    bool damaged() const;
    // SQLite waited in vain for another connection to let go of the file.
    bool busy() const;

    // SQLite's failure with its own (English) text, led by a Hungarian
    // sentence where the code tells what happened ("database or disk is full"
    // alone says nothing to the user of a Hungarian window).
    static Error fromEngine(int code, const QString& engineText);
};

// What every fallible operation of storage, the readers, the workbook
// writer, the report and the printer returns: its value, or the Error that
// stopped it. Nothing else carries a failure: no out-parameter, no
// "last error" kept on an object.
//
//     Result<int> count = Workbook::rowCount(path);
//     if (!count)
//         return count.error();   // hands the failure up unchanged
//     use(*count);
//
// The truth value is success, never the value itself: a Result<bool> is
// tested with ok() and read with value().
template <typename T>
class [[nodiscard]] Result {
  public:
    Result(T value) : v_(std::in_place_index<0>, std::move(value)) {}
    Result(Error error) : v_(std::in_place_index<1>, std::move(error)) {}

    bool ok() const { return v_.index() == 0; }
    explicit operator bool() const { return ok(); }

    T& value() & { return std::get<0>(v_); }
    const T& value() const& { return std::get<0>(v_); }
    T&& value() && { return std::get<0>(std::move(v_)); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T&& operator*() && { return std::move(*this).value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    const Error& error() const { return std::get<1>(v_); }
    // The failure's text; empty on success.
    QString errorText() const { return ok() ? QString() : error().text; }

  private:
    std::variant<T, Error> v_;
};

// The Result of an operation that gives no value: success, or an Error.
// A default Status is success (`return {};`).
//
// A Result with a value is never to be dropped. A Status is marked
// [[nodiscard]] on each function whose failure only its caller can tell;
// a cursor's moves and a statement's binds are not, because their failure
// reaches the user anyway: through the cursor's writeFailed signal, or the
// statement's status, which its next step returns.
template <>
class Result<void> {
  public:
    Result() = default;
    Result(Error error) : error_(std::move(error)) {}

    bool ok() const { return !error_.has_value(); }
    explicit operator bool() const { return ok(); }

    const Error& error() const { return *error_; }
    QString errorText() const { return ok() ? QString() : error_->text; }

  private:
    std::optional<Error> error_;
};

using Status = Result<void>;

}  // namespace vela
