// varnel-query's command line: the search of the window's page 1 as options.
#pragma once

#include "search_options.h"

#include <optional>
#include <string>
#include <vector>

namespace tools {

// varnel-query's exit codes.
enum class QueryExit : int {
    Answered = 0,      // the answer was printed
    NotInstalled = 1,  // Varnel is neither running nor installed; nothing was sent
    Refused = 2,       // bad option, malformed or too long request; nothing was sent
    NoAnswer = 3,      // no answer within the timeout
    Failed = 4,        // anything else: a registry value of the wrong type, an answer that cannot be written
};

struct QueryOptions {
    CustomPipes::SearchRequest search;        // the window's defaults, changed by the options
    double timeoutSeconds = CustomPipes::kDefaultTimeoutSeconds;
    std::optional<std::wstring> requestFile;  // a prepared request instead of fields; "-": standard input
    std::optional<std::wstring> outputFile;   // the answer goes there instead of to standard output
    bool help = false;
};

// Reads the options (without the program name). Raises CustomPipes::ProgramError naming the option
// for an unknown option, a missing or bad value, or a request file given with fields.
QueryOptions ParseQueryOptions(const std::vector<std::wstring>& arguments);

// The text --help prints.
const wchar_t* QueryUsage();

}  // namespace tools
