// What the reliability tests share: the demo and the server as real processes, blocks
// filled from outside, and the demo's handles and memory measured from outside.
#pragma once

#include "files.h"
#include "gui_driver.h"
#include "registry_fixture.h"
#include "sample_server_driver.h"

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

using gui::DemoPath;
using gui::kTitle;

inline UINT DataReadyMessage() { return VarnelMessage(CustomPipes::MessageKind::DataReady); }
inline UINT RequestMessage() { return VarnelMessage(CustomPipes::MessageKind::Request); }

inline std::wstring MemoText(const gui::DemoProcess& demo) { return gui::TextOf(demo.Control(ControlId::Memo1)); }

// True while the demo's thread answers a sent message within timeoutMs.
inline bool Responds(const gui::DemoProcess& demo, UINT timeoutMs = 5000) {
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutW(demo.MainWindow(), WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &result) != 0;
}

// The byte a block holds at offset before a press: never 0, never the same for
// neighbouring bytes, so a stray write of any value shows.
inline unsigned char PatternByte(size_t offset) { return static_cast<unsigned char>(1 + (offset * 7 + offset / 256) % 251); }

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
    const CustomPipes::UniqueFindHandle search(::FindFirstFileW(L"Z:\\proc\\*", &found));
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
