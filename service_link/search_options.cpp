#include "search_options.h"

#include "program_error.h"

#include <cstdlib>
#include <cwchar>
#include <iterator>
#include <utility>

namespace CustomPipes {

namespace {

using Search = SearchRequest;

// The text each text option fills, by its name without dashes.
std::wstring* TextField(Search& search, const std::wstring& name) {
    Search::Address& a = search.address;
    const std::pair<const wchar_t*, std::wstring*> fields[] = {
        {L"name", &search.name},  {L"code", &search.code},     {L"subject", &a.subject},       {L"district", &a.district},
        {L"city", &a.city},       {L"settlement", &a.settlement}, {L"street", &a.street}, {L"index", &a.index},
    };
    for (const auto& [option, field] : fields) {
        if (name == option) return field;
    }
    return nullptr;
}

void SearchBy(Search& search, const std::wstring& by, const std::wstring& option) {
    if (by == L"address") {
        search.by = Search::By::Address;
    } else if (by == L"name" || by == L"surname") {
        search.by = Search::By::Name;
        search.nameOf = by == L"surname" ? Search::NameOf::OfficialSurname : Search::NameOf::Body;
    } else if (by == L"code") {
        search.by = Search::By::Code;
    } else {
        throw ProgramError(option + L" takes address, name, surname or code, not \"" + by + L"\"");
    }
}

bool OneOrZero(const std::wstring& value, const std::wstring& option) {
    if (value != L"1" && value != L"0") throw ProgramError(option + L" takes 1 or 0, not \"" + value + L"\"");
    return value == L"1";
}

}  // namespace

bool IsSearchOption(const std::wstring& name) {
    Search search;
    return TextField(search, name) || name == L"by" || name == L"defendant" || name == L"chosen";
}

void SetSearchOption(Search& search, const std::wstring& name, const std::wstring& value,
                     const std::wstring& prefix) {
    if (std::wstring* field = TextField(search, name)) {
        *field = value;
    } else if (name == L"by") {
        SearchBy(search, value, prefix + name);
    } else if (name == L"defendant") {
        search.addressOf = OneOrZero(value, prefix + name) ? Search::AddressOf::Defendant : Search::AddressOf::Body;
    } else if (name == L"chosen") {
        search.answer = OneOrZero(value, prefix + name) ? Search::Answer::ChosenInVarnel : Search::Answer::Automatic;
    } else {
        throw ProgramError(L"unknown option \"" + prefix + name + L"\"");
    }
}

void CheckPreparedRequestAlone(bool prepared, bool searchOptions, const std::wstring& requestName) {
    if (prepared && searchOptions) {
        throw ProgramError(requestName + L" sends the request document as it is; it takes no search options");
    }
}

std::wstring SecondsText(double seconds) {
    wchar_t text[64] = L"";
    for (int digits = 1; digits <= 17; ++digits) {
        std::swprintf(text, std::size(text), L"%.*g", digits, seconds);
        if (std::wcstod(text, nullptr) == seconds) break;
    }
    return text;
}

}  // namespace CustomPipes
