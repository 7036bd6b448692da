// Writes, as UTF-8 files in the folder given, the request documents the builder makes
// for a set of searches (every kind, the window's defaults, Cyrillic in every field,
// the characters a value may carry unescaped) and the sample server's answers to them
// (at once, chosen by a person, after a command-line switch, cut short for want of
// room): what schema_test.sh checks against docs/request.xsd and docs/sample-answer.xsd.
// The documents are the wire text converted to the ANSI code page: the UTF-8 document
// each declaration announces, byte for byte.
#include "answer_document.h"
#include "directory.h"
#include "program_error.h"
#include "request_handling.h"
#include "search.h"
#include "searches.h"
#include "wire_document.h"
#include "wire_text.h"

#include "handles.h"

#include <cstdio>
#include <functional>
#include <string>

namespace {

using namespace sample_server;

void Save(const std::wstring& path, std::wstring_view wireTextWithNul) {
    const std::optional<std::string> document =
        CustomPipes::wire::DocumentOfWireText(wireTextWithNul.substr(0, wireTextWithNul.size() - 1));
    if (!document) throw CustomPipes::ProgramError(path + L": not wire text");
    const CustomPipes::UniqueHandle file =
        CustomPipes::AdoptFileHandle(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    if (!file || !::WriteFile(file.get(), document->data(), static_cast<DWORD>(document->size()), &written, nullptr) ||
        written != document->size()) {
        throw CustomPipes::ProgramError(path + L" cannot be written");
    }
}

using SearchRequest = CustomPipes::SearchRequest;
using CustomPipes::LaunchSwitch;

struct Case {
    const wchar_t* name;
    SearchRequest search;
};

SearchRequest WithAddress(SearchRequest::AddressOf of, SearchRequest::Address address) {
    SearchRequest search;
    search.addressOf = of;
    search.address = std::move(address);
    return search;
}

SearchRequest Chosen(SearchRequest search) {
    search.answer = SearchRequest::Answer::ChosenInVarnel;
    return search;
}

SearchRequest NothingToLookFor() {
    SearchRequest search;
    search.name.clear();
    return search;
}

const Case kCases[] = {
    {L"defaults", SearchRequest{}},
    {L"name", ByName(L"районный")},
    {L"surname", ByName(L"Корнеев", SearchRequest::NameOf::OfficialSurname)},
    {L"code", ByCode(L"01016433305000")},
    {L"address-of-body", WithAddress(SearchRequest::AddressOf::Body, {.subject = {},
                                                                      .district = {},
                                                                      .city = L"Владимирогорск",
                                                                      .settlement = {},
                                                                      .street = L"Озёрная",
                                                                      .index = {}})},
    {L"address-of-defendant", WithAddress(SearchRequest::AddressOf::Defendant, {.subject = L"Приозёрная область",
                                                                                 .district = L"Заречный район",
                                                                                 .city = {},
                                                                                 .settlement = L"д. Кривцы",
                                                                                 .street = L"ул. Мостовая",
                                                                                 .index = L"601510"})},
    {L"chosen", Chosen(ByCode(L"01016433305000"))},
    {L"nothing-to-look-for", NothingToLookFor()},
    // What a value may carry unescaped, and a character outside the BMP.
    {L"markup-characters", ByName(L"\"суд\" > 'ё' \U0001F600")},
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fputs("usage: print_documents FOLDER\n", stderr);
        return 2;
    }
    const std::wstring folder = argv[1];
    try {
        for (const Case& c : kCases) {
            const std::wstring request = CustomPipes::BuildSearchRequest(c.search);
            Save(folder + L"\\request-" + c.name + L".xml", request);
            const RequestOutcome outcome = HandleRequest(std::wstring_view(request).substr(0, request.size() - 1));
            if (!outcome.refusal.empty()) throw CustomPipes::ProgramError(std::wstring(c.name) + L": " + outcome.refusal);
            // A person picks the first body found, as in the server's window.
            const WrittenAnswer answer =
                outcome.waitsForChoice
                    ? WriteAnswer(outcome.search, AnswerMode::Chosen, outcome.matches.size(),
                                  std::span(outcome.matches).first(outcome.matches.empty() ? 0 : 1))
                    : outcome.answer;
            Save(folder + L"\\answer-" + c.name + L".xml", answer.text);
        }
        // After a command-line switch, and an answer cut short: all bodies named "суд"
        // in room for a few.
        const Search bySwitch = SearchForSwitch({LaunchSwitch::Surname, L"Лапшин"});
        const std::vector<Match> lapshin = FindBodies(bySwitch, SampleDirectory());
        Save(folder + L"\\answer-switch.xml",
             WriteAnswer(bySwitch, AnswerMode::Chosen, lapshin.size(), std::span(lapshin).first(1)).text);
        const Search courts = SearchForSwitch({LaunchSwitch::Name, L"суд"});
        const std::vector<Match> all = FindBodies(courts, SampleDirectory());
        const WrittenAnswer cut = WriteAnswer(courts, AnswerMode::Auto, all.size(), all, 2000);
        if (!cut.truncated) throw CustomPipes::ProgramError(L"the answer meant to be cut short was not");
        Save(folder + L"\\answer-truncated.xml", cut.text);
    } catch (const CustomPipes::ProgramError& e) {
        std::fprintf(stderr, "print_documents: %s\n", e.what());
        return 1;
    }
    return 0;
}
