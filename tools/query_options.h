// varnel-query's command line: the search of the window's page 1 as options.
#pragma once

#include "exchange.h"
#include "search_options.h"

#include <optional>
#include <string>
#include <vector>

namespace tools {

// varnel-query's exit codes are the exchange's outcomes (0 the answer was printed, 1 not
// installed, 2 refused, 3 no answer, 4 anything else), as varnel.dll's result codes are.
using QueryExit = CustomPipes::ExchangeOutcome;

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
