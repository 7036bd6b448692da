#include "system_error.h"

namespace CustomPipes {

namespace {

std::wstring SystemMessage(DWORD error, const std::wstring& subject) {
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
        reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text(buffer ? buffer : L"", length);
    ::LocalFree(buffer);
    // The system ends its messages with a line break.
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
    // Inserts are not filled by the system here (FORMAT_MESSAGE_IGNORE_INSERTS).
    for (size_t at = text.find(L"%1"); at != std::wstring::npos; at = text.find(L"%1", at + subject.size())) {
        text.replace(at, 2, subject.empty() ? L"it" : subject);
    }
    return text;
}

}  // namespace

std::wstring SystemErrorText(const std::wstring& what, DWORD error, const std::wstring& subject) {
    if (error == 0) return what;
    const std::wstring message = SystemMessage(error, subject);
    const std::wstring number = L"(system error " + std::to_wstring(error) + L")";
    return message.empty() ? what + L" " + number : what + L": " + message + L" " + number;
}

}  // namespace CustomPipes
