#pragma once

#include <string>
#include <utility>
#include <variant>

#include "commands/UserInterface.h"

namespace zadaravod {

/// What a command's entry point gives back: its value, or the message that
/// says why it did not do what was asked (what was done before the failure
/// stays done; the entry point's comment says what that can be). Callers
/// show or print the message; the entry point does not.
template <typename T>
class [[nodiscard]] Result {
  public:
    Result(T value) : state_(std::move(value)) {}
    Result(Message failure) : state_(std::move(failure)) {}

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }
    const T& value() const { return std::get<0>(state_); }
    T& value() { return std::get<0>(state_); }
    const Message& error() const { return std::get<1>(state_); }

  private:
    std::variant<T, Message> state_;
};

/// A result without a value: done, or the message saying why not.
template <>
class [[nodiscard]] Result<void> {
  public:
    Result() = default;
    Result(Message failure) : failure_(std::move(failure)), failed_(true) {}

    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    const Message& error() const { return failure_; }

  private:
    Message failure_;
    bool failed_ = false;
};
using Done = Result<void>;

/// A failure with the application's caption: an error box by default, or a
/// plain box for the messages the original shows without an icon.
inline Message failure(std::string text, MessageIcon icon = MessageIcon::Error) {
    return {std::move(text), kAppCaption, icon};
}

}  // namespace zadaravod
