// varnel.dll as programs in other languages use it, against the real sample server:
// loaded with LoadLibraryW, called through GetProcAddress, answers compared with
// varnel-query's for the same options. The same program is built for x86 and then
// talks to the 64-bit sample server and varnel-query.
#include "server_fixtures.h"
#include "registry_fixture.h"
#include "sample_server_driver.h"
#include "scratch_folder.h"
#include "tool_process.h"
#include "varnel_library.h"

#include <gtest/gtest.h>

#include <tlhelp32.h>

#include <chrono>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

using namespace sample_server_driver;
using Clock = std::chrono::steady_clock;

namespace {

std::wstring LibraryPath() { return WindowsPath(VARNEL_DLL); }

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// varnel-query run with arguments: its exit code and what it printed (standard output
// and standard error together), in UTF-8.
ProcessOutput VarnelQuery(const std::wstring& arguments) {
    return RunAndCapture(L"\"" + WindowsPath(VARNEL_QUERY_EXE) + L"\" " + arguments);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The library's CR LF lines in UTF-8, to set beside varnel-query's "\n" lines.
std::vector<std::string> Lines(const std::wstring& text) {
    std::vector<std::string> lines;
    for (const std::wstring_view line : CustomPipes::wire::SplitLines(text)) lines.push_back(CustomPipes::wire::ToUtf8(line));
    return lines;
}

// A search given as varnel-query's options and as the library's.
struct Search {
    std::wstring arguments;                                   // varnel-query's
    std::vector<std::pair<const wchar_t*, std::wstring>> set;  // the library's
    std::string by;                                           // the search the answer says was made
};

const Search kByName{L"--by name --name районный", {{L"by", L"name"}, {L"name", L"районный"}}, "name"};
const Search kByCode{L"--by code --code 01016433305000", {{L"by", L"code"}, {L"code", L"01016433305000"}}, "code"};
const Search kByAddress{L"--city Владимирогорск --defendant", {{L"city", L"Владимирогорск"}, {L"defendant", L"1"}},
                        "address"};

int SetAll(LibrarySearch& search, const Search& options) {
    for (const auto& [option, value] : options.set) {
        if (const int result = search.Set(option, value); result != 0) return result;
    }
    return 0;
}

// The thread ids of this process now.
std::set<DWORD> ThreadsOfThisProcess() {
    std::set<DWORD> threads;
    const CustomPipes::UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Thread32First(snapshot.get(), &entry); more; more = ::Thread32Next(snapshot.get(), &entry)) {
        if (entry.th32OwnerProcessID == ::GetCurrentProcessId()) threads.insert(entry.th32ThreadID);
    }
    return threads;
}

BOOL CALLBACK AddIfOfThisProcess(HWND window, LPARAM windows) {
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    if (process == ::GetCurrentProcessId()) reinterpret_cast<std::set<HWND>*>(windows)->insert(window);
    return TRUE;
}

// The top-level windows of this process now, shown or not.
std::set<HWND> WindowsOfThisProcess() {
    std::set<HWND> windows;
    ::EnumWindows(AddIfOfThisProcess, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

template <typename T>
std::vector<T> Added(const std::set<T>& before, const std::set<T>& after) {
    std::vector<T> added;
    for (const T& item : after) {
        if (!before.contains(item)) added.push_back(item);
    }
    return added;
}

using VarnelDll = SampleServerRegistered;

}  // namespace

TEST_F(VarnelDll, EachSearchAnswersLineForLineAsVarnelQueryPrintsIt) {
    RunningServer server = RunningServer::Start();
    VarnelLibrary library(LibraryPath());
    for (const Search& options : {kByName, kByCode, kByAddress}) {
        SCOPED_TRACE(CustomPipes::wire::ToUtf8(options.arguments));
        LibrarySearch search(library);
        ASSERT_EQ(SetAll(search, options), 0) << CustomPipes::wire::ToUtf8(search.Error());
        ASSERT_EQ(search.Run(10000), 0) << CustomPipes::wire::ToUtf8(search.Error());
        EXPECT_EQ(search.Error(), L"");
        const ProcessOutput printed = VarnelQuery(options.arguments);
        ASSERT_EQ(printed.exitCode, 0u) << printed.output;
        EXPECT_EQ(Lines(search.Answer()), Lines(printed.output));
        EXPECT_NE(printed.output.find("<by>" + options.by + "</by>"), std::string::npos) << printed.output;
        // The request the library reports is the document it sent, readable.
        EXPECT_NE(search.Request().find(L"<?xml"), std::wstring::npos) << CustomPipes::wire::ToUtf8(search.Request());
        EXPECT_NE(search.Request().find(options.set.back().second), std::wstring::npos) << CustomPipes::wire::ToUtf8(search.Request());
    }
}

// The request a run reports, given back whole as a prepared request, is sent as it is:
// the same request, the same answer. One with a DOCTYPE is refused as a server refuses it.
TEST_F(VarnelDll, APreparedRequestIsSentAsItIs) {
    RunningServer server = RunningServer::Start();
    VarnelLibrary library(LibraryPath());
    LibrarySearch built(library), prepared(library), withDoctype(library);
    ASSERT_EQ(SetAll(built, kByCode), 0);
    ASSERT_EQ(built.Run(10000), 0) << CustomPipes::wire::ToUtf8(built.Error());
    ASSERT_EQ(prepared.Set(L"request", built.Request()), 0) << CustomPipes::wire::ToUtf8(prepared.Error());
    ASSERT_EQ(prepared.Run(10000), 0) << CustomPipes::wire::ToUtf8(prepared.Error());
    EXPECT_EQ(prepared.Request(), built.Request());
    EXPECT_EQ(prepared.Answer(), built.Answer());

    std::wstring document = built.Request();
    document.insert(document.find(L"<ParamsForVarnel"), L"<!DOCTYPE ParamsForVarnel>\r\n");
    ASSERT_EQ(withDoctype.Set(L"request", document), 0);
    EXPECT_EQ(withDoctype.Run(10000), 2);
    EXPECT_NE(withDoctype.Error().find(L"DOCTYPE"), std::wstring::npos) << CustomPipes::wire::ToUtf8(withDoctype.Error());
    EXPECT_NE(withDoctype.Error().find(L"Line: 2"), std::wstring::npos) << CustomPipes::wire::ToUtf8(withDoctype.Error());
}

TEST_F(VarnelDll, RefusalsAreTwoWithVarnelQuerysReasonAndNothingIsSent) {
    RunningServer server = RunningServer::Start();
    VarnelLibrary library(LibraryPath());
    NoticeListener requests({RequestMessage()});
    LibrarySearch search(library);

    ASSERT_EQ(SetAll(search, {L"", {{L"by", L"name"}, {L"name", L"Иванов & сыновья"}}, ""}), 0);
    EXPECT_EQ(search.Run(10000), 2);
    const ProcessOutput printed = VarnelQuery(L"--by name --name \"Иванов & сыновья\"");
    EXPECT_EQ(printed.exitCode, 2u);
    EXPECT_NE(search.Error().find(L"not well-formed (invalid token)"), std::wstring::npos) << CustomPipes::wire::ToUtf8(search.Error());
    EXPECT_NE(search.Error().find(L"Line: 28"), std::wstring::npos) << CustomPipes::wire::ToUtf8(search.Error());
    EXPECT_EQ("varnel-query: " + CustomPipes::wire::ToUtf8(search.Error()) + "\n", printed.output);
    EXPECT_EQ(search.Answer(), L"");

    // A bad option leaves the search as it was and says which option.
    EXPECT_EQ(search.Set(L"by", L"street"), 2);
    EXPECT_NE(search.Error().find(L"by takes address, name, surname or code"), std::wstring::npos)
        << CustomPipes::wire::ToUtf8(search.Error());
    EXPECT_EQ(search.Set(L"colour", L"red"), 2);
    EXPECT_NE(search.Error().find(L"colour"), std::wstring::npos) << CustomPipes::wire::ToUtf8(search.Error());
    EXPECT_EQ(search.Set(L"request", L"<VarnelRequest/>"), 2);
    EXPECT_EQ(search.Set(L"name", L"районный"), 0);
    EXPECT_EQ(search.Error(), L"");
    EXPECT_EQ(search.Run(0), 2);
    // No search at all is refused as the header says, without a reason to keep.
    EXPECT_EQ(library.searchSet(nullptr, L"by", L"code"), 2);
    EXPECT_EQ(library.searchRun(nullptr, 1000), 2);
    EXPECT_EQ(std::wstring(library.searchError(nullptr)), L"");

    EXPECT_EQ(requests.CountAfter(300), 0) << "a refused request was announced";
}

TEST_F(VarnelDll, NotInstalledIsOneAndSendsNothing) {
    DeleteServerRecord();
    VarnelLibrary library(LibraryPath());
    NoticeListener requests({RequestMessage()});
    LibrarySearch search(library);
    EXPECT_EQ(search.Run(5000), 1);
    EXPECT_NE(search.Error().find(L"neither running nor installed"), std::wstring::npos) << CustomPipes::wire::ToUtf8(search.Error());
    EXPECT_EQ(library.launch(L"i", L"01016433305000"), 1);
    EXPECT_EQ(library.launch(L"x", L"01016433305000"), 2);
    EXPECT_EQ(requests.CountAfter(300), 0);
    EXPECT_FALSE(IsServerRunning());
}

TEST_F(VarnelDll, ChosenWithNobodyChoosingIsThreeAfterTheTimeout) {
    RunningServer server = RunningServer::Start();
    VarnelLibrary library(LibraryPath());
    LibrarySearch search(library);
    ASSERT_EQ(SetAll(search, kByCode), 0);
    ASSERT_EQ(search.Set(L"chosen", L"1"), 0);
    const auto start = Clock::now();
    EXPECT_EQ(search.Run(2000), 3) << CustomPipes::wire::ToUtf8(search.Error());
    const double seconds = SecondsSince(start);
    EXPECT_GE(seconds, 2.0);
    EXPECT_LT(seconds, 4.0);
    EXPECT_NE(search.Error().find(L"no answer"), std::wstring::npos) << CustomPipes::wire::ToUtf8(search.Error());
    // The request did go out and waits for a person at the server's window.
    EXPECT_TRUE(PumpUntil([&] { return OfferedMatches(server.Window()) == 1; }, 5000));
}

TEST_F(VarnelDll, LaunchStartsVarnelWithItsSwitchAndSaysWhenItCannot) {
    VarnelLibrary library(LibraryPath());
    EXPECT_EQ(library.launch(L"i", L"01016433305000"), 0);
    EXPECT_TRUE(PumpUntil([] { return ::FindWindowW(CustomPipes::kVarnelWindowClass, nullptr) != nullptr; }, 10000));
    StopEveryServer();
    // A record naming a file that is not a program: the start fails, and says so.
    const std::wstring notAProgram = PathBesideTest(L"library-launch-not-a-program.txt");
    {
        const CustomPipes::UniqueHandle file = CustomPipes::AdoptFileHandle(
            ::CreateFileW(notAProgram.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(file);
    }
    WriteServerRecord(notAProgram);
    EXPECT_EQ(library.launch(L"a", L"районный"), 4);
    ::DeleteFileW(notAProgram.c_str());
}

// Two threads of a host run searches at once while the thread that made them waits in
// join, pumping nothing: each gets its own answer.
TEST_F(VarnelDll, RunsFromOtherThreadsWhileTheMainThreadPumpsNothing) {
    RunningServer server = RunningServer::Start();
    VarnelLibrary library(LibraryPath());
    struct Outcome {
        int result = -1;
        std::wstring answer, error;
    } byName, byCode;
    const auto run = [&](const Search& options, Outcome& outcome) {
        LibrarySearch search(library);
        outcome.result = SetAll(search, options);
        if (outcome.result == 0) outcome.result = search.Run(10000);
        outcome.answer = search.Answer();
        outcome.error = search.Error();
    };
    std::thread first(run, std::cref(kByName), std::ref(byName));
    std::thread second(run, std::cref(kByCode), std::ref(byCode));
    first.join();
    second.join();
    ASSERT_EQ(byName.result, 0) << CustomPipes::wire::ToUtf8(byName.error);
    ASSERT_EQ(byCode.result, 0) << CustomPipes::wire::ToUtf8(byCode.error);
    EXPECT_NE(byName.answer.find(L"<by>name</by>"), std::wstring::npos) << CustomPipes::wire::ToUtf8(byName.answer);
    EXPECT_NE(byCode.answer.find(L"<by>code</by>"), std::wstring::npos) << CustomPipes::wire::ToUtf8(byCode.answer);
}

TEST_F(VarnelDll, AfterFreeAndFreeLibraryNoThreadAndNoWindowOfTheLibraryIsLeft) {
    RunningServer server = RunningServer::Start();
    const std::set<DWORD> threadsBefore = ThreadsOfThisProcess();
    const std::set<HWND> windowsBefore = WindowsOfThisProcess();
    // Twice: a library loaded again after its unloading must find nothing of its first
    // life (a window class left registered with the old code's address, say).
    for (int life = 1; life <= 2; ++life) {
        SCOPED_TRACE("load " + std::to_string(life));
        VarnelLibrary library(LibraryPath());
        LibrarySearch first(library), second(library);
        ASSERT_EQ(SetAll(first, kByCode), 0);
        ASSERT_EQ(first.Run(10000), 0) << CustomPipes::wire::ToUtf8(first.Error());
        // While a search lives, the library's thread and window are there to be seen.
        EXPECT_EQ(Added(threadsBefore, ThreadsOfThisProcess()).size(), 1u);
        const std::vector<HWND> added = Added(windowsBefore, WindowsOfThisProcess());
        EXPECT_GE(added.size(), 1u);
        const HMODULE module = ::GetModuleHandleW(L"varnel.dll");
        std::vector<std::wstring> classes;
        for (HWND window : added) {  // the library's own classes, not the system's ("IME" under Wine)
            wchar_t name[256];
            const int length = ::GetClassNameW(window, name, static_cast<int>(std::size(name)));
            if (reinterpret_cast<HMODULE>(::GetClassLongPtrW(window, GCLP_HMODULE)) == module) {
                classes.emplace_back(name, length);
            }
        }
        EXPECT_EQ(classes.size(), 1u);
        first.Free();
        ASSERT_EQ(second.Run(10000), 0) << CustomPipes::wire::ToUtf8(second.Error());
        second.Free();
        library.Unload();
        EXPECT_EQ(Added(threadsBefore, ThreadsOfThisProcess()).size(), 0u);
        EXPECT_EQ(Added(windowsBefore, WindowsOfThisProcess()).size(), 0u);
        EXPECT_EQ(::GetModuleHandleW(L"varnel.dll"), nullptr);
        for (const std::wstring& name : classes) {
            WNDCLASSEXW info{};
            info.cbSize = sizeof info;
            EXPECT_FALSE(::GetClassInfoExW(module, name.c_str(), &info))
                << "still registered for the unloaded library: " << CustomPipes::wire::ToUtf8(name);
        }
    }
}

// Varnel registered but not running: the library starts it and answers as soon as its
// window is there, not after the 8 seconds a start may take at most.
TEST_F(VarnelDll, ColdRunAnswersWellUnderEightSeconds) {
    ASSERT_FALSE(IsServerRunning());
    VarnelLibrary library(LibraryPath());
    LibrarySearch search(library);
    ASSERT_EQ(SetAll(search, kByCode), 0);
    const auto start = Clock::now();
    ASSERT_EQ(search.Run(10000), 0) << CustomPipes::wire::ToUtf8(search.Error());
    const double seconds = SecondsSince(start);
    EXPECT_NE(search.Answer().find(L"<by>code</by>"), std::wstring::npos);
    EXPECT_LT(seconds, 4.0);
    RecordProperty("cold_run_ms", static_cast<int>(seconds * 1000));
}

// Another program (or a Varnel whose answer did not fit) fills "Varnel2" to its last
// byte with no NUL: that answer may be cut. The library and varnel-query fail with 4
// and say so, and keep the text where it can be looked into.
TEST_F(VarnelDll, AnAnswerFillingVarnelsWholeBlockWithNoEndIsFourWithItsTextKept) {
    RunningServer server = RunningServer::Start();
    VarnelLibrary library(LibraryPath());
    NoticeListener requests({RequestMessage()}, NoticeListener::Thread::Own);
    const std::wstring whole = L"<VarnelAnswer>" + std::wstring(32768 - 14, L'x');
    const auto answerTheNextRequest = [&](int seen) {
        HeldThread held(server.Window());  // the server's own answer comes after this one, if ever
        if (requests.WaitFor(seen + 1, 10000) > seen) AnswerAsAnotherProgram(whole, requests.Notices()[seen].lParam);
    };

    LibrarySearch search(library);
    ASSERT_EQ(SetAll(search, kByCode), 0);
    std::thread run([&] { EXPECT_EQ(search.Run(10000), 4) << CustomPipes::wire::ToUtf8(search.Error()); });
    answerTheNextRequest(0);
    run.join();
    EXPECT_NE(search.Error().find(L"fills its whole answer block \"Varnel2\" (65536 bytes) with no NUL"), std::wstring::npos)
        << CustomPipes::wire::ToUtf8(search.Error());
    EXPECT_EQ(search.Answer(), whole);

    const ScratchFolder folder(L"cut answer");
    ToolProcess query(L"\"" + WindowsPath(VARNEL_QUERY_EXE) + L"\" " + kByCode.arguments + L" --output \"" +
                      (folder / L"answer.xml") + L"\"");
    answerTheNextRequest(1);
    query.Run();
    EXPECT_EQ(query.ExitCode(), 4u) << query.Err();
    EXPECT_EQ(query.Err(), "varnel-query: " + CustomPipes::wire::ToUtf8(search.Error()) + "\n");
    EXPECT_EQ(ReadWholeFile(folder / L"answer.xml"), CustomPipes::wire::ToUtf8(whole) + "\n");
}

// An elevated host does not start what the per-user record names (any program of the
// user can write it); a running Varnel is searched as before. The environment variable
// makes the library and varnel-query take this process for an elevated one.
TEST_F(VarnelDll, AnElevatedCallerDoesNotStartVarnelFromTheUserRecord) {
    struct Elevated {
        Elevated() { ::SetEnvironmentVariableW(L"VARNEL_TREAT_AS_ELEVATED", L"1"); }
        ~Elevated() { ::SetEnvironmentVariableW(L"VARNEL_TREAT_AS_ELEVATED", nullptr); }
    } elevated;
    VarnelLibrary library(LibraryPath());
    LibrarySearch search(library);
    ASSERT_EQ(SetAll(search, kByCode), 0);
    EXPECT_EQ(search.Run(10000), 4);
    EXPECT_NE(search.Error().find(L"runs elevated"), std::wstring::npos) << CustomPipes::wire::ToUtf8(search.Error());
    EXPECT_NE(search.Error().find(L"start Varnel first"), std::wstring::npos) << CustomPipes::wire::ToUtf8(search.Error());
    const ProcessOutput printed = VarnelQuery(kByCode.arguments);
    EXPECT_EQ(printed.exitCode, 4u);
    EXPECT_EQ(printed.output, "varnel-query: " + CustomPipes::wire::ToUtf8(search.Error()) + "\n");
    EXPECT_EQ(library.launch(L"i", L"01016433305000"), 4);
    EXPECT_FALSE(IsServerRunning()) << "an elevated caller started what the record names";

    RunningServer server = RunningServer::Start();
    EXPECT_EQ(search.Run(10000), 0) << CustomPipes::wire::ToUtf8(search.Error());
    EXPECT_EQ(VarnelQuery(kByCode.arguments).exitCode, 0u);
}

#ifdef VARNEL_X86_SAMPLE_SERVER_EXE
// The 64-bit varnel-query against the x86 sample server: the same answers as from the
// 64-bit one. Run only where 32-bit Wine is there (tests/library/x86.sh decides).
TEST(CrossBitness, X64VarnelQueryGetsTheSameAnswersFromTheX86SampleServer) {
    StopEveryServer();
    for (const Search& options : {kByName, kByCode}) {
        SCOPED_TRACE(CustomPipes::wire::ToUtf8(options.arguments));
        std::string answers[2];
        for (const std::string server : {VARNEL_SAMPLE_SERVER_EXE, VARNEL_X86_SAMPLE_SERVER_EXE}) {
            RunningServer running = RunningServer::StartCommandLine(L"\"" + WindowsPath(server) + L"\"");
            const ProcessOutput printed = VarnelQuery(options.arguments);
            EXPECT_EQ(printed.exitCode, 0u) << printed.output;
            answers[server == VARNEL_X86_SAMPLE_SERVER_EXE] = printed.output;
        }
        EXPECT_NE(answers[0].find("<by>" + options.by + "</by>"), std::string::npos) << answers[0];
        EXPECT_EQ(Lines(answers[1]), Lines(answers[0]));
    }
    StopEveryServer();
}
#endif
