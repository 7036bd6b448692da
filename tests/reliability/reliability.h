// What the reliability tests share: the demo and the server as real processes, blocks
// filled from outside, and the demo's handles and memory measured from outside.
#pragma once

#include "gui_driver.h"
#include "handles.h"
#include "protocol.h"
#include "registry_fixture.h"
#include "sample_server_driver.h"
#include "service_catalogue.h"
#include "wire_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cwchar>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace reliability {

using sample_server_driver::StopEveryServer;

inline const wchar_t* const kTitle = L"Демонстрация взаимодействия с программой Varnel";

inline std::wstring DemoPath() { return gui::WindowsPath(VARNEL_DEMO_EXE); }

inline UINT DataReadyMessage() {
    CustomPipes::RegisterServiceMessages();
    return CustomPipes::ServiceMessage(CustomPipes::Service::Varnel, CustomPipes::MessageKind::DataReady);
}

inline std::wstring MemoText(const gui::DemoProcess& demo) { return gui::TextOf(demo.Control(ControlId::Memo1)); }

// What Memo1 must hold for answer text (up to its NUL): the decoded lines joined by
// CR LF.
inline std::wstring MemoFor(std::wstring_view answer) {
    std::wstring text;
    const std::vector<std::wstring> lines = wire::DecodeLines(answer);
    for (size_t i = 0; i < lines.size(); ++i) text += (i > 0 ? L"\r\n" : L"") + lines[i];
    return text;
}

// True while the demo's thread answers a sent message within timeoutMs.
inline bool Responds(const gui::DemoProcess& demo, UINT timeoutMs = 5000) {
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutW(demo.MainWindow(), WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &result) != 0;
}

// A named block of any size holding raw bytes, as some process may leave "Varnel2".
class RawBlock {
public:
    RawBlock(const wchar_t* name, size_t size)
        : mapping_(::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, static_cast<DWORD>(size), name)),
          view_(mapping_ ? ::MapViewOfFile(mapping_.get(), FILE_MAP_WRITE, 0, 0, 0) : nullptr), size_(size) {}
    bool IsOpen() const { return view_ != nullptr; }
    unsigned char* Bytes() const { return static_cast<unsigned char*>(view_.get()); }
    size_t Size() const { return size_; }
    void Close() {
        view_.reset();
        mapping_.reset();
    }

private:
    UniqueHandle mapping_;
    UniqueMapView view_;
    size_t size_;
};

// The byte a block holds at offset before a press: never 0, never the same for
// neighbouring bytes, so a stray write of any value shows.
inline unsigned char PatternByte(size_t offset) { return static_cast<unsigned char>(1 + (offset * 7 + offset / 256) % 251); }

// A hidden top-level window of the test that counts the broadcasts of one registered
// message it receives (one per broadcast) and keeps the lParam of each. Its window procedure counts them, since
// pumping dispatches every message before anything could look for them in the queue.
class MessageCounter {
public:
    explicit MessageCounter(UINT message) : message_(message) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &MessageCounter::WindowProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"ReliabilityMessageCounter";
        ::RegisterClassW(&wc);
        window_ = ::CreateWindowExW(0, wc.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                    wc.hInstance, nullptr);
        ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~MessageCounter() { ::DestroyWindow(window_); }
    MessageCounter(const MessageCounter&) = delete;
    MessageCounter& operator=(const MessageCounter&) = delete;

    // Pumps until `count` messages have come or the time is up; returns the count.
    int WaitFor(int count, DWORD timeoutMs) {
        sample_server_driver::PumpUntil([&] { return count_ >= count; }, timeoutMs);
        return count_;
    }
    // Pumps for pumpMs and returns the count.
    int CountAfter(DWORD pumpMs) { return WaitFor(1 << 30, pumpMs); }

    // How many of the messages so far carried lParam.
    int CountOf(LPARAM lParam) const { return static_cast<int>(std::count(lParams_.begin(), lParams_.end(), lParam)); }
    int Count() const { return count_; }
    void Clear() {
        count_ = 0;
        lParams_.clear();
    }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<MessageCounter*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self && message == self->message_) {
            ++self->count_;
            self->lParams_.push_back(lParam);
            return 0;
        }
        return ::DefWindowProcW(window, message, wParam, lParam);
    }

    UINT message_;
    HWND window_ = nullptr;
    int count_ = 0;
    std::vector<LPARAM> lParams_;
};

inline UINT RequestMessage() {
    CustomPipes::RegisterServiceMessages();
    return CustomPipes::ServiceMessage(CustomPipes::Service::Varnel, CustomPipes::MessageKind::Request);
}

