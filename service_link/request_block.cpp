#include "request_block.h"

#include "block_security.h"
#include "program_error.h"
#include "protocol.h"

#include <cstring>

RequestBlock RequestBlock::CreateFor(HWND window) {
    RequestBlock request;
    // Varnel of the same user must be able to open it, also when this client runs elevated.
    CustomPipes::UserAndSystemAccess access;
    try {
        request.block_ = CustomPipes::NamedBlock::CreateWhole(L"The request block", CustomPipes::RequestBlockName(window),
                                                              CustomPipes::kRequestBlockSize, access.Attributes());
        request.failure_.clear();
    } catch (const ProgramError& e) {
        request.failure_ = e.Text() + L", so no request can be sent";
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
