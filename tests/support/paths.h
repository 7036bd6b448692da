// Paths of the build as the programs under test, and the tests, see them.
#pragma once

#include "wire_text.h"

#include <algorithm>
#include <string>
#include <string_view>

// A path CreateProcess accepts: under Wine a Unix path "/x/y" is the drive Z: path
// "Z:\x\y"; forward slashes become backslashes.
inline std::wstring WindowsPath(std::wstring path) {
    if (!path.empty() && path.front() == L'/') path.insert(0, L"Z:");
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

// The same for a path the build names in UTF-8.
inline std::wstring WindowsPath(std::string_view utf8Path) { return WindowsPath(CustomPipes::wire::DecodeUtf8(utf8Path)); }

// The full path of the running program.
inline std::wstring OwnPath() {
    wchar_t self[MAX_PATH * 4];
    const DWORD n = ::GetModuleFileNameW(nullptr, self, static_cast<DWORD>(std::size(self)));
    return std::wstring(self, n);
}

// The full path of a file in the folder of the running test program.
inline std::wstring PathBesideTest(const std::wstring& fileName) {
    const std::wstring self = OwnPath();
    return self.substr(0, self.find_last_of(L"\\/") + 1) + fileName;
}
