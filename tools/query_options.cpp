#include "query_options.h"

#include "program_error.h"
#include "search_options.h"

#include <cwchar>
#include <string>

namespace tools {

namespace {

double Seconds(const std::wstring& text) {
    wchar_t* end = nullptr;
    const double seconds = std::wcstod(text.c_str(), &end);
    if (text.empty() || *end != L'\0' || !CustomPipes::IsAllowedTimeout(seconds)) {
        throw CustomPipes::ProgramError(L"--timeout takes a number of seconds above 0 and at most " +
                                        std::to_wstring(CustomPipes::kMaxTimeoutSeconds) + L", not \"" + text + L"\"");
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
            if (i + 1 >= arguments.size()) throw CustomPipes::ProgramError(option + L" needs a value");
            return arguments[++i];
        };
        if (option == L"--help" || option == L"-h" || option == L"/?") {
            options.help = true;
        } else if (option == L"--defendant" || option == L"--chosen") {
            CustomPipes::SetSearchOption(options.search, option.substr(2), L"1", L"--");
            fieldsGiven = true;
        } else if (option == L"--timeout") {
            options.timeoutSeconds = Seconds(value());
        } else if (option == L"--request") {
            options.requestFile = value();
        } else if (option == L"--output") {
            options.outputFile = value();
        } else if (option.starts_with(L"--") && CustomPipes::IsSearchOption(option.substr(2))) {
            CustomPipes::SetSearchOption(options.search, option.substr(2), value(), L"--");
            fieldsGiven = true;
        } else {
            throw CustomPipes::ProgramError(L"unknown option \"" + option + L"\" (see varnel-query --help)");
        }
    }
    CustomPipes::CheckPreparedRequestAlone(options.requestFile.has_value(), fieldsGiven, L"--request");
    return options;
}

const wchar_t* QueryUsage() {
    return LR"(Usage: varnel-query [search options] [--chosen] [--timeout SECONDS] [--output FILE]
       varnel-query --request FILE|- [--timeout SECONDS] [--output FILE]

Sends one search to Varnel exactly as the demo window's page 1 does and prints
Varnel's answer, the decoded XML document, as UTF-8 on standard output (or
writes it to the file --output names).
Varnel is started when it is installed but not running, and the request is
sent as soon as its window is there (at most 8 seconds). Other clients of
ours take turns with it: it waits for its turn up to the timeout.
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
  --request FILE      send a prepared XML request instead; it is checked and
                      encoded like a built one. UTF-8, or UTF-16 with a
                      byte-order mark (as Windows PowerShell's Out-File and
                      Notepad's "Unicode" save it).
                      "--request -" reads it from standard input.
  --output FILE       write the answer as UTF-8 to FILE instead of standard
                      output. Windows PowerShell 5.1 re-decodes what a program
                      prints with the console's code page, which garbles the
                      Cyrillic in "> FILE"; --output is written by varnel-query
                      itself. (In cmd, "> FILE" is byte-exact.)
  --help              this text

Values are sent as typed, without XML escaping: "&" and "<" are refused.

Exit codes (each failure with a one-line reason on standard error):
  0  the answer was printed
  1  Varnel is neither running nor installed; nothing was sent
  2  the request was refused: a bad option, a request file that cannot be read
     or is no UTF-8 or UTF-16 text, not well-formed XML (the parser's reason
     and line), longer than 8191 wire characters, or non-ASCII text under a
     multi-byte ANSI code page, a DOCTYPE, an entity or another root element
     than <ParamsForVarnel>; nothing was sent
  3  no answer within the timeout
  4  any other failure (Varnel could not be started, or is not running while
     varnel-query runs elevated; an answer that fills Varnel's whole block
     with no end, which may be cut: it is printed all the same; the answer
     could not be written: a closed pipe, a full disk; a registry value of the
     wrong type; no request block)
)";
}

}  // namespace tools
