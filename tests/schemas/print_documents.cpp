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
#include "search_request.h"
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
        wire::DocumentOfWireText(wireTextWithNul.substr(0, wireTextWithNul.size() - 1));
    if (!document) throw ProgramError(path + L": not wire text");
    const UniqueHandle file =
        AdoptFileHandle(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    if (!file || !::WriteFile(file.get(), document->data(), static_cast<DWORD>(document->size()), &written, nullptr) ||
        written != document->size()) {
        throw ProgramError(path + L" cannot be written");
    }
}

struct Case {
    const wchar_t* name;
    std::function<void(SearchFields&)> set;  // from the window's defaults
};

void ByName(SearchFields& f, std::wstring name, int kind = 0) {
    f.RadioButton4 = false;
    f.RadioButton5 = true;
    f.RadioGroup3 = kind;
    f.Edit8 = std::move(name);
}

void ByCode(SearchFields& f, std::wstring code) {
    f.RadioButton4 = false;
    f.RadioButton6 = true;
    f.Edit7 = std::move(code);
}

const Case kCases[] = {
    {L"defaults", [](SearchFields&) {}},
    {L"name", [](SearchFields& f) { ByName(f, L"районный"); }},
    {L"surname", [](SearchFields& f) { ByName(f, L"Корнеев", 1); }},
    {L"code", [](SearchFields& f) { ByCode(f, L"01016433305000"); }},
    {L"address-of-body",
     [](SearchFields& f) {
         f.Edit3 = L"Владимирогорск";
         f.Edit5 = L"Озёрная";
     }},
    {L"address-of-defendant",
     [](SearchFields& f) {
         f.RadioGroup2 = 1;
         f.Edit6 = L"601510";
         f.Edit1 = L"Приозёрная область";
         f.Edit2 = L"Заречный район";
         f.Edit4 = L"д. Кривцы";
         f.Edit5 = L"ул. Мостовая";
     }},
    {L"chosen",
     [](SearchFields& f) {
         ByCode(f, L"01016433305000");
         f.RadioGroup1 = 1;
     }},
    {L"nothing-to-look-for", [](SearchFields& f) { f.Edit8.clear(); }},
    // What a value may carry unescaped, and a character outside the BMP.
    {L"markup-characters", [](SearchFields& f) { ByName(f, L"\"суд\" > 'ё' \U0001F600"); }},
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
            SearchFields fields;
            c.set(fields);
            const std::wstring request = BuildSearchRequest(fields);
            Save(folder + L"\\request-" + c.name + L".xml", request);
            const RequestOutcome outcome = HandleRequest(std::wstring_view(request).substr(0, request.size() - 1));
            if (!outcome.refusal.empty()) throw ProgramError(std::wstring(c.name) + L": " + outcome.refusal);
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
        const Search bySwitch = SearchForSwitch(L'f', L"Лапшин");
        const std::vector<Match> lapshin = FindBodies(bySwitch, SampleDirectory());
        Save(folder + L"\\answer-switch.xml",
             WriteAnswer(bySwitch, AnswerMode::Chosen, lapshin.size(), std::span(lapshin).first(1)).text);
        const Search courts = SearchForSwitch(L'a', L"суд");
        const std::vector<Match> all = FindBodies(courts, SampleDirectory());
        const WrittenAnswer cut = WriteAnswer(courts, AnswerMode::Auto, all.size(), all, 2000);
        if (!cut.truncated) throw ProgramError(L"the answer meant to be cut short was not");
        Save(folder + L"\\answer-truncated.xml", cut.text);
    } catch (const ProgramError& e) {
        std::fprintf(stderr, "print_documents: %s\n", e.what());
        return 1;
    }
    return 0;
}
