// varnel.dll inside host processes as they really are: several threads, plug-ins that
// load it, STA threads with COM objects, hosts that unload it or end threads, and a
// Varnel that goes away. Everything through LoadLibraryW and GetProcAddress, against the
// real sample server. What can crash or hang the process runs in a child process (a
// DISABLED_ helper test of this program) or under a watchdog.
#include "server_fixtures.h"
#include "process_resources.h"
#include "registry_fixture.h"
#include "sample_server_driver.h"
#include "tool_process.h"
#include "varnel_library.h"

#include <gtest/gtest.h>

#include <objbase.h>
#include <oleauto.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <thread>

using namespace sample_server_driver;
using Clock = std::chrono::steady_clock;

namespace {

constexpr const wchar_t* kCodeA = L"01016433305000";
constexpr const wchar_t* kCodeB = L"01016433307000";

std::wstring LibraryPath() { return WindowsPath(VARNEL_DLL); }
std::string Utf8(const std::wstring& text) { return CustomPipes::wire::ToUtf8(text); }
long long MsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(to - from).count();
}

// Runs step on a thread of its own and waits up to limitMs for it. A step that hangs
// fails the test and ends this process, so that CTest reports it instead of waiting.
template <typename Step>
void Within(DWORD limitMs, const std::string& what, Step&& step) {
    std::atomic<bool> done{false};
    std::thread worker([&] {
        step();
        done = true;
    });
    if (!PumpUntil([&] { return done.load(); }, limitMs)) {
        ADD_FAILURE() << what << " did not return within " << limitMs << " ms: the process is ended";
        std::fflush(stdout);
        ::TerminateProcess(::GetCurrentProcess(), 1);
    }
    worker.join();
}

void ByCode(LibrarySearch& search, const wchar_t* code, bool chosen = false) {
    ASSERT_EQ(search.Set(L"by", L"code"), 0);
    ASSERT_EQ(search.Set(L"code", code), 0);
    ASSERT_EQ(search.Set(L"chosen", chosen ? L"1" : L"0"), 0);
}

bool Names(const std::wstring& answer, const wchar_t* code) {
    return answer.find(L"<code>" + std::wstring(code) + L"</code>") != std::wstring::npos;
}

struct Outcome {
    int code = -1;
    Clock::time_point started, ended;
    std::wstring answer, error;
    long long Ms() const { return MsBetween(started, ended); }
};

Outcome Timed(LibrarySearch& search, unsigned timeoutMs) {
    const auto started = Clock::now();
    const int code = search.Run(timeoutMs);
    return {code, started, Clock::now(), search.Answer(), search.Error()};
}

// A run on a thread of its own, as a host's worker runs it.
class BackgroundRun {
public:
    BackgroundRun(LibrarySearch& search, unsigned timeoutMs)
        : thread_([this, &search, timeoutMs] { outcome_ = Timed(search, timeoutMs); }) {}
    ~BackgroundRun() { if (thread_.joinable()) Finish(60000); }
    Outcome Finish(DWORD limitMs) {
        Within(limitMs, "varnel_search_run", [&] { thread_.join(); });
        return outcome_;
    }

private:
    Outcome outcome_;
    std::thread thread_;
};

std::wstring FakeAnswer(const wchar_t* code) {
    return L"<VarnelAnswer><code>" + std::wstring(code) + L"</code></VarnelAnswer>";
}

// Runs the helper test HostHelper.DISABLED_name in a process of its own, where a crash
// or a hang ends only that process, and expects it to pass within limitMs.
void ExpectHelperPasses(const std::string& name, DWORD limitMs) {
    ToolProcess helper(L"\"" + OwnPath() + L"\" --gtest_color=no --gtest_also_run_disabled_tests" +
                       L" --gtest_filter=HostHelper.DISABLED_" + CustomPipes::wire::DecodeUtf8(name));
    const bool ended = helper.WaitForExit(limitMs);
    std::cout << helper.Out() << helper.Err();
    EXPECT_TRUE(ended) << name << " still ran after " << limitMs << " ms";
    if (ended) {
        EXPECT_EQ(helper.ExitCode(), 0u) << name << " ended with 0x" << std::hex << helper.ExitCode();
    }
}

