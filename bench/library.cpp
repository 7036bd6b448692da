#include "library.h"

#include "processes.h"
#include "program_error.h"
#include "registry_fixture.h"
#include "sample_server_driver.h"
#include "timing.h"
#include "varnel_library.h"

namespace bench {

namespace {

// Microseconds from CreateProcess of the server to its main window existing (and, with
// idle, to its waiting for input as well): what a client that must start Varnel cannot
// do without. Polled about once a millisecond.
double ServerStartToWindow(const std::wstring& serverPath, bool idle = false) {
    const long long start = Now();
    ChildProcess server = StartProgram(serverPath);
    const ULONGLONG deadline = ::GetTickCount64() + 30000;
    while (!server.WindowOfClass(CustomPipes::kVarnelWindowClass) ||
           (idle && ::WaitForInputIdle(server.Process(), 0) == WAIT_TIMEOUT)) {
        if (::GetTickCount64() > deadline || !server.IsRunning()) throw CustomPipes::ProgramError(L"The sample server's window did not come");
        ::Sleep(1);
    }
    const double time = MicrosecondsSince(start);
    server.Stop();
    return time;
}

// Microseconds of one search through the library from a fresh search (the library's
// thread, window and block are made for it) with the server not running: the library
// starts it and posts as soon as it can hear. The server is ended afterwards.
double ColdQuery(LibrarySearch& search);

double ColdQuery(const VarnelLibrary& library) {
    sample_server_driver::StopEveryServer();
    LibrarySearch search(library);
    return ColdQuery(search);
}

// The same with a search that lives on: the library's thread, window and block are made.
double ColdQuery(LibrarySearch& search) {
    sample_server_driver::StopEveryServer();
    search.Set(L"by", L"code");
    search.Set(L"code", L"01016433305000");
    const long long start = Now();
    const int result = search.Run(30000);
    const double time = MicrosecondsSince(start);
    if (result != 0) throw CustomPipes::ProgramError(L"varnel.dll's cold query gave " + std::to_wstring(result) + L": " + search.Error());
    if (search.Answer().find(L"<code>01016433305000</code>") == std::wstring::npos) {
        throw CustomPipes::ProgramError(L"varnel.dll's cold query gave another answer: " + search.Answer());
    }
    sample_server_driver::StopEveryServer();
    return time;
}

}  // namespace

void RunColdQueryFigure(const std::wstring& libraryPath, const std::wstring& serverPath) {
    // The bench's own Wine session: its record is the bench's to write.
    WriteServerRecord(serverPath);
    const VarnelLibrary library(libraryPath);
    constexpr int kWarmUps = 2, kRepetitions = 21;
    const Comparison c = CompareWithFloor([&] { return ColdQuery(library); },
                                          [&] { return ServerStartToWindow(serverPath); }, kWarmUps, kRepetitions);
    PrintFigure("Cold query through varnel.dll: varnel_search_run with the server registered, not running, to its answer",
                "the server's own start to its window existing", c, kRepetitions, 1.3);

    // Where the time goes: the library's own thread, window and block made beforehand,
    // and the server's start to the moment the library may post (its window exists and
    // it waits for input), each against the same floor.
    LibrarySearch living(library);
    const Comparison warmLibrary = CompareWithFloor([&] { return ColdQuery(living); },
                                                    [&] { return ServerStartToWindow(serverPath); }, 1, kRepetitions);
    PrintFigure("- of which, without making the library's thread, window and block: the same query from a search that lives on",
                "the server's own start to its window existing", warmLibrary, kRepetitions, 0);
    const Comparison idle = CompareWithFloor([&] { return ServerStartToWindow(serverPath, true); },
                                             [&] { return ServerStartToWindow(serverPath); }, 1, kRepetitions);
    PrintFigure("- of which: the server's start to its window existing and waiting for input, when the library posts",
                "the server's own start to its window existing", idle, kRepetitions, 0);
}

}  // namespace bench
