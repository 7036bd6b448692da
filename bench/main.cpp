// varnel-bench: how quickly the demo reacts, each figure beside the floor of its
// operation measured in the same run. One line per figure, as a row of the table in
// bench/RESULTS.md.
#include "library.h"
#include "micro.h"
#include "paths.h"
#include "program_error.h"
#include "round_trip.h"
#include "start_up.h"
#include "win32.h"

#include <cstdio>
#include <exception>
#include <string>

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: varnel-bench MODE [ARGUMENTS]\n"
                 "  requests                    the search request against expat alone\n"
                 "  answer                      a full court answer read and decoded, against opening, mapping, copying\n"
                 "                              and closing the block and converting the whole text plainly\n"
                 "  round-trip DEMO SERVER [--whole] [--library DLL]\n"
                 "                              Button1 to the answer in Memo1, against a broadcast answered by one;\n"
                 "                              --whole: without the parts between the two notices; --library: also\n"
                 "                              the same search through varnel.dll, warm, against the same floor\n"
                 "  cold-query DLL SERVER       varnel.dll's search with the server not running, against the server's\n"
                 "                              own start to its window existing\n"
                 "  start-up DEMO EMPTY         start to an idle visible window, against one empty window\n"
                 "  wait-idle CLASS             waits for a visible window of CLASS whose program waits for input\n"
                 "  close CLASS                 closes every window of CLASS\n"
                 "  echo                        the ping-pong peer, direct and by broadcast (started by round-trip)\n"
                 "Paths may be Unix paths.\n");
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return Usage();
    const std::wstring mode = argv[1];
    const auto argument = [&](int i) { return WindowsPath(i < argc ? argv[i] : L""); };
    try {
        if (mode == L"requests") {
            bench::RunRequestFigures();
        } else if (mode == L"answer") {
            bench::RunAnswerFigures();
        } else if (mode == L"round-trip" && argc >= 4) {
            bool whole = false;
            std::wstring library;
            for (int i = 4; i < argc; ++i) {
                if (std::wstring(argv[i]) == L"--whole") {
                    whole = true;
                } else if (std::wstring(argv[i]) == L"--library" && i + 1 < argc) {
                    library = argument(++i);
                } else {
                    return Usage();
                }
            }
            bench::RunRoundTripFigure(argument(2), argument(3), OwnPath(), !whole, library);
        } else if (mode == L"cold-query" && argc == 4) {
            bench::RunColdQueryFigure(argument(2), argument(3));
        } else if (mode == L"start-up" && argc == 4) {
            bench::RunStartUpFigure(argument(2), argument(3));
        } else if (mode == L"wait-idle" && argc == 3) {
            return bench::WaitForIdleWindow(argv[2]);
        } else if (mode == L"close" && argc == 3) {
            return bench::CloseWindows(argv[2]);
        } else if (mode == L"echo") {
            return bench::RunEcho();
        } else {
            return Usage();
        }
        return 0;
    } catch (const CustomPipes::ProgramError& e) {
        std::fwprintf(stderr, L"varnel-bench: %ls\n", e.Text().c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "varnel-bench: %s\n", e.what());
    }
    return 1;
}