HMODULE LoadedVarnel() { return ::GetModuleHandleW(L"varnel.dll"); }

using HostBehaviour = SampleServerRegistered;

}  // namespace

// The library's window outlives a run: an answer that comes after its run gave up must
// not be read as the answer of the next run of the same process.
TEST_F(HostBehaviour, ALateAnswerIsNotTakenByTheNextSearch) {
    RunningServer server = RunningServer::Start();
    VarnelLibrary library(LibraryPath());
    NoticeListener requests({RequestMessage()}, NoticeListener::Thread::Own);
    LibrarySearch a(library), b(library);
    ByCode(a, kCodeA, true);
    ASSERT_EQ(a.Run(1000), 3) << Utf8(a.Error());
    ASSERT_EQ(requests.WaitFor(1, 5000), 1);
    const LPARAM aWindow = requests.Notices()[0].lParam;

    HeldThread held(server.Window());
    ByCode(b, kCodeB);
    BackgroundRun run(b, 10000);
    ASSERT_EQ(requests.WaitFor(2, 5000), 2) << "B announced no request";
    AnswerAsAnotherProgram(FakeAnswer(kCodeA) + L'\0', aWindow);
    held.Resume();
    const Outcome outcome = run.Finish(15000);
    EXPECT_EQ(outcome.code, 0) << Utf8(outcome.error);
    EXPECT_TRUE(Names(outcome.answer, kCodeB) && !Names(outcome.answer, kCodeA)) << "B's answer: " << Utf8(outcome.answer);
}

// A posted broadcast reaches every top-level window of a thread, each copy by itself:
// the copy to another window of the library's thread is not a notice to the library.
TEST_F(HostBehaviour, ACopyOfANoticeToAnotherWindowOfTheLibrarysThreadIsNotAnAnswer) {
    RunningServer server = RunningServer::Start();
    VarnelLibrary library(LibraryPath());
    NoticeListener requests({RequestMessage()}, NoticeListener::Thread::Own);
    LibrarySearch b(library);
    ByCode(b, kCodeB);
    HeldThread held(server.Window());
    BackgroundRun run(b, 10000);
    ASSERT_EQ(requests.WaitFor(1, 5000), 1) << "B announced no request";
    const HWND own = ExchangeClientWindow(ClientProcess::This);
    ASSERT_TRUE(own);
    HWND windows[2] = {own, nullptr};  // the library's, and another of its thread (Wine's IME window, say)
    ::EnumThreadWindows(
        ::GetWindowThreadProcessId(own, nullptr),
        [](HWND w, LPARAM found) -> BOOL {
            auto* pair = reinterpret_cast<HWND*>(found);
            if (w != pair[0]) pair[1] = w;
            return pair[1] == nullptr;
        },
        reinterpret_cast<LPARAM>(windows));
    const HWND other = windows[1];
    if (!other) {
        held.Resume();
        run.Finish(15000);
        GTEST_SKIP() << "the library's thread has no other top-level window";
    }
    WriteAnswerBlockAsAnotherProgram(FakeAnswer(kCodeA) + L'\0');
    ::PostMessageW(other, DataReadyMessage(), CustomPipes::kWindowRequestCode,
                   requests.Notices()[0].lParam);
    ::Sleep(300);
    held.Resume();
    const Outcome outcome = run.Finish(15000);
    EXPECT_EQ(outcome.code, 0) << Utf8(outcome.error);
    EXPECT_TRUE(Names(outcome.answer, kCodeB) && !Names(outcome.answer, kCodeA)) << "B's answer: " << Utf8(outcome.answer);
}

