// The one error type of the program. Its text is what the error display shows.
#pragma once

#include <exception>
#include <string>

class ProgramError : public std::exception {
public:
    explicit ProgramError(std::wstring text) : text_(std::move(text)) {}

    const std::wstring& Text() const noexcept { return text_; }
    const char* what() const noexcept override { return "ProgramError (see Text())"; }

private:
    std::wstring text_;
};

// An action given up on purpose: the error display drops it without a message.
class AbortError : public ProgramError {
public:
    AbortError() : ProgramError(L"Operation aborted") {}
};
