// varnel-monitor: prints the service messages that client programs and Varnel
// exchange, with the blocks they name, as they happen. It never writes into a block
// and never answers. See kUsage for the options.
#include "block_reading.h"
#include "display_text.h"
#include "exchange.h"
#include "handles.h"
#include "hidden_window.h"
#include "program_error.h"
#include "protocol.h"
#include "service_catalogue.h"
#include "standard_streams.h"
#include "system_error.h"
#include "wire_text.h"

#include <algorithm>
#include <atomic>
#include <cwchar>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr const wchar_t* kUsage = LR"(Usage: varnel-monitor [--full] [--xml-dir DIR]

Prints one line for each of the thirty service messages heard by a hidden
top-level window (local time, message name, wParam, lParam), as it happens:
  - for a request message, the request in the block that lParam names, decoded;
  - for a data-ready message of a service with an answer block, the answer in
    that block, decoded (the first 40 lines and how many more; --full: all).
Blocks are opened read-only. A block that is missing, too small, reserved and not
committed, without NUL or not wire text is reported in one line.

  --full         print whole answers
  --xml-dir DIR  also save each request and answer as a UTF-8 .xml file in DIR,
                 named by time and message
  --help         this text

Control characters in a block (other than tab) are shown as their codes, e.g.
"\x1B", so that no block can rewrite what is on the screen.
Output goes out line by line, so it can be piped. Ctrl+C ends the monitor; so
does a closed output (the program reading it has ended), at the next line.
Exit codes: 0 ended by Ctrl+C, 2 a bad option, 4 any other failure (an output
that cannot be written, an --xml-dir that is not a folder).
)";

constexpr size_t kShownLines = 40;

// The exit codes varnel-monitor shares with varnel-query.
enum class MonitorExit : int {
    Ended = static_cast<int>(CustomPipes::ExchangeOutcome::Answered),
    Refused = static_cast<int>(CustomPipes::ExchangeOutcome::Refused),
    Failed = static_cast<int>(CustomPipes::ExchangeOutcome::Failed),
};

struct MonitorOptions {
    bool full = false;
    std::wstring xmlDir;  // empty: nothing saved
    bool help = false;
};

MonitorOptions ParseMonitorOptions(const std::vector<std::wstring>& arguments) {
    MonitorOptions options;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::wstring& option = arguments[i];
        if (option == L"--help" || option == L"-h" || option == L"/?") {
            options.help = true;
        } else if (option == L"--full") {
            options.full = true;
        } else if (option == L"--xml-dir" && i + 1 < arguments.size() && !arguments[i + 1].empty()) {
            options.xmlDir = arguments[++i];
        } else if (option == L"--xml-dir") {
            throw CustomPipes::ProgramError(L"--xml-dir needs a folder");
        } else {
            throw CustomPipes::ProgramError(L"unknown option \"" + option + L"\" (see varnel-monitor --help)");
        }
    }
    return options;
}

// "HH:MM:SS.mmm" for the lines; with stamp, "YYYYMMDD-HHMMSS.mmm" for file names.
std::wstring TimeText(const SYSTEMTIME& t, bool stamp) {
    wchar_t text[64];
    if (stamp) {
        std::swprintf(text, std::size(text), L"%04d%02d%02d-%02d%02d%02d.%03d", int{t.wYear}, int{t.wMonth},
                      int{t.wDay}, int{t.wHour}, int{t.wMinute}, int{t.wSecond}, int{t.wMilliseconds});
    } else {
        std::swprintf(text, std::size(text), L"%02d:%02d:%02d.%03d", int{t.wHour}, int{t.wMinute}, int{t.wSecond},
                      int{t.wMilliseconds});
    }
    return text;
}

// The folder --xml-dir names, made when it is not there; checked now rather than at
// every message.
void MakeFolder(const std::wstring& path) {
    if (::CreateDirectoryW(path.c_str(), nullptr)) return;
    const DWORD error = ::GetLastError();
    if (error != ERROR_ALREADY_EXISTS) {
        throw CustomPipes::ProgramError(
            CustomPipes::SystemErrorText(L"the folder \"" + path + L"\" cannot be created", error));
    }
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        throw CustomPipes::ProgramError(L"\"" + path + L"\" is a file, not a folder: --xml-dir needs a folder to save into");
    }
}

class Monitor {
public:
    explicit Monitor(MonitorOptions options) : options_(std::move(options)) {
        for (const CustomPipes::ServiceEntry& entry : CustomPipes::ServiceCatalogue()) {
            for (auto kind : {CustomPipes::MessageKind::Request, CustomPipes::MessageKind::DataReady,
                              CustomPipes::MessageKind::Unregister}) {
                if (const UINT id = CustomPipes::ServiceMessage(entry.service, kind)) messages_[id] = {&entry, kind};
            }
        }
    }