// A host may FreeLibrary with a search still open: the search's free must not run in
// unloaded code, and a search that never ran must keep the library loaded too.
TEST_F(HostBehaviour, UnloadingWithASearchOpenKeepsTheLibraryUntilTheSearchIsFreed) {
    RunningServer server = RunningServer::Start();
    ExpectHelperPasses("FreesASearchAfterFreeLibrary", 20000);

    ASSERT_TRUE(PumpUntil([] { return LoadedVarnel() == nullptr; }, 2000)) << "varnel.dll is loaded before the test";
    VarnelLibrary library(LibraryPath());
    VarnelSearch* search = library.searchNew();  // never run
    library.Unload();
    // Past this point only the kept pointers reach the library: not once it is gone.
    ASSERT_NE(LoadedVarnel(), nullptr) << "FreeLibrary unloaded varnel.dll while a search of it was open";
    library.searchSet(search, L"by", L"code");
    library.searchSet(search, L"code", kCodeA);
    EXPECT_EQ(library.searchRun(search, 5000), 0) << Utf8(library.searchError(search));
    library.searchFree(search);
    EXPECT_TRUE(PumpUntil([] { return LoadedVarnel() == nullptr; }, 2000)) << "varnel.dll stayed loaded after the free";
}

// A plug-in that searches from its DllMain, or frees its last search there, must not
// hang its host: the loader lock is held, so the library's thread can neither start nor end.
TEST_F(HostBehaviour, NothingHangsUnderTheLoaderLock) {
    RunningServer server = RunningServer::Start();
    ExpectHelperPasses("LoadsAPluginThatSearchesInItsDllMain", 20000);
    ExpectHelperPasses("UnloadsAPluginThatFreesItsSearchInItsDllMain", 20000);
}

// A host (or a tool that closes every window) may close the library's hidden window:
// the next run must not wait its whole timeout for answers to a window that is gone.
TEST_F(HostBehaviour, ClosingTheLibrarysWindowDoesNotBreakLaterSearches) {
    RunningServer server = RunningServer::Start();
    VarnelLibrary library(LibraryPath());
    LibrarySearch search(library);
    ByCode(search, kCodeA);
    ASSERT_EQ(search.Run(5000), 0) << Utf8(search.Error());
    const HWND window = ExchangeClientWindow(ClientProcess::This);
    ASSERT_TRUE(window);
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(window, WM_CLOSE, 0, 0, SMTO_NORMAL, 5000, &result);
    Outcome outcome;
    Within(15000, "the run after WM_CLOSE", [&] { outcome = Timed(search, 5000); });
    EXPECT_EQ(outcome.code, 0) << Utf8(outcome.error);
    EXPECT_LT(outcome.Ms(), 3000);
}

// A run's timeout counts from the call: not from when another search of the process,
// another client program or a thread the host terminated gives the library back.
TEST_F(HostBehaviour, EveryTimeoutIsKept) {
    RunningServer server = RunningServer::Start();
    NoticeListener requests({RequestMessage()}, NoticeListener::Thread::Own);
    {
        SCOPED_TRACE("behind a chosen search of this process");
        VarnelLibrary library(LibraryPath());
        LibrarySearch chosen(library), quick(library);
        ByCode(chosen, kCodeA, true);
        ByCode(quick, kCodeB);
        BackgroundRun first(chosen, 4000);
        ASSERT_EQ(requests.WaitFor(1, 5000), 1);
        const Outcome second = BackgroundRun(quick, 1500).Finish(10000);
        EXPECT_EQ(second.code, 3) << Utf8(second.error);
        EXPECT_LE(second.Ms(), 1500 + 700);
        EXPECT_EQ(second.error.rfind(L"another search of this program kept the library busy", 0), 0u)
            << Utf8(second.error);
        EXPECT_EQ(first.Finish(10000).code, 3);
    }
    // varnel-query keeps the turn for all of the run, or gives it up (after its own 2
    // seconds) when the run has half a second left.
    struct Behind { const wchar_t* queryTimeout; unsigned timeoutMs; bool chosen; const wchar_t* reason; };
    for (const Behind& behind : {Behind{L"20", 2000, false, L"another client program kept Varnel busy"},
                                 Behind{L"2", 2500, true, L""}}) {
        SCOPED_TRACE("behind a chosen search of varnel-query --timeout " + Utf8(behind.queryTimeout));
        requests.Clear();
        ToolProcess query(L"\"" + WindowsPath(VARNEL_QUERY_EXE) + L"\" --by code --code " + kCodeA +
                          L" --chosen --timeout " + behind.queryTimeout);
        ASSERT_EQ(requests.WaitFor(1, 10000), 1) << "varnel-query announced no request";
        VarnelLibrary library(LibraryPath());
        LibrarySearch search(library);
        ByCode(search, kCodeB, behind.chosen);
        Outcome outcome;
        Within(15000, "the run behind varnel-query", [&] { outcome = Timed(search, behind.timeoutMs); });
        EXPECT_EQ(outcome.code, 3) << Utf8(outcome.error);
        EXPECT_LE(outcome.Ms(), behind.timeoutMs + 800);
        EXPECT_NE(outcome.error.find(behind.reason), std::wstring::npos) << Utf8(outcome.error);
    }
    ExpectHelperPasses("SearchesAfterAThreadWasTerminatedInARun", 30000);
}

