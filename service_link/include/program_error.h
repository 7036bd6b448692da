// The one error type of the program. Its text is what the error display shows.
#pragma once

#include "utf16.h"

#include <exception>
#include <string>

namespace CustomPipes {

class ProgramError : public std::exception {
public:
    explicit ProgramError(std::wstring text) : text_(std::move(text)), utf8_(Utf8Of(text_)) {}

    const std::wstring& Text() const noexcept { return text_; }
    // The same text in UTF-8, for handlers and test reports that know only std::exception.
    const char* what() const noexcept override { return utf8_.c_str(); }

private:
    std::wstring text_;
    std::string utf8_;
};

// An action given up on purpose: the error display drops it without a message.
class AbortError : public ProgramError {
public:
    AbortError() : ProgramError(L"Operation aborted") {}
};

// The text of a caught exception for a person: a ProgramError's own text, any other's
// what() read as UTF-8 (ours are UTF-8, the C++ runtime's are ASCII).
std::wstring ExceptionText(const std::exception& e);

}  // namespace CustomPipes
