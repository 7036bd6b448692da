// Writing the answer document that the server leaves in its answer block.
#pragma once

#include "search.h"
#include "win32.h"

#include <cstddef>
#include <span>
#include <string>

namespace sample_server {

enum class AnswerMode {
    Auto,    // answered at once (<AUTO_ANSWER>true</AUTO_ANSWER>)
    Chosen,  // a person picked the body in the server's window
};

// The most characters an answer may have before its NUL: the court service's answer
// block holds 65536 bytes of UTF-16.
size_t MaxAnswerCharacters();

// Echoed search values are cut to this many characters (a ">" in a request value
// grows fourfold when escaped; the cut keeps the echo well inside the block).
constexpr size_t kMaxEchoCharacters = 256;

struct WrittenAnswer {
    std::wstring text;          // wire text; its last character is the terminating NUL
    size_t bodiesWritten = 0;   // <Body> elements in the text
    bool truncated = false;     // some bodies were left out for want of room
};

// The answer document in wire text: lines ended by CR LF, XML-escaped values, the echo
// of the search, the number of bodies found, then one <Body> per body sent. When the
// bodies do not fit into maxCharacters, the answer ends after the last whole <Body>
// that fits, followed by a <Truncated> marker. found is what the search found; sent
// may be fewer (the one body a person picked).
WrittenAnswer WriteAnswer(const Search& search, AnswerMode mode, size_t found, std::span<const Match> sent,
                          size_t maxCharacters = MaxAnswerCharacters(), UINT codePage = CP_ACP);

// "&", "<" and ">" as entity references; tab, CR and LF as spaces; the other
// characters XML 1.0 does not allow as U+FFFD; everything else as is.
std::wstring EscapeXml(std::wstring_view text);

}  // namespace sample_server
