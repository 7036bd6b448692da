// Named blocks as the tests and the bench make, fill and read them, and the text the
// demo must show for an answer: all through service_link's own rules.
#pragma once

#include "named_block.h"
#include "protocol.h"
#include "service_catalogue.h"
#include "wire_text.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <optional>
#include <string>
#include <string_view>

// A client's request block, opened by name from another view, as Varnel opens it.
inline CustomPipes::NamedBlock OpenRequestBlock(HWND clientWindow) {
    return CustomPipes::NamedBlock::Open(CustomPipes::RequestBlockName(clientWindow),
                                         CustomPipes::NamedBlock::Access::Write);
}

inline wchar_t* Characters(const CustomPipes::NamedBlock& block) { return static_cast<wchar_t*>(block.WritableData()); }
inline unsigned char* Bytes(const CustomPipes::NamedBlock& block) {
    return static_cast<unsigned char*>(block.WritableData());
}
inline std::wstring Prefix(const CustomPipes::NamedBlock& block, size_t characters) {
    return std::wstring(static_cast<const wchar_t*>(block.Data()), characters);
}
inline void Fill(const CustomPipes::NamedBlock& block, wchar_t c) {
    std::wmemset(Characters(block), c, block.UsableBytes() / sizeof(wchar_t));
}

// Wire text and its NUL at the start of the block, zeros after them, as a service
// leaves its answer; cut at the end of the block.
inline void PutText(const CustomPipes::NamedBlock& block, std::wstring_view text) {
    std::memset(Bytes(block), 0, block.UsableBytes());
    std::memcpy(Bytes(block), text.data(), std::min(block.UsableBytes(), text.size() * sizeof(wchar_t)));
}

// The answer text in "Varnel2" (up to its NUL), or nothing when the block is absent.
inline std::optional<std::wstring> ReadAnswerBlock() {
    const CustomPipes::ServiceEntry& varnel = CustomPipes::CatalogueEntry(CustomPipes::Service::Varnel);
    const auto block = CustomPipes::NamedBlock::Open(varnel.answerBlockName, CustomPipes::NamedBlock::Access::Read);
    if (!block.IsMapped()) return std::nullopt;
    return std::wstring(CustomPipes::wire::TextUpToNul(block.Data(), std::min<size_t>(block.UsableBytes(), varnel.answerBlockSize)));
}

// What Memo1 must hold for answer text (up to its NUL): the decoded lines joined by CR LF.
inline std::wstring MemoFor(std::wstring_view answer) { return CustomPipes::wire::DecodeLinesJoined(answer); }
