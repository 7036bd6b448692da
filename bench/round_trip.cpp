#include "round_trip.h"

#include "demo_process.h"
#include "notice_listener.h"
#include "process_resources.h"
#include "processes.h"
#include "program_error.h"
#include "protocol.h"
#include "timing.h"
#include "varnel_library.h"

#include <cstdio>
#include <vector>

namespace bench {

namespace {

constexpr const wchar_t* kDemoClass = L"TfrmMain";
constexpr const wchar_t* kEchoClass = L"VarnelBenchEcho";
constexpr const wchar_t* kPingName = L"WM_TO_VARNEL_BENCH_PING_EVENT";
constexpr const wchar_t* kBroadcastPingName = L"WM_TO_VARNEL_BENCH_BROADCAST_PING_EVENT";
constexpr const wchar_t* kBroadcastPongName = L"WM_TO_VARNEL_BENCH_BROADCAST_PONG_EVENT";
constexpr DWORD kAnswerTimeoutMs = 10000;

HWND CreateMessageWindow(const wchar_t* windowClass, WNDPROC procedure) {
    WNDCLASSW c{};
    c.lpfnWndProc = procedure;
    c.hInstance = ::GetModuleHandleW(nullptr);
    c.lpszClassName = windowClass;
    ::RegisterClassW(&c);
    HWND window = ::CreateWindowExW(0, windowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, c.hInstance, nullptr);
    if (!window) throw CustomPipes::ProgramError(L"A message window could not be created");
    return window;
}

// The top-level windows of the session, or of one thread: each broadcast is posted to
// every one of them.
int TopLevelWindowCount(DWORD threadId = 0) {
    int count = 0;
    const auto counter = [](HWND, LPARAM counted) -> BOOL {
        ++*reinterpret_cast<int*>(counted);
        return TRUE;
    };
    if (threadId) {
        ::EnumThreadWindows(threadId, counter, reinterpret_cast<LPARAM>(&count));
    } else {
        ::EnumWindows(counter, reinterpret_cast<LPARAM>(&count));
    }
    return count;
}

// The demo with its send button and its memo, found from outside by control identifier.
struct Demo {
    ChildProcess program;
    HWND window = nullptr;
    HWND button1 = nullptr;
    HWND memo1 = nullptr;
};

Demo StartDemo(const std::wstring& path) {
    Demo demo{StartProgram(path)};
    demo.window = WaitUntilIdleAndVisible(demo.program, kDemoClass);
    demo.button1 = window_driving::FindControl(demo.window, ControlId::Button1);
    demo.memo1 = window_driving::FindControl(demo.window, ControlId::Memo1);
    if (!demo.button1 || !demo.memo1) throw CustomPipes::ProgramError(L"Button1 or Memo1 was not found in the demo");
    return demo;
}

// The moments of one click, in microseconds from posting it; -1 for a notice that was
// not heard. The request and data-ready notices are broadcasts, so a top-level window of
// the bench hears them too; on a thread of its own it stamps each when it comes.
struct ClickTimes {
    double requestSeen = -1;
    double answerPublished = -1;
    double memoFilled = -1;
};

// One click: empties the memo, posts the click, and asks the memo for its length until
// it is that of the answer.
ClickTimes ClickUntilAnswer(const Demo& demo, LRESULT answerLength, NoticeListener& listener) {
    ::SendMessageW(demo.memo1, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    listener.Clear();

    ClickTimes times;
    const long long start = Now();
    ::PostMessageW(demo.button1, BM_CLICK, 0, 0);
    while (::SendMessageW(demo.memo1, WM_GETTEXTLENGTH, 0, 0) != answerLength) {
        if (MicrosecondsSince(start) > kAnswerTimeoutMs * 1000.0) throw CustomPipes::ProgramError(L"No answer reached the memo");
        // Two cores serve the bench, the demo, the server and the wineserver: leave
        // the processor to them between polls.
        ::SwitchToThread();
    }
    times.memoFilled = MicrosecondsSince(start);
    const auto since = [&](long long at) { return at ? static_cast<double>(at - start) / TicksPerMicrosecond() : -1; };
    times.requestSeen = since(listener.FirstArrival(RequestMessage()));
    times.answerPublished = since(listener.FirstArrival(DataReadyMessage()));
    return times;
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
        std::wstring now = window_driving::TextOf(demo.memo1);
        if (!now.empty() && now == last) return now;
        last = std::move(now);
        if (::GetTickCount64() > deadline) throw CustomPipes::ProgramError(L"The demo's memo did not settle on an answer");
    }
}

// One registered message posted to the echo process and back: the ping-pong without
// the broadcasts the contract makes, shown beside the floor.
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
        throw CustomPipes::ProgramError(L"The echo did not answer");
    }
};