// Puts wire text with its NUL at the start of a block.
inline void PutText(const RawBlock& block, const std::wstring& text) {
    std::memset(block.Bytes(), 0, block.Size());
    std::memcpy(block.Bytes(), text.c_str(), std::min(block.Size(), (text.size() + 1) * sizeof(wchar_t)));
}

// ---- Measuring the demo from outside ----------------------------------------------

// Handles the system holds for a process, from NtQuerySystemInformation's handle
// table (GetProcessHandleCount reports 0 under Wine); -1 when the table is not given.
inline long HandleCountOf(DWORD processId) {
    using Query = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);
    static const auto query =
        reinterpret_cast<Query>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (!query) return -1;
    struct Entry {  // SYSTEM_HANDLE_TABLE_ENTRY_INFO
        USHORT processId;
        USHORT creatorBackTraceIndex;
        UCHAR objectType;
        UCHAR attributes;
        USHORT handle;
        PVOID object;
        ULONG access;
    };
    constexpr ULONG kSystemHandleInformation = 16;
    std::vector<unsigned char> buffer(1 << 20);
    for (int attempt = 0; attempt < 8; ++attempt) {
        ULONG needed = 0;
        const LONG status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status == static_cast<LONG>(0xC0000004)) {  // STATUS_INFO_LENGTH_MISMATCH
            buffer.resize(std::max<size_t>(buffer.size() * 2, needed + 4096));
            continue;
        }
        if (status != 0) return -1;
        const ULONG count = *reinterpret_cast<const ULONG*>(buffer.data());
        const auto* entries = reinterpret_cast<const Entry*>(buffer.data() + sizeof(ULONG_PTR));
        long mine = 0;
        for (ULONG i = 0; i < count; ++i) mine += entries[i].processId == static_cast<USHORT>(processId);
        return mine;
    }
    return -1;
}

// Under Wine a Windows process is a Unix process whose /proc/PID/cmdline holds the
// Windows path of its executable; the demo's memory is read from its status there,
// through drive Z:. 0 when no such process is found (on Windows, say).
inline std::string ReadWholeFile(const std::wstring& path) {
    const UniqueHandle file = AdoptFileHandle(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                            nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) return {};
    std::string content;
    char chunk[4096];
    DWORD got = 0;
    while (::ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr) && got > 0) content.append(chunk, got);
    return content;
}

// The Unix pids whose command line holds exePath (a Unix or Windows path; compared
// without case, drive and slash direction), in increasing order.
inline std::string PathKey(std::string path) {
    for (char& c : path) c = c == '\\' ? '/' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (path.size() > 2 && path[1] == ':') path.erase(0, 2);
    return path;
}

inline std::vector<unsigned long> UnixPidsRunning(const std::string& exePath) {
    std::vector<unsigned long> pids;
    WIN32_FIND_DATAW found{};
    const UniqueFindHandle search(::FindFirstFileW(L"Z:\\proc\\*", &found));
    if (!search) return pids;
    const std::string wanted = PathKey(exePath);
    do {
        wchar_t* end = nullptr;
        const unsigned long pid = std::wcstoul(found.cFileName, &end, 10);
        if (pid == 0 || *end != 0) continue;
        const std::string command = PathKey(ReadWholeFile(L"Z:\\proc\\" + std::wstring(found.cFileName) + L"\\cmdline"));
        if (command.find(wanted) != std::string::npos) pids.push_back(pid);
    } while (::FindNextFileW(search.get(), &found));
    std::sort(pids.begin(), pids.end());
    return pids;
}

// The Unix process of a Windows program started between the two lists: the one pid in
// `after` that is not in `before`, or 0.
inline unsigned long NewPid(const std::vector<unsigned long>& before, const std::vector<unsigned long>& after) {
    std::vector<unsigned long> added;
    std::set_difference(after.begin(), after.end(), before.begin(), before.end(), std::back_inserter(added));
    return added.size() == 1 ? added.front() : 0;
}

// A field of /proc/PID/status in kB ("VmRSS", "VmSize"); -1 when absent.
inline long ProcStatusKb(unsigned long unixPid, const char* field) {
    std::istringstream status(ReadWholeFile(L"Z:\\proc\\" + std::to_wstring(unixPid) + L"\\status"));
    std::string line;
    const std::string prefix = std::string(field) + ":";
    while (std::getline(status, line)) {
        if (line.rfind(prefix, 0) == 0) return std::strtol(line.c_str() + prefix.size(), nullptr, 10);
    }
    return -1;
}

}  // namespace reliability
