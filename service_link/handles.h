// Owners for the system handles the program opens: each closes exactly once.
#pragma once

#include "win32.h"

#include <memory>
#include <utility>

namespace handles {

struct HandleCloser {
    void operator()(HANDLE h) const noexcept { ::CloseHandle(h); }
};
struct KeyCloser {
    void operator()(HKEY k) const noexcept { ::RegCloseKey(k); }
};
struct ViewUnmapper {
    void operator()(void* p) const noexcept { ::UnmapViewOfFile(p); }
};

}  // namespace handles

// Null means empty. INVALID_HANDLE_VALUE is never stored: the calls that return it
// (CreateFile, FindFirstFile) are converted at the call site.
using UniqueHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, handles::HandleCloser>;
using UniqueHkey = std::unique_ptr<std::remove_pointer_t<HKEY>, handles::KeyCloser>;
using UniqueMapView = std::unique_ptr<void, handles::ViewUnmapper>;

// CreateFile reports failure as INVALID_HANDLE_VALUE; the owner stores it as null.
inline UniqueHandle AdoptFileHandle(HANDLE h) noexcept {
    return UniqueHandle(h == INVALID_HANDLE_VALUE ? nullptr : h);
}

struct UniqueFindHandle {
    explicit UniqueFindHandle(HANDLE h) noexcept : handle(h) {}
    UniqueFindHandle(const UniqueFindHandle&) = delete;
    UniqueFindHandle& operator=(const UniqueFindHandle&) = delete;
    ~UniqueFindHandle() {
        if (handle != INVALID_HANDLE_VALUE) ::FindClose(handle);
    }
    HANDLE handle;
};

// A started process: both its process and its thread handle are closed.
class UniqueProcessInformation {
public:
    UniqueProcessInformation() noexcept = default;
    UniqueProcessInformation(const UniqueProcessInformation&) = delete;
    UniqueProcessInformation& operator=(const UniqueProcessInformation&) = delete;
    ~UniqueProcessInformation() { Reset(); }

    PROCESS_INFORMATION* Receive() noexcept {
        Reset();
        return &info_;
    }
    const PROCESS_INFORMATION& Get() const noexcept { return info_; }

private:
    void Reset() noexcept {
        if (info_.hThread) ::CloseHandle(info_.hThread);
        if (info_.hProcess) ::CloseHandle(info_.hProcess);
        info_ = {};
    }
    PROCESS_INFORMATION info_{};
};
