// The one error type of the program. Its text is what the error display shows.
#pragma once

#include "win32.h"

#include <exception>
#include <string>

namespace CustomPipes {

class ProgramError : public std::exception {
public:
    explicit ProgramError(std::wstring text) : text_(std::move(text)), utf8_(Utf8(text_)) {}

    const std::wstring& Text() const noexcept { return text_; }
    // The same text in UTF-8, for handlers and test reports that know only std::exception.
    const char* what() const noexcept override { return utf8_.c_str(); }

private:
    static std::string Utf8(const std::wstring& text) {
        const int size = static_cast<int>(text.size());
        const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
        std::string utf8(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
        if (bytes > 0) ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, utf8.data(), bytes, nullptr, nullptr);
        return utf8;
    }

    std::wstring text_;
    std::string utf8_;
};

// An action given up on purpose: the error display drops it without a message.
class AbortError : public ProgramError {
public:
    AbortError() : ProgramError(L"Operation aborted") {}
};

}  // namespace CustomPipes
