// varnel-query: one search sent to Varnel from the command line, as the demo window's
// page 1 sends it, and the answer printed. See QueryUsage for the options.
#include "CustomPipes.h"
#include "query_options.h"
#include "request_file.h"
#include "standard_streams.h"

#include <string>
#include <vector>

namespace {

using tools::QueryExit;

// The answer's lines, each ended by a newline, to --output's file or standard output.
void WriteAnswer(const std::wstring& answer, const tools::QueryOptions& options) {
    std::wstring text;
    for (const std::wstring& line : CustomPipes::wire::DecodeLines(answer)) text += line + L"\n";
    if (options.outputFile) {
        tools::WriteUtf8File(*options.outputFile, text);
    } else {
        tools::WriteOutput(text);
    }
}

// The whole run; failure is what a CustomPipes::ProgramError means at the stage reached.
QueryExit Query(const std::vector<std::wstring>& arguments, QueryExit& failure) {
    failure = QueryExit::Refused;
    const tools::QueryOptions options = tools::ParseQueryOptions(arguments);
    if (options.help) {
        failure = QueryExit::Failed;
        tools::WriteOutput(tools::QueryUsage());
        return QueryExit::Answered;
    }
    // Checked before anything else is looked at: a refused request makes no window and
    // no block, whether Varnel runs or not.
    const std::wstring request = options.requestFile ? tools::RequestFromFile(*options.requestFile)
                                                     : CustomPipes::BuildSearchRequest(options.search);
    CustomPipes::RequestBlock::CheckFits(request);

    failure = QueryExit::Failed;
    CustomPipes::ExchangeClient client;
    const auto sayStarting = [](const std::wstring& path) {
        tools::WriteErrorLine(L"varnel-query: Varnel is not running; starting " + path + L" and waiting up to " +
                              std::to_wstring(CustomPipes::kServerStartWaitMs / 1000) + L" seconds for it");
    };
    const CustomPipes::ExchangeResult result =
        client.Run(request, CustomPipes::RunLimits::From(static_cast<DWORD>(options.timeoutSeconds * 1000)), sayStarting);
    // An answer that may be cut is still written where the answer goes, to be looked
    // into; the exit code says it is not whole.
    if (result.outcome == CustomPipes::ExchangeOutcome::Answered || !result.answer.empty()) {
        WriteAnswer(result.answer, options);
    }
    if (result.outcome != CustomPipes::ExchangeOutcome::Answered) {
        tools::WriteErrorLine(L"varnel-query: " + CustomPipes::wire::OneLine(result.reason));
        return static_cast<QueryExit>(result.outcome);
    }
    return QueryExit::Answered;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    QueryExit failure = QueryExit::Failed;
    try {
        return static_cast<int>(Query(std::vector<std::wstring>(argv + 1, argv + argc), failure));
    } catch (const CustomPipes::ProgramError& e) {
        tools::WriteErrorLine(L"varnel-query: " + CustomPipes::wire::OneLine(e.Text()));
        return static_cast<int>(failure);
    }
}
