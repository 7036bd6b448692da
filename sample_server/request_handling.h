// What the server makes of one request, from the text of the client's request block to
// the answer or the reason for not answering. No window: the server's window only
// publishes the answer and logs the outcome.
#pragma once

#include "answer_document.h"
#include "search.h"
#include "win32.h"

#include <string>
#include <string_view>
#include <vector>

namespace sample_server {

struct RequestOutcome {
    std::wstring refusal;                    // not empty: nothing is answered, for this reason
    Search search;                           // the search made
    std::vector<Match> matches;              // the bodies found
    bool waitsForChoice = false;             // <AUTO_ANSWER>false</AUTO_ANSWER>: a person picks one
    WrittenAnswer answer;                    // the answer to send at once, unless refused or waiting
};

// Reads the request (wire text without its NUL), searches the sample directory and,
// when the request asks for an answer at once, writes it.
RequestOutcome HandleRequest(std::wstring_view requestText, UINT codePage = CP_ACP);

}  // namespace sample_server
