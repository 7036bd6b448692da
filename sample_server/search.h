// What a request or a command-line switch asks the directory, and the search itself.
#pragma once

#include "directory.h"
#include "launch_switch.h"
#include "request_document.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sample_server {

enum class SearchKind { None, Address, Name, Surname, Code };

// "none", "address", "name", "surname", "code": the words the answer uses.
const wchar_t* SearchKindWord(SearchKind kind);

struct Search {
    SearchKind kind = SearchKind::None;       // the search that is made
    SearchKind requested = SearchKind::None;  // the one the request chose (differs after a fall-back)
    bool ofDefendant = false;                 // address search by a defendant's address (AddressOfObject)
    std::wstring typesearch;                  // as the request sent it
    PostalAddress address;                    // address search: the given fields
    std::wstring text;                        // name, surname or code
};

// Turns a request into a search. The first section marked <use>yes</use> in the order
// CodeOfCourts, Names, Adress decides. An address search with no address field filled
// in (the window's default request) falls back to the name in <Names>, as does a
// request that marks no section; a request with nothing to look for searches nothing.
Search ResolveSearch(const CustomPipes::RequestDocument& request);

// The search of a command-line switch: "-a:" a body's name, "-i:" a code, "-f:" a
// judge's surname.
Search SearchForSwitch(const CustomPipes::LaunchSearch& launch);

struct Match {
    const Body* body = nullptr;
    std::vector<std::wstring> judges;  // surname search: the judges whose surname matched
};

// The bodies that match, in directory order. Text comparisons ignore case (Cyrillic
// included) and treat "ё" as "е"; names, address fields and territories match by
// substring, surnames by their beginning, codes exactly (spaces ignored).
std::vector<Match> FindBodies(const Search& search, std::span<const Body> directory);

// Lower case by the system's case mapping, "ё" as "е", surrounding spaces removed.
std::wstring FoldForSearch(std::wstring_view text);

}  // namespace sample_server
