#include "request_block.h"

#include "block_security.h"
#include "program_error.h"
#include "protocol.h"
#include "wire_document.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace CustomPipes {

namespace {

// Characters, not UTF-16 units: a UTF-8 byte that does not continue a character starts one.
size_t CharactersOfUtf8(std::string_view bytes) {
    return static_cast<size_t>(
        std::count_if(bytes.begin(), bytes.end(), [](char b) { return (static_cast<unsigned char>(b) & 0xC0) != 0x80; }));
}

// A block of the name exists, also when this program may not open it.
bool BlockExists(const std::wstring& name) {
    if (UniqueHandle(::OpenFileMappingW(FILE_MAP_READ, FALSE, name.c_str()))) return true;
    return ::GetLastError() == ERROR_ACCESS_DENIED;
}

}  // namespace

RequestBlock RequestBlock::CreateFor(HWND window) {
    RequestBlock request;
    // Varnel of the same user must be able to open it, also when this client runs elevated.
    UserAndSystemAccess access;
    const std::wstring name = RequestBlockName(window);
    try {
        // Looked for first: a block made smaller or reserved would fail the making below
        // with a reason that does not say who made it.
        if (!BlockExists(name)) {
            NamedBlock block = NamedBlock::CreateWhole(L"The request block", name, kRequestBlockSize, access.Attributes());
            if (!block.Existed()) {
                request.block_ = std::move(block);
                request.failure_.clear();
                return request;
            }
        }
        request.taken_ = true;
        request.failure_ = L"The request block \"" + name +
                           L"\" was there before this program made it: another program made it, and no request is "
                           L"written into another program's block, so no request can be sent";
    } catch (const ProgramError& e) {
        request.failure_ = e.Text() + L", so no request can be sent";
    }
    return request;
}

void RequestBlock::CheckFits(std::wstring_view request) {
    const size_t characters = request.empty() ? 0 : request.size() - 1;
    if (characters <= kMaxRequestCharacters) return;
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
                       std::to_wstring(kMaxRequestCharacters) +
                       (written == characters ? L" characters" : L" characters in wire form") +
                       L" before the terminating NUL; nothing was sent");
}

void RequestBlock::Write(std::wstring_view request) {
    CheckFits(request);
    if (!IsMapped()) throw ProgramError(failure_);
    std::memcpy(block_.WritableData(), request.data(), request.size() * sizeof(wchar_t));
}

}  // namespace CustomPipes
