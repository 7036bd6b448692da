// varnel-bench: how quickly the demo reacts, each figure beside the floor of its
// operation measured in the same run. One line per figure, as a row of the table in
// bench/RESULTS.md.
#include "micro.h"
#include "program_error.h"
#include "win32.h"

#include <cstdio>
#include <exception>
#include <string>

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: varnel-bench requests | answer\n"
                 "  requests    the search request against expat alone\n"
                 "  answer      a full court answer read and decoded, against a copy and one conversion\n");
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return Usage();
    const std::wstring mode = argv[1];
    try {
        if (mode == L"requests") {
            bench::RunRequestFigures();
        } else if (mode == L"answer") {
            bench::RunAnswerFigures();
        } else {
            return Usage();
        }
        return 0;
    } catch (const ProgramError& e) {
        std::fwprintf(stderr, L"varnel-bench: %ls\n", e.Text().c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "varnel-bench: %s\n", e.what());
    }
    return 1;
}
