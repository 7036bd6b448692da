// Files the tests make for programs to read, and read back what programs write.
#pragma once

#include "handles.h"

#include <string>

// The bytes of the file at path, or nothing when it cannot be opened.
inline std::string ReadWholeFile(const std::wstring& path) {
    const CustomPipes::UniqueHandle file = CustomPipes::AdoptFileHandle(::CreateFileW(path.c_str(), GENERIC_READ,
                                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                                            nullptr, OPEN_EXISTING, 0, nullptr));
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (file && ::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    return bytes;
}

// Writes bytes as the whole content of the file at path. False when it cannot.
inline bool WriteWholeFile(const std::wstring& path, const std::string& bytes) {
    const CustomPipes::UniqueHandle file = CustomPipes::AdoptFileHandle(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}
