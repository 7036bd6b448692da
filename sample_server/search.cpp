#include "search.h"

#include "request_vocabulary.h"
#include "win32.h"

#include <algorithm>

namespace sample_server {

namespace {

std::wstring_view Trim(std::wstring_view text) {
    const auto isSpace = [](wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == 0xA0; };
    while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
    return text;
}

bool HasAddress(const PostalAddress& a) {
    return !(a.index.empty() && a.subject.empty() && a.district.empty() && a.city.empty() && a.settlement.empty() &&
             a.street.empty());
}

// Empty criteria match everything.
bool Contains(std::wstring_view haystack, const std::wstring& foldedNeedle) {
    return foldedNeedle.empty() || FoldForSearch(haystack).find(foldedNeedle) != std::wstring::npos;
}

bool ContainsAny(const Body& body, std::wstring_view own, const std::wstring& foldedNeedle) {
    if (Contains(own, foldedNeedle)) return true;
    return std::any_of(body.territory.begin(), body.territory.end(),
                       [&](const std::wstring& place) { return Contains(place, foldedNeedle); });
}

bool MatchesAddress(const Body& body, const Search& search) {
    const PostalAddress& want = search.address;
    const PostalAddress& own = body.address;
    if (!Contains(own.index, FoldForSearch(want.index)) || !Contains(own.subject, FoldForSearch(want.subject)) ||
        !Contains(own.district, FoldForSearch(want.district)) || !Contains(own.city, FoldForSearch(want.city))) {
        return false;
    }
    // A defendant may live anywhere in the territory the body serves.
    if (search.ofDefendant) {
        return ContainsAny(body, own.settlement, FoldForSearch(want.settlement)) &&
               ContainsAny(body, own.street, FoldForSearch(want.street));
    }
    return Contains(own.settlement, FoldForSearch(want.settlement)) && Contains(own.street, FoldForSearch(want.street));
}

std::wstring Surname(std::wstring_view judge) { return std::wstring(judge.substr(0, judge.find(L' '))); }

std::wstring WithoutSpaces(std::wstring_view text) {
    std::wstring out;
    for (wchar_t c : text) {
        if (c != L' ' && c != L'\t') out += c;
    }
    return out;
}

}  // namespace

const wchar_t* SearchKindWord(SearchKind kind) {
    switch (kind) {
        case SearchKind::Address: return L"address";
        case SearchKind::Name: return L"name";
        case SearchKind::Surname: return L"surname";
        case SearchKind::Code: return L"code";
        case SearchKind::None: break;
    }
    return L"none";
}

std::wstring FoldForSearch(std::wstring_view text) {
    std::wstring folded(Trim(text));
    if (!folded.empty()) ::CharLowerBuffW(folded.data(), static_cast<DWORD>(folded.size()));
    std::replace(folded.begin(), folded.end(), L'\u0451', L'\u0435');
    return folded;
}

Search ResolveSearch(const CustomPipes::RequestDocument& request) {
    Search search;
    search.typesearch = request.typesearch;
    search.ofDefendant = request.typesearch == CustomPipes::request_words::kAddressOfDefendant;
    search.address = {std::wstring(Trim(request.index)), std::wstring(Trim(request.subject)),
                      std::wstring(Trim(request.district)), std::wstring(Trim(request.city)),
                      std::wstring(Trim(request.settlement)),    std::wstring(Trim(request.street))};
    const SearchKind byName = request.typeName == CustomPipes::request_words::kOfficialSurname ? SearchKind::Surname : SearchKind::Name;

    if (request.codeUse) {
        search.requested = SearchKind::Code;
    } else if (request.namesUse) {
        search.requested = byName;
    } else if (request.addressUse) {
        search.requested = SearchKind::Address;
    }
    search.kind = search.requested;
    if (search.kind == SearchKind::Address && !HasAddress(search.address)) search.kind = SearchKind::None;
    if (search.kind == SearchKind::None && !Trim(request.name).empty()) search.kind = byName;

    if (search.kind == SearchKind::Code) search.text = std::wstring(Trim(request.code));
    if (search.kind == SearchKind::Name || search.kind == SearchKind::Surname) search.text = std::wstring(Trim(request.name));
    if (search.kind != SearchKind::Address) search.address = {};
    return search;
}

Search SearchForSwitch(const CustomPipes::LaunchSearch& launch) {
    Search search;
    switch (launch.which) {
        case CustomPipes::LaunchSwitch::Name: search.kind = SearchKind::Name; break;
        case CustomPipes::LaunchSwitch::Code: search.kind = SearchKind::Code; break;
        case CustomPipes::LaunchSwitch::Surname: search.kind = SearchKind::Surname; break;
    }
    search.requested = search.kind;
    search.text = std::wstring(Trim(launch.value));
    return search;
}

std::vector<Match> FindBodies(const Search& search, std::span<const Body> directory) {
    std::vector<Match> matches;
    const std::wstring needle = FoldForSearch(search.text);
    for (const Body& body : directory) {
        switch (search.kind) {
            case SearchKind::Address:
                if (MatchesAddress(body, search)) matches.push_back({&body, {}});
                break;
            case SearchKind::Name:
                if (!needle.empty() && Contains(body.name, needle)) matches.push_back({&body, {}});
                break;
            case SearchKind::Surname: {
                Match match{&body, {}};
                for (const std::wstring& judge : body.judges) {
                    if (!needle.empty() && FoldForSearch(Surname(judge)).starts_with(needle)) match.judges.push_back(judge);
                }
                if (!match.judges.empty()) matches.push_back(std::move(match));
                break;
            }
            case SearchKind::Code:
                if (!needle.empty() && body.code == WithoutSpaces(search.text)) matches.push_back({&body, {}});
                break;
            case SearchKind::None: break;
        }
    }
    return matches;
}

}  // namespace sample_server
