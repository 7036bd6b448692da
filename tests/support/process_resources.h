// What a process holds, counted the same way under Wine and Windows. GetProcessHandleCount
// gives 0 under Wine and so does PROCESS_MEMORY_COUNTERS_EX::PrivateUsage. This process:
// its handles by asking each small handle value whether it is open, its memory by
// walking the address space. Another process: its handles from the system's handle
// table, its memory (under Wine) from its Unix process's status.
#pragma once

#include "files.h"
#include "handles.h"
#include "win32.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cwchar>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

// The handle values in use below 0x10000 (every handle of a small process).
inline size_t OpenHandleCount() {
    size_t open = 0;
    for (uintptr_t value = 4; value < 0x10000; value += 4) {
        DWORD flags = 0;
        if (::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++open;
    }
    return open;
}

// Bytes of private memory committed to this process: its committed private regions.
inline size_t CommittedPrivateBytes() {
    size_t committed = 0;
    MEMORY_BASIC_INFORMATION region{};
    for (const char* at = nullptr; ::VirtualQuery(at, &region, sizeof region) == sizeof region;
         at = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) committed += region.RegionSize;
    }
    return committed;
}

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
