// What this process holds, counted the same way under Wine and Windows: its open
// handles and its committed private memory. GetProcessHandleCount gives 0 under Wine and
// so does PROCESS_MEMORY_COUNTERS_EX::PrivateUsage, so handles are counted by asking
// each small handle value whether it is open, and memory by walking the address space.
#pragma once

#include "win32.h"

#include <cstddef>
#include <cstdint>

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
