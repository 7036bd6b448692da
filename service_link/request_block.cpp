#include "request_block.h"

#include "block_security.h"
#include "program_error.h"
#include "protocol.h"

#include <cstring>

RequestBlock RequestBlock::CreateFor(HWND window) {
    RequestBlock request;
    const std::wstring name = CustomPipes::RequestBlockName(window);
    // Varnel of the same user must be able to open it, also when this client runs elevated.
    CustomPipes::UserAndSystemAccess access;
    request.block_ =
        CustomPipes::NamedBlock::Create(name, CustomPipes::kRequestBlockSize, PAGE_READWRITE, access.Attributes());
    if (!request.block_.IsMapped()) {
        request.failure_ = L"The request block \"" + name + L"\" could not be made (" + request.block_.FailedCall() +
                           L": system error " + std::to_wstring(request.block_.Error()) + L"), so no request can be sent";
    } else if (request.block_.UsableBytes() < CustomPipes::kRequestBlockSize) {
        // Another program made a block of this name first, with pages reserved but not
        // committed, or not writable: writing there would be an access violation.
        request.failure_ = L"The request block \"" + name + L"\" has only " +
                           std::to_wstring(request.block_.UsableBytes()) + L" of its " +
                           std::to_wstring(CustomPipes::kRequestBlockSize) +
                           L" bytes committed and writable, so no request can be sent";
    } else {
        request.failure_.clear();
    }
    return request;
}

void RequestBlock::CheckFits(std::wstring_view request) {
    const size_t characters = request.empty() ? 0 : request.size() - 1;
    if (characters > CustomPipes::kMaxRequestCharacters) {
        throw ProgramError(L"The request is " + std::to_wstring(characters) +
                           L" characters long, but the request block holds at most " +
                           std::to_wstring(CustomPipes::kMaxRequestCharacters) +
                           L" characters before the terminating NUL; nothing was sent");
    }
}

void RequestBlock::Write(std::wstring_view request) {
    CheckFits(request);
    if (!IsMapped()) throw ProgramError(failure_);
    std::memcpy(block_.WritableData(), request.data(), request.size() * sizeof(wchar_t));
}
