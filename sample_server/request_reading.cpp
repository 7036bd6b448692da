#include "request_reading.h"

#include "named_block.h"
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

RequestReading RequestTextOf(const void* data, size_t usableBytes) {
    constexpr size_t kBlock = CustomPipes::kRequestBlockSize;
    if (usableBytes < kBlock) {
        return Problem(L"the block holds " + std::to_wstring(usableBytes) + L" bytes that may be read, fewer than the " +
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
    const std::wstring name = CustomPipes::RequestBlockName(clientWindow);
    const auto block = CustomPipes::NamedBlock::Open(name, CustomPipes::NamedBlock::Access::Read);
    if (!block.IsMapped()) {
        return Problem(L"no block named \"" + name + L"\" could be opened (" + block.FailedCall() + L": system error " +
                       std::to_wstring(block.Error()) + L")");
    }
    // Pages another program reserved but never committed count as missing: reading
    // them would be an access violation.
    return RequestTextOf(block.Data(), block.UsableBytes());
}

}  // namespace sample_server
