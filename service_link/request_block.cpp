#include "request_block.h"

#include "program_error.h"
#include "protocol.h"
#include "wire_document.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace {

// Characters, not UTF-16 units: a UTF-8 byte that does not continue a character starts one.
size_t CharactersOfUtf8(std::string_view bytes) {
    return static_cast<size_t>(
        std::count_if(bytes.begin(), bytes.end(), [](char b) { return (static_cast<unsigned char>(b) & 0xC0) != 0x80; }));
}

}  // namespace

RequestBlock RequestBlock::CreateFor(HWND window) {
    RequestBlock request;
    const std::wstring name = CustomPipes::RequestBlockName(window);
    request.block_ = CustomPipes::NamedBlock::Create(name, CustomPipes::kRequestBlockSize);
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
    if (characters <= CustomPipes::kMaxRequestCharacters) return;
    // The block limits wire characters, one for each UTF-8 byte of the text; the person
    // who wrote the request counts the characters of the document.
    const std::optional<std::string> document = wire::DocumentOfWireText(request.substr(0, characters));
    const size_t written = document ? CharactersOfUtf8(*document) : characters;
    const std::wstring length =
        written == characters
            ? std::to_wstring(characters) + L" characters long"
            : std::to_wstring(written) + L" characters long, " + std::to_wstring(characters) +
                  L" in wire form (each UTF-8 byte of its text one character)";
    throw ProgramError(L"The request is " + length + L", but the request block holds at most " +
                       std::to_wstring(CustomPipes::kMaxRequestCharacters) +
                       (written == characters ? L" characters" : L" characters in wire form") +
                       L" before the terminating NUL; nothing was sent");
}

void RequestBlock::Write(std::wstring_view request) {
    CheckFits(request);
    if (!IsMapped()) throw ProgramError(failure_);
    std::memcpy(block_.WritableData(), request.data(), request.size() * sizeof(wchar_t));
}
