#include "query_options.h"

#include "program_error.h"

#include <cwchar>
#include <map>

namespace tools {

namespace {

// The page-1 field each text option fills, by its name without dashes.
std::wstring SearchFields::*TextField(const std::wstring& name) {
    static const std::map<std::wstring, std::wstring SearchFields::*> kFields = {
        {L"name", &SearchFields::Edit8},     {L"code", &SearchFields::Edit7},
        {L"subject", &SearchFields::Edit1},  {L"district", &SearchFields::Edit2},
        {L"city", &SearchFields::Edit3},     {L"settlement", &SearchFields::Edit4},
        {L"street", &SearchFields::Edit5},   {L"index", &SearchFields::Edit6},
    };
    const auto found = kFields.find(name);
    return found == kFields.end() ? nullptr : found->second;
}

// The radio buttons as a press on page 1 leaves them: one of the three is checked.
void SearchBy(SearchFields& fields, const std::wstring& by, const std::wstring& option) {
    if (by != L"address" && by != L"name" && by != L"surname" && by != L"code") {
        throw ProgramError(option + L" takes address, name, surname or code, not \"" + by + L"\"");
    }
    fields.RadioButton4 = by == L"address";
    fields.RadioButton5 = by == L"name" || by == L"surname";
    fields.RadioButton6 = by == L"code";
    if (fields.RadioButton5) fields.RadioGroup3 = by == L"surname" ? 1 : 0;
}

int OneOrZero(const std::wstring& value, const std::wstring& option) {
    if (value != L"1" && value != L"0") throw ProgramError(option + L" takes 1 or 0, not \"" + value + L"\"");
    return value == L"1" ? 1 : 0;
}

}  // namespace

bool IsSearchOption(const std::wstring& name) {
    return TextField(name) || name == L"by" || name == L"defendant" || name == L"chosen";
}

void SetSearchOption(SearchFields& fields, const std::wstring& name, const std::wstring& value,
                     const std::wstring& prefix) {
    if (const auto field = TextField(name)) {
        fields.*field = value;
    } else if (name == L"by") {
        SearchBy(fields, value, prefix + name);
    } else if (name == L"defendant") {
        fields.RadioGroup2 = OneOrZero(value, prefix + name);
    } else if (name == L"chosen") {
        fields.RadioGroup1 = OneOrZero(value, prefix + name);
    } else {
        throw ProgramError(L"unknown option \"" + prefix + name + L"\"");
    }
}

namespace {

double Seconds(const std::wstring& text) {
    wchar_t* end = nullptr;
    const double seconds = std::wcstod(text.c_str(), &end);
    if (text.empty() || *end != L'\0' || !(seconds > 0 && seconds <= 86400)) {
        throw ProgramError(L"--timeout takes a number of seconds above 0 and at most 86400, not \"" + text + L"\"");
    }
    return seconds;
}

}  // namespace

QueryOptions ParseQueryOptions(const std::vector<std::wstring>& arguments) {
    QueryOptions options;
    bool fieldsGiven = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::wstring& option = arguments[i];
        const auto value = [&]() -> const std::wstring& {
            if (i + 1 >= arguments.size()) throw ProgramError(option + L" needs a value");
            return arguments[++i];
        };
        if (option == L"--help" || option == L"-h" || option == L"/?") {
            options.help = true;
        } else if (option == L"--defendant" || option == L"--chosen") {
            SetSearchOption(options.fields, option.substr(2), L"1", L"--");
            fieldsGiven = true;
        } else if (option == L"--timeout") {
            options.timeoutSeconds = Seconds(value());
        } else if (option == L"--request") {
            options.requestFile = value();
        } else if (option.starts_with(L"--") && IsSearchOption(option.substr(2))) {
            SetSearchOption(options.fields, option.substr(2), value(), L"--");
            fieldsGiven = true;
        } else {
            throw ProgramError(L"unknown option \"" + option + L"\" (see varnel-query --help)");
        }
    }
    if (options.requestFile && fieldsGiven) {
        throw ProgramError(L"--request sends the file as it is; it takes no search options");
    }
    return options;
}

const wchar_t* QueryUsage() {
    return LR"(Usage: varnel-query [search options] [--chosen] [--timeout SECONDS]
       varnel-query --request FILE [--timeout SECONDS]

Sends one search to Varnel exactly as the demo window's page 1 does and prints
Varnel's answer, the decoded XML document, as UTF-8 on standard output.
Varnel is started when it is installed but not running (up to 8 seconds).
Without options the request is the window's default: a search by address with
"владимир" as the name.

Search options:
  --by address|name|surname|code   which search ("surname": a judge's surname)
  --name TEXT         "Наименование / Фамилия"
  --code TEXT         "Код суда" (14 digits)
  --subject TEXT      "Субъект"            --district TEXT    "Район"
  --city TEXT         "Город"              --settlement TEXT  "Населенный пункт"
  --street TEXT       "Улица"              --index TEXT       "Индекс"
  --defendant         address type "Адрес ответчика"
  --chosen            "Данные прислать через интерфейс программы": a person
                      picks the answer in Varnel's window
Other options:
  --timeout SECONDS   how long to wait for the answer (default 30)
  --request FILE      send a prepared UTF-8 XML request instead; it is checked
                      and encoded like a built one
  --help              this text

Values are sent as typed, without XML escaping: "&" and "<" are refused.

Exit codes (each failure with a one-line reason on standard error):
  0  the answer was printed
  1  Varnel is neither running nor installed; nothing was sent
  2  the request was refused: a bad option, not well-formed XML (the parser's
     reason and line), longer than 8191 characters, or non-ASCII text under a
     multi-byte ANSI code page; nothing was sent
  3  no answer within the timeout
  4  any other failure (a registry value of the wrong type, no request block)
)";
}

}  // namespace tools