// A thread's window that nobody answers hangs every program that sends to it (a
// broadcast, DDE, the shell): while a run waits, sent messages are answered, and
// posted ones wait for the thread's own loop, as in any other wait of the host.
TEST_F(HostBehaviour, TheWaitingThreadAnswersSentMessagesAndKeepsPostedOnes) {
    RunningServer server = RunningServer::Start();
    VarnelLibrary library(LibraryPath());
    struct Seen {
        std::atomic<long long> sent{-1}, posted{-1};
        Clock::time_point origin = Clock::now();
    } seen;
    std::atomic<HWND> window{nullptr};
    Clock::time_point returned;
    std::thread host([&] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = [](HWND w, UINT message, WPARAM wParam, LPARAM lParam) noexcept -> LRESULT {
            if (message == WM_NCCREATE) {
                const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
                ::SetWindowLongPtrW(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
            }
            auto* times = reinterpret_cast<Seen*>(::GetWindowLongPtrW(w, GWLP_USERDATA));
            if (!times || (message != WM_APP && message != WM_APP + 1)) return ::DefWindowProcW(w, message, wParam, lParam);
            (message == WM_APP ? times->sent : times->posted) = MsBetween(times->origin, Clock::now());
            return 1;
        };
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"VarnelHostTestWindow";
        ::RegisterClassW(&windowClass);
        const HWND own = ::CreateWindowExW(0, windowClass.lpszClassName, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                           windowClass.hInstance, &seen);
        window = own;
        LibrarySearch search(library);
        ByCode(search, kCodeA, true);
        EXPECT_EQ(search.Run(2500), 3) << Utf8(search.Error());
        returned = Clock::now();
        PumpUntil([&] { return seen.posted >= 0; }, 3000);
        ::DestroyWindow(own);
    });
    while (!window.load()) ::Sleep(1);
    ::Sleep(500);
    ::PostMessageW(window, WM_APP + 1, 0, 0);
    const auto sending = Clock::now();
    DWORD_PTR result = 0;
    const LRESULT answered = ::SendMessageTimeoutW(window, WM_APP, 0, 0, SMTO_NORMAL, 2000, &result);
    const long long sendMs = MsBetween(sending, Clock::now());
    Within(10000, "the host thread's run", [&] { host.join(); });
    EXPECT_TRUE(answered && sendMs < 1000) << "SendMessageTimeout gave " << answered << " after " << sendMs << " ms";
    EXPECT_GE(seen.posted, 0) << "the posted message was never handled";
    EXPECT_GE(seen.posted, MsBetween(seen.origin, returned)) << "the posted message was handled during the run";
}

