#include "request_block.h"

#include "handles.h"
#include "protocol.h"
#include "wire_text.h"

#include <cwchar>

namespace sample_server {

namespace {

RequestReading Problem(std::wstring problem) {
    RequestReading reading;
    reading.problem = std::move(problem);
    return reading;
}

}  // namespace

RequestReading RequestTextOf(const void* data, size_t mappedBytes) {
    constexpr size_t kBlock = CustomPipes::kRequestBlockSize;
    if (mappedBytes < kBlock) {
        return Problem(L"the block holds " + std::to_wstring(mappedBytes) + L" bytes, fewer than the " +
                           std::to_wstring(kBlock) + L" of a request block");
    }
    const auto* chars = static_cast<const wchar_t*>(data);
    if (!std::wmemchr(chars, L'\0', kBlock / sizeof(wchar_t))) {
        return Problem(L"the block has no NUL character in its " + std::to_wstring(kBlock) + L" bytes");
    }
    RequestReading reading;
    reading.ok = true;
    reading.text = std::wstring(wire::TextUpToNul(data, kBlock));
    return reading;
}

RequestReading ReadRequestBlock(uint32_t clientWindow) {
    const std::wstring name = std::to_wstring(clientWindow);
    const UniqueHandle mapping(::OpenFileMappingW(FILE_MAP_READ, FALSE, name.c_str()));
    if (!mapping) {
        return Problem(L"no block named \"" + name + L"\" (system error " + std::to_wstring(::GetLastError()) + L")");
    }
    const UniqueMapView view(::MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0));
    if (!view) {
        return Problem(L"the block \"" + name + L"\" could not be mapped (system error " +
                           std::to_wstring(::GetLastError()) + L")");
    }
    // The view covers the whole mapping, rounded up to whole pages: reading past what
    // VirtualQuery reports would fault.
    MEMORY_BASIC_INFORMATION info{};
    if (::VirtualQuery(view.get(), &info, sizeof info) == 0) {
        return Problem(L"the size of block \"" + name + L"\" could not be learnt");
    }
    return RequestTextOf(view.get(), info.RegionSize);
}

}  // namespace sample_server