    // Prints a service message and what it names; false for any other message.
    bool Report(const MSG& message) {
        const auto heard = messages_.find(message.message);
        if (heard == messages_.end()) return false;
        const auto [entry, kind] = heard->second;
        SYSTEMTIME now{};
        ::GetLocalTime(&now);
        const std::wstring name = CustomPipes::ServiceMessageName(*entry, kind);
        std::wstring text = TimeText(now, false) + L" " + name + L" wParam=" +
                            std::to_wstring(message.wParam) + L" lParam=" +
                            std::to_wstring(static_cast<long long>(message.lParam)) + L"\n";
        if (kind == CustomPipes::MessageKind::Request) {
            // The block is the client's, named by lParam as Varnel names it.
            const auto client = static_cast<uint32_t>(message.lParam);
            text += Block(L"request", CustomPipes::RequestBlockName(client), CustomPipes::kRequestBlockSize, now, name,
                          true);
        } else if (kind == CustomPipes::MessageKind::DataReady && entry->answerBlockName) {
            text += Block(L"answer", entry->answerBlockName, entry->answerBlockSize, now, name, options_.full);
        }
        tools::WriteOutput(text);
        return true;
    }

private:
    // The lines that show a block: its decoded text, or one line saying why not.
    std::wstring Block(const wchar_t* what, const std::wstring& blockName, size_t bytes, const SYSTEMTIME& when,
                       const std::wstring& messageName, bool whole) {
        const std::wstring title = L"  " + std::wstring(what) + L" block \"" + blockName + L"\": ";
        const tools::WatchedBlock block = tools::ReadWatchedBlock(blockName, bytes);
        if (!block.problem.empty()) return title + block.problem + L"\n";

        const std::vector<std::wstring> lines = CustomPipes::wire::DecodeLines(block.wireText);
        std::wstring text = title + std::to_wstring(lines.size()) + L" lines\n";
        const size_t shown = whole ? lines.size() : std::min(lines.size(), kShownLines);
        // Whoever wrote the block must not be able to rewrite the lines shown before it.
        for (size_t i = 0; i < shown; ++i) text += L"    " + display::EscapeControls(lines[i]) + L"\n";
        if (shown < lines.size()) {
            text += L"    ... " + std::to_wstring(lines.size() - shown) + L" more lines (--full prints them)\n";
        }
        if (!options_.xmlDir.empty()) text += Save(block.document, when, messageName);
        return text;
    }

    // Saves a document as DIR\YYYYMMDD-HHMMSS.mmm-MESSAGE.xml; one line saying where.
    std::wstring Save(const std::string& document, const SYSTEMTIME& when, const std::wstring& messageName) {
        const std::wstring stem = options_.xmlDir + L"\\" + TimeText(when, true) + L"-" +
                                  messageName;
        for (int copy = 1; copy < 100; ++copy) {
            const std::wstring path = stem + (copy == 1 ? L"" : L"-" + std::to_wstring(copy)) + L".xml";
            const CustomPipes::UniqueHandle file = CustomPipes::AdoptFileHandle(
                ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!file && ::GetLastError() == ERROR_FILE_EXISTS) continue;
            DWORD written = 0;
            if (!file || !::WriteFile(file.get(), document.data(), static_cast<DWORD>(document.size()), &written,
                                      nullptr)) {
                const DWORD error = ::GetLastError();
                return L"    not saved: " + CustomPipes::SystemErrorText(path + L" cannot be written", error) + L"\n";
            }
            return L"    saved as " + path + L"\n";
        }
        return L"    not saved: too many files named " + stem + L"\n";
    }

    struct Heard {
        const CustomPipes::ServiceEntry* entry;
        CustomPipes::MessageKind kind;
    };
    MonitorOptions options_;
    std::map<UINT, Heard> messages_;
};

// The console's control handler runs on a thread of its own: it only posts.
std::atomic<HWND> g_window{nullptr};

BOOL WINAPI OnConsoleControl(DWORD) noexcept {
    if (const HWND window = g_window.load()) ::PostMessageW(window, WM_CLOSE, 0, 0);
    return TRUE;
}

MonitorExit Run(const std::vector<std::wstring>& arguments, MonitorExit& failure) {
    failure = MonitorExit::Refused;
    const MonitorOptions options = ParseMonitorOptions(arguments);
    failure = MonitorExit::Failed;
    if (options.help) {
        tools::WriteOutput(kUsage);
        return MonitorExit::Ended;
    }
    if (!options.xmlDir.empty()) MakeFolder(options.xmlDir);
    CustomPipes::RegisterServiceMessages();
    Monitor monitor(options);
    const HWND window = CustomPipes::CreateHiddenTopLevelWindow(L"VarnelMonitor");
    for (const CustomPipes::ServiceEntry& entry : CustomPipes::ServiceCatalogue()) {
        for (const auto kind : {CustomPipes::MessageKind::Request, CustomPipes::MessageKind::DataReady}) {
            CustomPipes::AcceptFromAnyProcess(window, CustomPipes::ServiceMessage(entry.service, kind));
        }
    }
    g_window = window;
    ::SetConsoleCtrlHandler(OnConsoleControl, TRUE);
    tools::WriteErrorLine(L"varnel-monitor: listening for the service messages; Ctrl+C ends");

    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        // A broadcast reaches every top-level window of this thread: report one copy.
        if (message.hwnd == window && monitor.Report(message)) continue;
        ::DispatchMessageW(&message);
    }
    g_window = nullptr;
    tools::WriteErrorLine(L"varnel-monitor: ended");
    return MonitorExit::Ended;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    MonitorExit failure = MonitorExit::Failed;
    try {
        return static_cast<int>(Run(std::vector<std::wstring>(argv + 1, argv + argc), failure));
    } catch (const CustomPipes::ProgramError& e) {
        tools::WriteErrorLine(L"varnel-monitor: " + CustomPipes::wire::OneLine(e.Text()));
        return static_cast<int>(failure);
    }
}
