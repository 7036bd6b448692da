// varnel-query: one search sent to Varnel from the command line, as the demo window's
// page 1 sends it, and the answer printed. See QueryUsage for the options.
#include "CustomPipes.h"
#include "hidden_window.h"
#include "program_error.h"
#include "protocol.h"
#include "query_options.h"
#include "request_block.h"
#include "request_file.h"
#include "search_request.h"
#include "standard_streams.h"
#include "wire_text.h"

#include <chrono>
#include <cwchar>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace {

using tools::QueryExit;

std::wstring SecondsText(double seconds) {
    wchar_t text[32];
    std::swprintf(text, std::size(text), L"%g", seconds);
    return text;
}

// Waits for Varnel's data-ready message and copies its answer out. Empty when none came
// in time.
std::optional<std::wstring> WaitForAnswer(double timeoutSeconds) {
    const UINT dataReady = CustomPipes::ServiceMessage(CustomPipes::Service::Varnel, CustomPipes::MessageKind::DataReady);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    for (;;) {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            // Like the window, any data-ready message counts: Varnel need not echo
            // which request it answers.
            if (message.message == dataReady) {
                bool handled = false;
                std::wstring answer;
                if (!CustomPipes::ReadServiceAnswer(message, handled, answer)) {
                    throw ProgramError(L"Varnel announced an answer, but its answer block \"" +
                                       std::wstring(CustomPipes::CatalogueEntry(CustomPipes::Service::Varnel).answerBlockName) +
                                       L"\" cannot be read");
                }
                return answer;
            }
            ::DispatchMessageW(&message);
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return std::nullopt;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left.count()), QS_ALLINPUT);
    }
}

// The whole run; failure is what a ProgramError means at the stage reached.
QueryExit Query(const std::vector<std::wstring>& arguments, QueryExit& failure) {
    failure = QueryExit::Refused;
    const tools::QueryOptions options = tools::ParseQueryOptions(arguments);
    if (options.help) {
        failure = QueryExit::Failed;
        tools::WriteOutput(tools::QueryUsage());
        return QueryExit::Answered;
    }
    const std::wstring request =
        options.requestFile ? tools::RequestFromFile(*options.requestFile) : BuildSearchRequest(options.fields);
    RequestBlock::CheckFits(request);

    failure = QueryExit::Failed;
    CustomPipes::RegisterServiceMessages();
    // Lives as long as the process, like the demo's main window.
    const HWND window = tools::CreateHiddenTopLevelWindow(L"VarnelQuery");
    RequestBlock block = RequestBlock::CreateFor(window);
    if (!block.IsMapped()) throw ProgramError(L"no request block: " + block.Failure());
    block.Write(request);

    const auto sayStarting = [](const std::wstring& path) {
        tools::WriteErrorLine(L"varnel-query: Varnel is not running; starting " + path + L" and waiting up to " +
                              std::to_wstring(CustomPipes::kServerStartWaitMs / 1000) + L" seconds for it");
    };
    if (!CustomPipes::EnsureServerAndNotify(window, CustomPipes::kWindowRequestCode, sayStarting)) {
        tools::WriteErrorLine(L"varnel-query: Varnel is neither running nor installed (no executable in the record "
                              L"HKEY_CURRENT_USER\\" + std::wstring(CustomPipes::kVarnelKey) + L"); nothing was sent");
        return QueryExit::NotInstalled;
    }

    const std::optional<std::wstring> answer = WaitForAnswer(options.timeoutSeconds);
    if (!answer) {
        tools::WriteErrorLine(L"varnel-query: no answer from Varnel within " + SecondsText(options.timeoutSeconds) +
                              L" seconds");
        return QueryExit::NoAnswer;
    }
    std::wstring text;
    for (const std::wstring& line : wire::DecodeLines(*answer)) text += line + L"\n";
    if (options.outputFile) {
        tools::WriteUtf8File(*options.outputFile, text);
    } else {
        tools::WriteOutput(text);
    }
    return QueryExit::Answered;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    QueryExit failure = QueryExit::Failed;
    try {
        return static_cast<int>(Query(std::vector<std::wstring>(argv + 1, argv + argc), failure));
    } catch (const ProgramError& e) {
        tools::WriteErrorLine(L"varnel-query: " + tools::OneLine(e.Text()));
        return static_cast<int>(failure);
    }
}
