// A search of varnel.dll: its options, and the request, answer and error of its last run.
// The C interface hands it out as the opaque VarnelSearch.
#pragma once

#include "search_request.h"

#include <optional>
#include <string>

struct VarnelSearch {
    VarnelSearch();
    ~VarnelSearch();
    VarnelSearch(const VarnelSearch&) = delete;
    VarnelSearch& operator=(const VarnelSearch&) = delete;

    // One option, named as varnel-query's without the dashes. Raises CustomPipes::ProgramError, the
    // search unchanged, for an unknown option, a bad value, or a prepared request
    // together with search options.
    void Set(const std::wstring& option, const std::wstring& value);

    // Builds the request, runs the exchange on the library's thread and keeps what came
    // of it. Returns varnel-query's exit code; error says why for every code but 0.
    int Run(unsigned timeoutMs);

    // What the C interface hands out: valid until the next call on this search.
    std::wstring answer;
    std::wstring request;
    std::wstring error;

private:
    // The request in wire form, ending with its NUL.
    std::wstring BuildRequest() const;

    CustomPipes::SearchRequest search_;
    bool fieldsGiven_ = false;
    std::optional<std::wstring> prepared_;  // a request document given whole
    bool running_ = false;                  // inside Run, waiting for the exchange
};