// The floor: what the contract makes of a round trip without any work in it. A
// registered message posted to all top-level windows, heard by a top-level window of
// the echo process, which answers with a broadcast of its own; timed until a top-level
// window of the bench hears the answer. Both broadcasts reach every top-level window
// of the session, the demo's and the server's among them, as the two notices do.
class BroadcastPingPong {
public:
    double Once() {
        pongs_.Clear();
        const long long start = Now();
        ::PostMessageW(HWND_BROADCAST, ping_, 0, 0);
        if (pongs_.WaitFor(1, kAnswerTimeoutMs) < 1) throw CustomPipes::ProgramError(L"The echo did not answer the broadcast");
        return static_cast<double>(pongs_.FirstArrival(pong_) - start) / TicksPerMicrosecond();
    }

private:
    UINT ping_ = ::RegisterWindowMessageW(kBroadcastPingName);
    UINT pong_ = ::RegisterWindowMessageW(kBroadcastPongName);
    NoticeListener pongs_{{pong_}};
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
    const UINT pong = ::RegisterWindowMessageW(kBroadcastPongName);
    // Heard by a top-level window, answered to all of them; made before the window by
    // which the bench finds the echo, so that it is there when the bench starts.
    const NoticeListener pings({::RegisterWindowMessageW(kBroadcastPingName)}, NoticeListener::Thread::Caller,
                               [pong](const NoticeListener::Notice&) { ::PostMessageW(HWND_BROADCAST, pong, 0, 0); });
    CreateMessageWindow(kEchoClass, EchoProc);
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) ::DispatchMessageW(&message);
    return 0;
}

