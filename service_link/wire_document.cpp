#include "wire_document.h"

#include "program_error.h"
#include "request_document.h"
#include "wire_text.h"

namespace CustomPipes::wire {

namespace {

// Valid UTF-8 is exactly what decoding and encoding again leaves unchanged: decoding
// turns every malformed sequence into U+FFFD.
bool IsUtf8(std::string_view bytes) { return ToUtf8(DecodeUtf8(bytes)) == bytes; }

}  // namespace

std::optional<std::string> DocumentOfWireText(std::wstring_view text, UINT codePage) {
    std::string bytes = ToAnsiBytes(text, codePage);
    // A character the code page lacks becomes its default character: it does not come back.
    if (FromAnsiBytes(bytes, codePage) != text || !IsUtf8(bytes)) return std::nullopt;
    return bytes;
}

std::wstring WireTextOfDocument(std::string_view utf8Document, UINT codePage) {
    if (!IsUtf8(utf8Document)) throw ProgramError(L"The document is not UTF-8 text");
    // The whole document travels as one value does: its UTF-8 bytes, each widened.
    std::wstring text = EncodeValue(DecodeUtf8(utf8Document), codePage);
    if (ToAnsiBytes(text, codePage) != utf8Document) {
        throw ProgramError(L"The document does not survive the wire encoding under the ANSI code page " +
                           std::to_wstring(codePage == CP_ACP ? ::GetACP() : codePage));
    }
    return text;
}

std::wstring PreparedRequestWireText(std::string_view utf8Document, const std::wstring& source) {
    CheckRequestDocument(utf8Document);
    if (source.empty()) return WireTextOfDocument(utf8Document) + L'\0';
    try {
        return WireTextOfDocument(utf8Document) + L'\0';
    } catch (const ProgramError& e) {
        throw ProgramError(source + L": " + e.Text());
    }
}

}  // namespace CustomPipes::wire
