// Searches as a user makes them on page 1, for tests that build requests.
#pragma once

#include "search_request.h"

#include <string>
#include <utility>

inline CustomPipes::SearchRequest ByName(std::wstring name, CustomPipes::SearchRequest::NameOf nameOf = {},
                                         CustomPipes::SearchRequest::Answer answer = {}) {
    CustomPipes::SearchRequest search;
    search.by = CustomPipes::SearchRequest::By::Name;
    search.nameOf = nameOf;
    search.answer = answer;
    search.name = std::move(name);
    return search;
}

inline CustomPipes::SearchRequest ByCode(std::wstring code) {
    CustomPipes::SearchRequest search;
    search.by = CustomPipes::SearchRequest::By::Code;
    search.code = std::move(code);
    return search;
}
