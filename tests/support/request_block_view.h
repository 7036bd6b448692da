// A client's request block opened by name from another view, as Varnel opens it.
#pragma once

#include "handles.h"
#include "protocol.h"

#include <cstdint>
#include <cwchar>
#include <string>

class RequestBlockView {
public:
    explicit RequestBlockView(const std::wstring& name)
        : mapping_(::OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, name.c_str())),
          view_(mapping_ ? ::MapViewOfFile(mapping_.get(), FILE_MAP_WRITE, 0, 0, CustomPipes::kRequestBlockSize)
                         : nullptr) {}
    // The block of a client window: named by its handle as unsigned decimal digits.
    explicit RequestBlockView(HWND clientWindow)
        : RequestBlockView(std::to_wstring(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(clientWindow)))) {}

    bool IsOpen() const { return view_ != nullptr; }
    HANDLE Mapping() const { return mapping_.get(); }
    wchar_t* Characters() const { return static_cast<wchar_t*>(view_.get()); }
    void Fill(wchar_t c) const { std::wmemset(Characters(), c, CustomPipes::kRequestBlockSize / 2); }
    std::wstring Prefix(size_t characters) const { return std::wstring(Characters(), characters); }

private:
    UniqueHandle mapping_;
    UniqueMapView view_;
};