void RunRoundTripFigure(const std::wstring& demoPath, const std::wstring& serverPath, const std::wstring& benchPath,
                        bool withParts, const std::wstring& libraryPath) {
    // The server first, so that every click finds it running and answering at once.
    ChildProcess server = StartProgram(serverPath);
    const HWND serverWindow = WaitUntilIdleAndVisible(server, CustomPipes::kVarnelWindowClass);
    Demo demo = StartDemo(demoPath);

    ChildProcess echo = StartProgram(benchPath, L" echo");
    PingPong pingPong;
    pingPong.self = CreateMessageWindow(L"VarnelBenchSelf", ::DefWindowProcW);
    const ULONGLONG deadline = ::GetTickCount64() + 30000;
    while (!(pingPong.echo = ::FindWindowExW(HWND_MESSAGE, nullptr, kEchoClass, nullptr))) {
        if (::GetTickCount64() > deadline) throw CustomPipes::ProgramError(L"The echo process did not come up");
        ::Sleep(10);
    }
    BroadcastPingPong broadcastPingPong;

    const std::wstring answer = SettledAnswer(demo);
    if (answer.find(L"<?xml") != 0) throw CustomPipes::ProgramError(L"The memo does not hold an XML answer");
    const LRESULT answerLength = static_cast<LRESULT>(answer.size());

    NoticeListener listener({RequestMessage(), DataReadyMessage()}, NoticeListener::Thread::Own);

    constexpr int kWarmUps = 5, kRepetitions = 201;
    std::vector<ClickTimes> clicks;
    std::vector<double> directTimes;
    const Comparison c = CompareWithFloor(
        [&] {
            const ClickTimes times = ClickUntilAnswer(demo, answerLength, listener);
            // Each click is timed from rest, as a person's would be: the server finishes
            // logging, and the demo handles the other copies of the data-ready notice
            // (one per top-level window of its thread). A sent message returns only
            // when the receiving thread has finished what it was doing.
            ::SendMessageW(serverWindow, WM_NULL, 0, 0);
            ::Sleep(20);
            ::SendMessageW(demo.window, WM_NULL, 0, 0);
            ::SendMessageW(serverWindow, WM_NULL, 0, 0);
            if (window_driving::TextOf(demo.memo1) != answer) {
                throw CustomPipes::ProgramError(L"The memo holds another text than the answer");
            }
            clicks.push_back(times);
            return times.memoFilled;
        },
        [&] {
            directTimes.push_back(pingPong.Once());
            return broadcastPingPong.Once();
        },
        kWarmUps, kRepetitions);
    directTimes.erase(directTimes.begin(), directTimes.begin() + kWarmUps);

    char name[160], floorName[160];
    std::snprintf(name, sizeof name, "Round trip: Button1 click to the answer in Memo1 (%zu characters)",
                  answer.size());
    std::snprintf(floorName, sizeof floorName, "broadcast and broadcast back (%d top-level windows)",
                  TopLevelWindowCount());
    PrintFigure(name, floorName, c, kRepetitions, 2.0);
    PrintFigure("- beside it: the round trip against a direct ping-pong, no broadcast",
                "one registered message posted there and back", {c.median, Median(directTimes)}, kRepetitions, 0);
    if (withParts) {
        // The parts of the timed clicks in which the bench saw both notices.
        std::vector<double> toRequest, toAnswer, toMemo;
        for (size_t i = kWarmUps; i < clicks.size(); ++i) {
            const ClickTimes& t = clicks[i];
            if (t.requestSeen < 0 || t.answerPublished < t.requestSeen || t.memoFilled < t.answerPublished) continue;
            toRequest.push_back(t.requestSeen);
            toAnswer.push_back(t.answerPublished - t.requestSeen);
            toMemo.push_back(t.memoFilled - t.answerPublished);
        }
        const auto part = [&](const char* partName, const std::vector<double>& samples) {
            PrintFigure(partName, "broadcast and broadcast back", {Median(samples), c.floorMedian},
                        static_cast<int>(samples.size()), 0);
        };
        part("- of which: click to the request notice (demo)", toRequest);
        part("- of which: request notice to the data-ready notice (sample server)", toAnswer);
        part("- of which: data-ready notice to the answer in Memo1 (demo)", toMemo);
    }

    // The memo's own share: the answer's text set into Memo1 from outside, against
    // emptying it, alternately, as each click empties and fills it.
    constexpr int kMemoRepetitions = 51;
    const auto setText = [&](const wchar_t* text) {
        return Timed([&demo, text] { ::SendMessageW(demo.memo1, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)); });
    };
    const Comparison memo = CompareWithFloor(setText(answer.c_str()), setText(L""), 3, kMemoRepetitions);
    std::snprintf(name, sizeof name,
                  "- - of that: WM_SETTEXT of the answer to Memo1, sent from the bench (done once per top-level window "
                  "of the demo's thread: %d)",
                  TopLevelWindowCount(demo.program.ThreadId()));
    PrintFigure(name, "WM_SETTEXT of an empty text", memo, kMemoRepetitions, 0);

    if (!libraryPath.empty()) {
        // The search of Button1 (the window's default) through the library, from the
        // bench's thread, which has no message loop of its own; the library's thread,
        // window and block are made by the warm-ups.
        const VarnelLibrary library(libraryPath);
        LibrarySearch search(library);
        const Comparison q = CompareWithFloor(
            [&] {
                const long long start = Now();
                const int result = search.Run(kAnswerTimeoutMs);
                const double time = MicrosecondsSince(start);
                if (result != 0) throw CustomPipes::ProgramError(L"varnel.dll gave " + std::to_wstring(result) + L": " + search.Error());
                // From rest, as each click: the server finishes logging.
                ::SendMessageW(serverWindow, WM_NULL, 0, 0);
                ::Sleep(20);
                ::SendMessageW(serverWindow, WM_NULL, 0, 0);
                return time;
            },
            [&] { return broadcastPingPong.Once(); }, kWarmUps, kRepetitions);
        if (search.Answer().size() != answer.size()) {
            throw CustomPipes::ProgramError(L"varnel.dll's answer is not the memo's: " + std::to_wstring(search.Answer().size()) +
                               L" characters against " + std::to_wstring(answer.size()));
        }
        std::snprintf(name, sizeof name,
                      "Warm query through varnel.dll: varnel_search_run of Button1's search to its answer (%zu "
                      "characters), beside the round trip above",
                      search.Answer().size());
        PrintFigure(name, "broadcast and broadcast back", q, kRepetitions, 0);

        // What most hosts do: a new search for each run, freed after it. With no other
        // search open, each run makes the library's thread, window and block, and the
        // free ends them.
        search.Free();
        const Comparison fresh = CompareWithFloor(
            [&] {
                const long long start = Now();
                LibrarySearch one(library);
                const int result = one.Run(kAnswerTimeoutMs);
                one.Free();
                const double time = MicrosecondsSince(start);
                if (result != 0) throw CustomPipes::ProgramError(L"varnel.dll gave " + std::to_wstring(result));
                ::SendMessageW(serverWindow, WM_NULL, 0, 0);
                ::Sleep(20);
                ::SendMessageW(serverWindow, WM_NULL, 0, 0);
                return time;
            },
            [&] { return broadcastPingPong.Once(); }, kWarmUps, kRepetitions);
        PrintFigure("- the same with a new search for each run: varnel_search_new, varnel_search_run, varnel_search_free",
                    "broadcast and broadcast back", fresh, kRepetitions, 0);

        // A host that runs for hours: what 300 runs of a kept search leave behind.
        {
            constexpr int kLongRuns = 300;
            LibrarySearch kept(library);
            if (kept.Run(kAnswerTimeoutMs) != 0) throw CustomPipes::ProgramError(L"varnel.dll gave " + kept.Error());
            const size_t handlesBefore = OpenHandleCount(), bytesBefore = CommittedPrivateBytes();
            for (int run = 0; run < kLongRuns; ++run) {
                if (const int result = kept.Run(kAnswerTimeoutMs); result != 0) {
                    throw CustomPipes::ProgramError(L"varnel.dll gave " + std::to_wstring(result) + L" in run " + std::to_wstring(run));
                }
            }
            std::printf("%d runs of one search in one process: %zu handles before, %zu after; %zu KiB of private memory "
                        "committed before, %zu KiB after\n",
                        kLongRuns, handlesBefore, OpenHandleCount(), bytesBefore / 1024, CommittedPrivateBytes() / 1024);
        }
    }

    echo.Stop();
    demo.program.Stop();
    server.Stop();
}

}  // namespace bench
