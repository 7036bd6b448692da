#include "application.h"

#include "error_text.h"
#include "program_error.h"

#include <exception>

namespace window {

const wchar_t* const kApplicationTitle = L"Демонстрация взаимодействия с программой Varnel";


int Application::Run() noexcept {
    MSG message{};
    // GetMessage returns -1 only for an invalid window filter, which this loop never passes.
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        bool handled = false;
        if (onMessage_) Guard([&] { onMessage_(message, handled); });
        if (handled) continue;
        if (keyboard_ && keyboard_(message)) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return 0;
}

void Application::ShowCurrentError() noexcept {
    try {
        throw;
    } catch (const CustomPipes::AbortError&) {
    } catch (const CustomPipes::ProgramError& e) {
        ShowErrorText(e.Text());
    } catch (const std::exception& e) {
        ShowErrorText(CustomPipes::ExceptionText(e));
    } catch (...) {
        ShowErrorText(L"Unknown error");
    }
}

void Application::ShowErrorText(const std::wstring& text) noexcept {
    try {
        const std::wstring shown = ErrorDisplayText(text);
        ::MessageBoxW(::GetActiveWindow(), shown.c_str(), title_.c_str(), MB_OK | MB_ICONSTOP);
    } catch (...) {
        // Out of memory while composing the text: show what can be shown without it.
        ::MessageBoxW(::GetActiveWindow(), text.c_str(), title_.c_str(), MB_OK | MB_ICONSTOP);
    }
}

}  // namespace window
