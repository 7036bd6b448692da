// Owners for the system handles the program opens: each closes exactly once.
#pragma once

#include "win32.h"

#include <memory>
#include <utility>

namespace CustomPipes {

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
// (CreateFile, FindFirstFile) are converted by AdoptFileHandle and UniqueFindHandle.
using UniqueHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, handles::HandleCloser>;
using UniqueHkey = std::unique_ptr<std::remove_pointer_t<HKEY>, handles::KeyCloser>;
using UniqueMapView = std::unique_ptr<void, handles::ViewUnmapper>;

// CreateFile reports failure as INVALID_HANDLE_VALUE; the owner stores it as null.
inline UniqueHandle AdoptFileHandle(HANDLE h) noexcept {
    return UniqueHandle(h == INVALID_HANDLE_VALUE ? nullptr : h);
}

// FindFirstFile reports failure as INVALID_HANDLE_VALUE, which the owner stores as empty.
class UniqueFindHandle {
public:
    explicit UniqueFindHandle(HANDLE h) noexcept : handle_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    explicit operator bool() const noexcept { return handle_ != nullptr; }
    HANDLE get() const noexcept { return handle_.get(); }

private:
    struct FindCloser {
        void operator()(HANDLE h) const noexcept { ::FindClose(h); }
    };
    std::unique_ptr<std::remove_pointer_t<HANDLE>, FindCloser> handle_;
};

// A started process: both its process and its thread handle are closed.
class UniqueProcessInformation {
public:
    UniqueProcessInformation() noexcept = default;
    UniqueProcessInformation(UniqueProcessInformation&& other) noexcept : info_(std::exchange(other.info_, {})) {}
    UniqueProcessInformation& operator=(UniqueProcessInformation&& other) noexcept {
        if (this != &other) {
            Reset();
            info_ = std::exchange(other.info_, {});
        }
        return *this;
    }
    ~UniqueProcessInformation() { Reset(); }

    explicit operator bool() const noexcept { return info_.hProcess != nullptr; }
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

}  // namespace CustomPipes
