// varnel-query: one search sent to Varnel from the command line, as the demo window's
// page 1 sends it, and the answer printed. See QueryUsage for the options.
#include "CustomPipes.h"
#include "exchange.h"
#include "handles.h"
#include "program_error.h"
#include "query_options.h"
#include "request_document.h"
#include "request_block.h"
#include "search_request.h"
#include "standard_streams.h"
#include "wire_document.h"
#include "wire_text.h"

#include <string>
#include <vector>

namespace {

using tools::QueryExit;

std::string ReadWholeFile(const std::wstring& path) {
    const UniqueHandle file = AdoptFileHandle(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = ::GetLastError();
        throw ProgramError(L"the request file \"" + path + L"\" cannot be opened (system error " +
                           std::to_wstring(error) + L")");
    }
    LARGE_INTEGER size{};
    // A request block holds 16 KB; a much larger file is refused as too long anyway.
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart > (1 << 20)) {
        throw ProgramError(L"the request file \"" + path + L"\" is not a request (larger than 1 MB)");
    }
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() && (!::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
                           read != bytes.size())) {
        throw ProgramError(L"the request file \"" + path + L"\" cannot be read");
    }
    return bytes;
}

// A prepared request: checked as a built one is, then in wire form with its NUL.
std::wstring RequestFromFile(const std::wstring& path) {
    std::string document = ReadWholeFile(path);
    // A request never carries a byte-order mark; editors may add one.
    if (document.starts_with("\xEF\xBB\xBF")) document.erase(0, 3);
    CustomPipes::CheckWellFormed(document);
    try {
        return wire::WireTextOfDocument(document) + L'\0';
    } catch (const ProgramError& e) {
        throw ProgramError(L"the request file \"" + path + L"\": " + e.Text());
    }
}

// The whole run; failure is what a ProgramError means at the stage reached.
QueryExit Query(const std::vector<std::wstring>& arguments, QueryExit& failure) {
    failure = QueryExit::Refused;
    const tools::QueryOptions options = tools::ParseQueryOptions(arguments);
    if (options.help) {
        tools::WriteOutput(tools::QueryUsage());
        return QueryExit::Answered;
    }
    const std::wstring request =
        options.requestFile ? RequestFromFile(*options.requestFile) : CustomPipes::BuildSearchRequest(options.search);
    RequestBlock::CheckFits(request);

    failure = QueryExit::Failed;
    CustomPipes::ExchangeClient client;
    const auto sayStarting = [](const std::wstring& path) {
        tools::WriteErrorLine(L"varnel-query: Varnel is not running; starting " + path + L" and waiting up to " +
                              std::to_wstring(CustomPipes::kServerStartWaitMs / 1000) + L" seconds for it");
    };
    const CustomPipes::ExchangeResult result =
        client.Run(request, static_cast<DWORD>(options.timeoutSeconds * 1000), sayStarting);
    if (result.outcome != CustomPipes::ExchangeOutcome::Answered) {
        tools::WriteErrorLine(L"varnel-query: " + tools::OneLine(result.reason));
        return static_cast<QueryExit>(result.outcome);
    }
    const std::wstring& answer = result.answer;
    std::wstring text;
    for (const std::wstring& line : wire::DecodeLines(answer)) text += line + L"\n";
    tools::WriteOutput(text);
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