// An STA thread that waits in a run must still serve the calls other apartments make
// to its objects, or they hang for as long as the run.
TEST_F(HostBehaviour, TheWaitingApartmentServesComCalls) {
    // The least object a call can reach: IDispatch with no type information.
    struct Probe : IDispatch {
        std::atomic<ULONG> references{1};
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
            *object = (iid == IID_IUnknown || iid == IID_IDispatch) ? this : nullptr;
            return *object ? (AddRef(), S_OK) : E_NOINTERFACE;
        }
        ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
        ULONG STDMETHODCALLTYPE Release() override { return --references; }  // lives on the test's stack
        HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return *count = 0, S_OK; }
        HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
            return E_NOTIMPL;
        }
    } probe;
    RunningServer server = RunningServer::Start();
    VarnelLibrary library(LibraryPath());
    std::atomic<IStream*> stream{nullptr};
    std::atomic<bool> unmarshalled{false}, callerDone{false};
    HRESULT callResult = E_FAIL;
    long long callMs = -1;
    std::thread apartment([&] {
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        IStream* marshalled = nullptr;
        EXPECT_EQ(::CoMarshalInterThreadInterfaceInStream(IID_IDispatch, &probe, &marshalled), S_OK);
        stream = marshalled;
        PumpUntil([&] { return unmarshalled.load(); }, 5000);
        LibrarySearch search(library);
        ByCode(search, kCodeA, true);
        EXPECT_EQ(search.Run(2500), 3) << Utf8(search.Error());
        PumpUntil([&] { return callerDone.load(); }, 5000);
        ::CoUninitialize();
    });
    std::thread caller([&] {
        ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        while (!stream.load()) ::Sleep(1);
        IDispatch* proxy = nullptr;
        EXPECT_EQ(::CoGetInterfaceAndReleaseStream(stream, IID_IDispatch, reinterpret_cast<void**>(&proxy)), S_OK);
        unmarshalled = true;
        ::Sleep(500);
        const auto calling = Clock::now();
        UINT count = 1;
        if (proxy) callResult = proxy->GetTypeInfoCount(&count);
        callMs = MsBetween(calling, Clock::now());
        if (proxy) proxy->Release();
        callerDone = true;
        ::CoUninitialize();
    });
    Within(15000, "the STA thread's run and the call", [&] {
        caller.join();
        apartment.join();
    });
    EXPECT_EQ(callResult, S_OK);
    EXPECT_LT(callMs, 1000) << "the call to the waiting apartment took " << callMs << " ms";
}

// Varnel can crash or be ended while a client waits: the run says so at once.
TEST_F(HostBehaviour, VarnelEndingDuringARunEndsTheRun) {
    RunningServer server = RunningServer::Start();
    VarnelLibrary library(LibraryPath());
    NoticeListener requests({RequestMessage()}, NoticeListener::Thread::Own);
    LibrarySearch search(library);
    ByCode(search, kCodeA, true);
    BackgroundRun run(search, 20000);
    ASSERT_EQ(requests.WaitFor(1, 5000), 1);
    server.Stop();
    const auto ended = Clock::now();
    const Outcome outcome = run.Finish(30000);
    EXPECT_EQ(outcome.code, 4) << Utf8(outcome.error);
    EXPECT_LE(MsBetween(ended, outcome.ended), 2000) << "the run ended " << MsBetween(ended, outcome.ended) << " ms after";
    EXPECT_NE(outcome.error.find(L"Varnel ended before it answered"), std::wstring::npos) << Utf8(outcome.error);
}

// A host that loads the library for each search (a macro, a plug-in) must not lose
// handles or memory with each load.
TEST_F(HostBehaviour, LoadingAndUnloadingLeaksNothing) {
    RunningServer server = RunningServer::Start();
    size_t handlesAt2 = 0, handlesAt60 = 0, bytesAt2 = 0, bytesAt60 = 0;
    Within(120000, "60 loads and unloads", [&] {
        for (int cycle = 1; cycle <= 60; ++cycle) {
            {
                VarnelLibrary library(LibraryPath());
                LibrarySearch search(library);
                ByCode(search, kCodeA);
                ASSERT_EQ(search.Run(5000), 0) << "cycle " << cycle << ": " << Utf8(search.Error());
            }
            if (cycle == 2) handlesAt2 = OpenHandleCount(), bytesAt2 = CommittedPrivateBytes();
        }
        handlesAt60 = OpenHandleCount();
        bytesAt60 = CommittedPrivateBytes();
    });
    RecordProperty("handles_after_2_and_60", std::to_string(handlesAt2) + " " + std::to_string(handlesAt60));
    RecordProperty("private_bytes_after_2_and_60", std::to_string(bytesAt2) + " " + std::to_string(bytesAt60));
    EXPECT_EQ(handlesAt60, handlesAt2);
    EXPECT_LE(bytesAt60, bytesAt2 + 256 * 1024);
}

