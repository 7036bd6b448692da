#include "round_trip.h"

#include "control_ids.h"
#include "processes.h"
#include "program_error.h"
#include "protocol.h"
#include "timing.h"

#include <stdexcept>

namespace bench {

namespace {

constexpr const wchar_t* kDemoClass = L"TfrmMain";
constexpr const wchar_t* kEchoClass = L"VarnelBenchEcho";
constexpr const wchar_t* kPingName = L"WM_TO_VARNEL_BENCH_PING_EVENT";
constexpr DWORD kAnswerTimeoutMs = 10000;

HWND CreateMessageWindow(const wchar_t* windowClass, WNDPROC procedure) {
    WNDCLASSW c{};
    c.lpfnWndProc = procedure;
    c.hInstance = ::GetModuleHandleW(nullptr);
    c.lpszClassName = windowClass;
    ::RegisterClassW(&c);
    HWND window = ::CreateWindowExW(0, windowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, c.hInstance, nullptr);
    if (!window) throw ProgramError(L"A message window could not be created");
    return window;
}

std::wstring WindowText(HWND window) {
    const LRESULT length = ::SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT got = ::SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(got));
    return text;
}

// The demo with its send button and its memo, found from outside by control identifier.
struct Demo {
    Program program;
    HWND window = nullptr;
    HWND button1 = nullptr;
    HWND memo1 = nullptr;
};

Demo StartDemo(const std::wstring& path) {
    Demo demo{Program::Start(path)};
    demo.window = demo.program.WaitUntilIdleAndVisible(kDemoClass);
    demo.button1 = FindDescendant(demo.window, ControlId::Button1);
    demo.memo1 = FindDescendant(demo.window, ControlId::Memo1);
    if (!demo.button1 || !demo.memo1) throw ProgramError(L"Button1 or Memo1 was not found in the demo");
    return demo;
}

// One click: empties the memo, posts the click, and waits until the memo's length is
// that of the answer. Microseconds from the click to the answer.
double ClickUntilAnswer(const Demo& demo, LRESULT answerLength) {
    ::SendMessageW(demo.memo1, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    const long long start = Now();
    ::PostMessageW(demo.button1, BM_CLICK, 0, 0);
    while (::SendMessageW(demo.memo1, WM_GETTEXTLENGTH, 0, 0) != answerLength) {
        if (MicrosecondsSince(start) > kAnswerTimeoutMs * 1000.0) throw ProgramError(L"No answer reached the memo");
    }
    return MicrosecondsSince(start);
}

// The answer as the memo shows it once the data-ready notices of one click have all
// been handled: the text that stays the same for a while.
std::wstring SettledAnswer(const Demo& demo) {
    ::SendMessageW(demo.memo1, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    ::PostMessageW(demo.button1, BM_CLICK, 0, 0);
    const ULONGLONG deadline = ::GetTickCount64() + kAnswerTimeoutMs;
    std::wstring last;
    for (;;) {
        ::Sleep(200);
        std::wstring now = WindowText(demo.memo1);
        if (!now.empty() && now == last) return now;
        last = std::move(now);
        if (::GetTickCount64() > deadline) throw ProgramError(L"The demo's memo did not settle on an answer");
    }
}

// The floor: one registered message posted to the echo process and back.
struct PingPong {
    UINT ping = ::RegisterWindowMessageW(kPingName);
    HWND self = nullptr;
    HWND echo = nullptr;

    double Once() const {
        const long long start = Now();
        ::PostMessageW(echo, ping, 0, reinterpret_cast<LPARAM>(self));
        MSG message;
        while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
            if (message.message == ping) return MicrosecondsSince(start);
            ::DispatchMessageW(&message);
        }
        throw ProgramError(L"The echo did not answer");
    }
};

LRESULT CALLBACK EchoProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    static const UINT ping = ::RegisterWindowMessageW(kPingName);
    if (message == ping) {
        ::PostMessageW(reinterpret_cast<HWND>(lParam), ping, 0, 0);
        return 0;
    }
    if (message == WM_CLOSE) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int RunEcho() {
    CreateMessageWindow(kEchoClass, EchoProc);
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) ::DispatchMessageW(&message);
    return 0;
}

void RunRoundTripFigure(const std::wstring& demoPath, const std::wstring& serverPath, const std::wstring& benchPath) {
    // The server first, so that every click finds it running and answering at once.
    Program server = Program::Start(serverPath);
    server.WaitUntilIdleAndVisible(CustomPipes::kVarnelWindowClass);
    Demo demo = StartDemo(demoPath);

    Program echo = Program::Start(benchPath, L" echo");
    PingPong pingPong;
    pingPong.self = CreateMessageWindow(L"VarnelBenchSelf", ::DefWindowProcW);
    const ULONGLONG deadline = ::GetTickCount64() + 30000;
    while (!(pingPong.echo = ::FindWindowExW(HWND_MESSAGE, nullptr, kEchoClass, nullptr))) {
        if (::GetTickCount64() > deadline) throw ProgramError(L"The echo process did not come up");
        ::Sleep(10);
    }

    const std::wstring answer = SettledAnswer(demo);
    if (answer.find(L"<?xml") != 0) throw ProgramError(L"The memo does not hold an XML answer");
    const LRESULT answerLength = static_cast<LRESULT>(answer.size());

    constexpr int kWarmUps = 5, kRepetitions = 201;
    const Comparison c = CompareWithFloor(
        [&] {
            const double time = ClickUntilAnswer(demo, answerLength);
            // Let the notices of this click die down (one per top-level window of the
            // demo), then make sure the answer was the whole one.
            ::Sleep(20);
            if (WindowText(demo.memo1) != answer) throw ProgramError(L"The memo holds another text than the answer");
            return time;
        },
        [&] { return pingPong.Once(); }, kWarmUps, kRepetitions);

    char name[160];
    std::snprintf(name, sizeof name, "Round trip: Button1 click to the answer in Memo1 (%zu characters)",
                  answer.size());
    PrintFigure(name, "ping-pong of one registered message", c, kRepetitions, 3.0, 5000);

    echo.Stop();
    demo.program.Stop();
    server.Stop();
}

}  // namespace bench
