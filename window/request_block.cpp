#include "request_block.h"

#include "program_error.h"
#include "protocol.h"

#include <cstdint>
#include <cstring>

std::wstring RequestBlockName(HWND window) {
    // Window handles are 32-bit values even in a 64-bit process; Varnel sees the same
    // value in the notice's lParam.
    return std::to_wstring(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window)));
}

RequestBlock RequestBlock::CreateFor(HWND window) {
    RequestBlock block;
    const std::wstring name = RequestBlockName(window);
    block.mapping_.reset(::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                              CustomPipes::kRequestBlockSize, name.c_str()));
    if (!block.mapping_) {
        block.failure_ = L"The request block \"" + name + L"\" could not be created (system error " +
                         std::to_wstring(::GetLastError()) + L"), so no request can be sent";
        return block;
    }
    // A block of that name that already existed is used as it is; if it is smaller than
    // 16384 bytes the view cannot be mapped, and nothing will be written.
    block.view_.reset(::MapViewOfFile(block.mapping_.get(), FILE_MAP_WRITE, 0, 0, CustomPipes::kRequestBlockSize));
    if (!block.view_) {
        block.failure_ = L"The request block \"" + name + L"\" could not be mapped (system error " +
                         std::to_wstring(::GetLastError()) + L"), so no request can be sent";
    }
    return block;
}

void RequestBlock::Write(std::wstring_view request) {
    const size_t characters = request.empty() ? 0 : request.size() - 1;
    if (characters > CustomPipes::kMaxRequestCharacters) {
        throw ProgramError(L"The request is " + std::to_wstring(characters) +
                           L" characters long, but the request block holds at most " +
                           std::to_wstring(CustomPipes::kMaxRequestCharacters) +
                           L" characters before the terminating NUL; nothing was sent");
    }
    if (!view_) {
        throw ProgramError(failure_.empty() ? L"There is no request block, so no request can be sent" : failure_);
    }
    std::memcpy(view_.get(), request.data(), request.size() * sizeof(wchar_t));
}
