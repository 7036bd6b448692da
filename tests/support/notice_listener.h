// Hearing the registered messages that programs broadcast (request and data-ready
// notices) as any other top-level window of the session hears them.
#pragma once

#include "service_catalogue.h"
#include "win32.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <initializer_list>
#include <mutex>
#include <thread>
#include <vector>

// Pumps the calling thread's messages until ready() or the time is up.
template <typename Ready>
bool PumpUntil(Ready&& ready, DWORD timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        if (ready()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

// Varnel's request or data-ready message, registered as every peer registers it.
inline UINT VarnelMessage(CustomPipes::MessageKind kind) {
    // Once per process: each registration is a call to the window server.
    static const bool registered = (CustomPipes::RegisterServiceMessages(), true);
    (void)registered;
    return CustomPipes::ServiceMessage(CustomPipes::Service::Varnel, kind);
}
inline UINT RequestMessage() { return VarnelMessage(CustomPipes::MessageKind::Request); }
inline UINT DataReadyMessage() { return VarnelMessage(CustomPipes::MessageKind::DataReady); }

// A hidden top-level window (broadcasts reach no message-only window) that keeps every
// copy of the given messages it receives. Its window procedure keeps them, since
// pumping dispatches every message before anything could look for it in the queue.
// On the caller's thread the waits below pump for it; on a thread of its own it hears
// each message when it comes, not when the caller looks, and stamps it then.
// onArrival, when given, sees each notice as it comes, while its sender may still wait.
class NoticeListener {
public:
    struct Notice {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        long long arrivedAt;  // QueryPerformanceCounter
    };
    enum class Thread { Caller, Own };

    explicit NoticeListener(std::initializer_list<UINT> messages, Thread thread = Thread::Caller,
                            std::function<void(const Notice&)> onArrival = {})
        : messages_(messages), onArrival_(std::move(onArrival)) {
        if (thread == Thread::Caller) {
            window_ = Create(0);
            return;
        }
        std::atomic<HWND> created{nullptr};
        thread_ = std::thread([this, &created] {
            // A broadcast goes down the z-order one window at a time; topmost, the
            // listener hears it as soon as it starts.
            const HWND window = Create(WS_EX_TOPMOST);
            created = window;
            MSG message;
            while (::GetMessageW(&message, nullptr, 0, 0) > 0) ::DispatchMessageW(&message);
            ::DestroyWindow(window);
        });
        while (!created.load()) ::Sleep(1);
        window_ = created;
    }
    ~NoticeListener() {
        if (!thread_.joinable()) {
            ::DestroyWindow(window_);
            return;
        }
        ::PostThreadMessageW(::GetWindowThreadProcessId(window_, nullptr), WM_QUIT, 0, 0);
        thread_.join();
    }
    NoticeListener(const NoticeListener&) = delete;
    NoticeListener& operator=(const NoticeListener&) = delete;

    HWND Window() const { return window_; }

    // Pumps until count messages have come or the time is up; returns the count.
    int WaitFor(int count, DWORD timeoutMs) {
        PumpUntil([&] { return Count() >= count; }, timeoutMs);
        return Count();
    }
    // Pumps for pumpMs and returns the count.
    int CountAfter(DWORD pumpMs) { return WaitFor(1 << 30, pumpMs); }

    int Count() const {
        const std::lock_guard lock(mutex_);
        return static_cast<int>(notices_.size());
    }
    // How many of the messages so far carried lParam.
    int CountOf(LPARAM lParam) const {
        const std::lock_guard lock(mutex_);
        return static_cast<int>(
            std::count_if(notices_.begin(), notices_.end(), [&](const Notice& n) { return n.lParam == lParam; }));
    }
    std::vector<Notice> Notices() const {
        const std::lock_guard lock(mutex_);
        return notices_;
    }
    // When message first came since the last Clear; 0 when it has not come.
    long long FirstArrival(UINT message) const {
        const std::lock_guard lock(mutex_);
        const auto first = std::find_if(notices_.begin(), notices_.end(), [&](const Notice& n) { return n.message == message; });
        return first == notices_.end() ? 0 : first->arrivedAt;
    }
    void Clear() {
        const std::lock_guard lock(mutex_);
        notices_.clear();
    }

private:
    HWND Create(DWORD extendedStyle) {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = &NoticeListener::WindowProc;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"VarnelTestNoticeListener";
        ::RegisterClassW(&windowClass);  // fails harmlessly for the second listener
        return ::CreateWindowExW(extendedStyle, windowClass.lpszClassName, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                 windowClass.hInstance, this);
    }

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
        LARGE_INTEGER now{};
        ::QueryPerformanceCounter(&now);
        if (message == WM_NCCREATE) {
            const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<NoticeListener*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self && message != 0 &&
            std::find(self->messages_.begin(), self->messages_.end(), message) != self->messages_.end()) {
            const Notice notice{message, wParam, lParam, now.QuadPart};
            if (self->onArrival_) self->onArrival_(notice);
            const std::lock_guard lock(self->mutex_);
            self->notices_.push_back(notice);
            return 0;
        }
        return ::DefWindowProcW(window, message, wParam, lParam);
    }

    const std::vector<UINT> messages_;
    const std::function<void(const Notice&)> onArrival_;
    HWND window_ = nullptr;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::vector<Notice> notices_;
};