// The helpers that the tests above run in a process of their own. The sample server is
// the calling test's.

TEST(HostHelper, DISABLED_FreesASearchAfterFreeLibrary) {
    VarnelLibrary library(LibraryPath());
    LibrarySearch search(library);
    ByCode(search, kCodeA);
    ASSERT_EQ(search.Run(5000), 0) << Utf8(search.Error());
    library.Unload();
    Within(5000, "varnel_search_free after FreeLibrary", [&] { search.Free(); });
}

TEST(HostHelper, DISABLED_LoadsAPluginThatSearchesInItsDllMain) {
    ::SetEnvironmentVariableW(L"VARNEL_PLUGIN_LIBRARY", LibraryPath().c_str());
    ::SetEnvironmentVariableW(L"VARNEL_PLUGIN_RUN_IN_ATTACH", L"1");
    HMODULE plugin = nullptr;
    Within(5000, "LoadLibrary of a plug-in that searches in its DllMain",
           [&] { plugin = ::LoadLibraryW(WindowsPath(VARNEL_HOST_PLUGIN).c_str()); });
    ASSERT_TRUE(plugin);
    const auto attachResult = reinterpret_cast<int (*)(unsigned*, const wchar_t**)>(
        reinterpret_cast<void*>(::GetProcAddress(plugin, "plugin_attach_result")));
    ASSERT_TRUE(attachResult);
    unsigned ms = 0;
    const wchar_t* reason = nullptr;
    const int code = attachResult(&ms, &reason);
    std::cout << "the search in DllMain: " << code << " after " << ms << " ms: " << Utf8(reason) << "\n";
    EXPECT_EQ(code, 4);
    EXPECT_LE(ms, 2000u + 1000u);
}

TEST(HostHelper, DISABLED_UnloadsAPluginThatFreesItsSearchInItsDllMain) {
    ::SetEnvironmentVariableW(L"VARNEL_PLUGIN_LIBRARY", LibraryPath().c_str());
    const HMODULE plugin = ::LoadLibraryW(WindowsPath(VARNEL_HOST_PLUGIN).c_str());
    ASSERT_TRUE(plugin);
    const auto run = reinterpret_cast<int (*)()>(reinterpret_cast<void*>(::GetProcAddress(plugin, "plugin_run")));
    ASSERT_TRUE(run);
    EXPECT_EQ(run(), 0);
    // The library gives its thread half a second to end there; it must not wait for more.
    Within(2000, "FreeLibrary of a plug-in that frees its last search in its DllMain", [&] { ::FreeLibrary(plugin); });
}

TEST(HostHelper, DISABLED_SearchesAfterAThreadWasTerminatedInARun) {
    VarnelLibrary library(LibraryPath());
    NoticeListener requests({RequestMessage()}, NoticeListener::Thread::Own);
    static VarnelLibrary* shared = &library;
    const CustomPipes::UniqueHandle thread(::CreateThread(
        nullptr, 0,
        [](void*) -> DWORD {
            VarnelSearch* search = shared->searchNew();  // never freed: its thread is terminated
            shared->searchSet(search, L"by", L"code");
            shared->searchSet(search, L"code", kCodeA);
            shared->searchSet(search, L"chosen", L"1");
            return static_cast<DWORD>(shared->searchRun(search, 30000));
        },
        nullptr, 0, nullptr));
    ASSERT_EQ(requests.WaitFor(1, 5000), 1);
    ::TerminateThread(thread.get(), 1);
    ::WaitForSingleObject(thread.get(), 5000);
    LibrarySearch search(library);
    ByCode(search, kCodeB);
    const Outcome outcome = BackgroundRun(search, 5000).Finish(5000 + 1000);
    EXPECT_EQ(outcome.code, 0) << Utf8(outcome.error);
    EXPECT_LE(outcome.Ms(), 5000);
}
