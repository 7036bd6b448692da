// The application: its title, the message loop with the application-wide message hook,
// and the error display that every handler's error ends in.
#pragma once

#include "win32.h"

#include <functional>
#include <string>
#include <utility>

namespace window {

// "Демонстрация взаимодействия с программой Varnel": the error display's caption.
extern const wchar_t* const kApplicationTitle;

class Application {
public:
    // Sees every message taken from the thread's queue before anything else does; a
    // message it marks handled is neither translated nor delivered.
    using MessageHook = std::function<void(MSG& message, bool& handled)>;
    // The window's keyboard handling (dialog navigation); true when it took the message.
    using KeyboardHandler = std::function<bool(MSG& message)>;

    explicit Application(std::wstring title) : title_(std::move(title)) {}

    const std::wstring& Title() const noexcept { return title_; }
    // The program's icon, shown by the main window; null: the system's default.
    HICON Icon() const noexcept { return icon_; }
    void SetIcon(HICON icon) noexcept { icon_ = icon; }
    void SetOnMessage(MessageHook hook) { onMessage_ = std::move(hook); }
    void SetKeyboardHandler(KeyboardHandler handler) { keyboard_ = std::move(handler); }

    // Runs the message loop until the quit message. Returns the program's exit code.
    int Run() noexcept;

    // Runs action; an error it raises goes to the error display, and the caller goes on.
    // Returns false when action raised an error.
    template <class Action>
    bool Guard(Action&& action) noexcept {
        try {
            std::forward<Action>(action)();
            return true;
        } catch (...) {
            ShowCurrentError();
            return false;
        }
    }

    // The error display for the exception being handled: its text with the full-stop
    // rule, in a modal box owned by the active window. An abort is dropped silently.
    // Only to be called inside a catch block.
    void ShowCurrentError() noexcept;

private:
    void ShowErrorText(const std::wstring& text) noexcept;

    std::wstring title_;
    HICON icon_{};  // a shared resource icon: never destroyed
    MessageHook onMessage_;
    KeyboardHandler keyboard_;
};

}  // namespace window
