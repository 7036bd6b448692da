// What tests/service_link/command_line_recorder.exe recorded: the command line it was
// started with, kept beside it in "<its path>.cmdline".
#pragma once

#include "handles.h"

#include <optional>
#include <string>

inline std::optional<std::wstring> RecordedCommandLine(const std::wstring& recorderPath) {
    const CustomPipes::UniqueHandle file = CustomPipes::AdoptFileHandle(::CreateFileW((recorderPath + L".cmdline").c_str(), GENERIC_READ,
                                                            FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) return std::nullopt;
    std::wstring text(32768, L'\0');
    DWORD got = 0;
    ::ReadFile(file.get(), text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &got, nullptr);
    text.resize(got / sizeof(wchar_t));
    return text;
}
