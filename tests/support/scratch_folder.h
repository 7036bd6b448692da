// A folder of its own for one test, under the temporary folder, removed afterwards.
#pragma once

#include "win32.h"

#include <shellapi.h>

#include <string>

class ScratchFolder {
public:
    explicit ScratchFolder(const std::wstring& name) {
        wchar_t temp[MAX_PATH + 1];
        ::GetTempPathW(MAX_PATH + 1, temp);
        path_ = std::wstring(temp) + name + L"-" + std::to_wstring(::GetCurrentProcessId());
        Remove();
        ::CreateDirectoryW(path_.c_str(), nullptr);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    ~ScratchFolder() { Remove(); }

    const std::wstring& Path() const { return path_; }
    std::wstring operator/(const std::wstring& child) const { return path_ + L"\\" + child; }

private:
    void Remove() {
        std::wstring from = path_ + L'\0';  // SHFileOperation wants a double-NUL list
        SHFILEOPSTRUCTW op{};
        op.wFunc = FO_DELETE;
        op.pFrom = from.c_str();
        op.fFlags = FOF_NO_UI;
        ::SHFileOperationW(&op);
    }

    std::wstring path_;
};
