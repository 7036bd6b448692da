// varnel-sample-server: a stand-in for the court directory Varnel, for trying the demo
// and for the end-to-end tests. It speaks Varnel's side of the contract: mutex, window
// class, registered messages, request and answer blocks, command-line switches.
#include "answer_block.h"
#include "command_line.h"
#include "console_output.h"
#include "handles.h"
#include "program_error.h"
#include "protocol.h"
#include "registration.h"
#include "server_interface.h"
#include "server_window.h"
#include "service_catalogue.h"
#include "wire_text.h"

#include <string>

namespace {

using namespace sample_server;

constexpr const wchar_t* kCaption = L"Varnel — учебный сервер";
constexpr DWORD kWaitForRunningWindowMs = 5000;

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) return path.substr(0, n);
        path.resize(path.size() * 2);
    }
}

// Runs from scripts and installers: it prints and never waits for a click.
int RunRecordMode(const LaunchRequest& launch, const std::wstring& ownPath) {
    try {
        const RecordOutcome outcome = launch.mode == LaunchMode::Register ? RegisterServer(ownPath, launch.force)
                                                                          : UnregisterServer(ownPath, launch.force);
        PrintLine(outcome.message);
        return outcome.exitCode;
    } catch (const CustomPipes::ProgramError& e) {
        PrintLine(L"Failed: " + e.Text());
    }
    return 1;
}

// Printed, as the record modes print, where it was started from; no window opens.
int PrintUsage() {
    for (const std::wstring_view line : CustomPipes::wire::SplitLines(ServerUsage())) PrintLine(line);
    return 0;
}

// A second start gives its arguments to the running server and ends. The first start
// may still be creating its window, so it is given a moment to appear.
int HandOver(std::wstring_view arguments) {
    HWND running = nullptr;
    for (DWORD waited = 0; !running && waited <= kWaitForRunningWindowMs; waited += 100) {
        running = ::FindWindowW(CustomPipes::kVarnelWindowClass, nullptr);
        if (!running) ::Sleep(100);
    }
    if (!running) return 3;
    DWORD runningProcess = 0;
    ::GetWindowThreadProcessId(running, &runningProcess);
    ::AllowSetForegroundWindow(runningProcess);  // lets it bring itself to the front

    COPYDATASTRUCT data{kHandOverArguments, static_cast<DWORD>(arguments.size() * sizeof(wchar_t)),
                        const_cast<wchar_t*>(arguments.data())};
    DWORD_PTR result = 0;
    const LRESULT sent = ::SendMessageTimeoutW(running, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                                               SMTO_ABORTIFHUNG, kWaitForRunningWindowMs, &result);
    return sent && result ? 0 : 4;
}

int RunServer(HINSTANCE instance, int showCommand, std::wstring_view arguments) {
    // Held until the process ends: while it exists, clients know the server runs.
    const CustomPipes::UniqueHandle mutex(::CreateMutexW(nullptr, FALSE, CustomPipes::kVarnelMutexName));
    if (!mutex) throw CustomPipes::ProgramError(L"The mutex \"" + std::wstring(CustomPipes::kVarnelMutexName) + L"\" could not be created");
    if (::GetLastError() == ERROR_ALREADY_EXISTS) return HandOver(arguments);

    CustomPipes::RegisterServiceMessages();
    AnswerBlock answers;
    ServerWindow window(instance, answers);
    window.Create(showCommand);
    window.ActOnArguments(arguments, false);

    MSG message{};
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    const std::wstring ownPath = ModulePath();
    try {
        const std::wstring_view arguments = ArgumentsOf(::GetCommandLineW(), ownPath);
        const LaunchRequest launch = ParseArguments(arguments);
        if (launch.mode == LaunchMode::Help) return PrintUsage();
        if (launch.mode != LaunchMode::Window) return RunRecordMode(launch, ownPath);
        return RunServer(instance, showCommand, arguments);
    } catch (const CustomPipes::ProgramError& e) {
        ::MessageBoxW(nullptr, e.Text().c_str(), kCaption, MB_OK | MB_ICONERROR);
    } catch (const std::exception&) {
        ::MessageBoxW(nullptr, L"Unexpected failure", kCaption, MB_OK | MB_ICONERROR);
    }
    return 1;
}
