// What the window tests share: the program under test, the session's Varnel state and
// the service messages as a peer registers them.
#pragma once

#include "gui_driver.h"
#include "handles.h"
#include "protocol.h"
#include "request_block_view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

inline const wchar_t* const kTitle = L"Демонстрация взаимодействия с программой Varnel";

inline std::wstring DemoExe() { return VARNEL_DEMO_EXE; }

// A message identifier as every process of the session gets it.
inline UINT Registered(const wchar_t* name) { return ::RegisterWindowMessageW(name); }

// The tests' Wine session is shared: make sure no server installation record is left,
// so Varnel counts as not installed.
inline void RemoveServerRecord() {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, CustomPipes::kVarnelKey);
}

// A named block of the session holding wire text and its NUL, as a service leaves it.
class AnswerBlock {
public:
    AnswerBlock(const wchar_t* name, DWORD size)
        : mapping_(::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size, name)),
          view_(mapping_ ? ::MapViewOfFile(mapping_.get(), FILE_MAP_WRITE, 0, 0, size) : nullptr), size_(size) {}
    bool IsOpen() const { return view_ != nullptr; }
    void Put(const std::wstring& text) const {
        std::memset(view_.get(), 0, size_);
        std::memcpy(view_.get(), text.c_str(), std::min<size_t>(size_, (text.size() + 1) * sizeof(wchar_t)));
    }

private:
    UniqueHandle mapping_;
    UniqueMapView view_;
    DWORD size_;
};

