// Reading what another program writes, while it may still have the file open.
#pragma once

#include "handles.h"

#include <string>

// The bytes of the file at path, or nothing when it cannot be opened.
inline std::string ReadWholeFile(const std::wstring& path) {
    const UniqueHandle file = AdoptFileHandle(::CreateFileW(path.c_str(), GENERIC_READ,
                                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                                            nullptr, OPEN_EXISTING, 0, nullptr));
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (file && ::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    return bytes;
}
