#include "command_line.h"

#include "launch_switch.h"
#include "win32.h"

#include <vector>

namespace sample_server {

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

std::wstring_view SkipBlanks(std::wstring_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    return text;
}

bool StartsWithIgnoringCase(std::wstring_view text, std::wstring_view prefix) {
    if (prefix.empty() || text.size() < prefix.size()) return prefix.empty();
    return ::CompareStringOrdinal(text.data(), static_cast<int>(prefix.size()), prefix.data(),
                                  static_cast<int>(prefix.size()), TRUE) == CSTR_EQUAL;
}

std::vector<std::wstring_view> Tokens(std::wstring_view text) {
    std::vector<std::wstring_view> tokens;
    for (text = SkipBlanks(text); !text.empty(); text = SkipBlanks(text)) {
        size_t end = 0;
        while (end < text.size() && !IsBlank(text[end])) ++end;
        tokens.push_back(text.substr(0, end));
        text.remove_prefix(end);
    }
    return tokens;
}

}  // namespace

std::wstring_view ArgumentsOf(std::wstring_view commandLine, std::wstring_view modulePath) {
    std::wstring_view rest = SkipBlanks(commandLine);
    if (!rest.empty() && rest.front() == L'"') {
        const size_t close = rest.find(L'"', 1);
        return close == std::wstring_view::npos ? std::wstring_view{} : rest.substr(close + 1);
    }
    // The module's own path, unquoted, ends at its own length even when it holds spaces.
    if (StartsWithIgnoringCase(rest, modulePath) &&
        (rest.size() == modulePath.size() || IsBlank(rest[modulePath.size()]))) {
        return rest.substr(modulePath.size());
    }
    size_t end = 0;
    while (end < rest.size() && !IsBlank(rest[end])) ++end;
    return rest.substr(end);
}

LaunchRequest ParseArguments(std::wstring_view arguments) {
    LaunchRequest request;
    const std::wstring_view rest = SkipBlanks(arguments);
    if (auto search = CustomPipes::ParseLaunchArguments(rest)) {
        request.search = std::move(search);
        return request;
    }
    const std::vector<std::wstring_view> tokens = Tokens(rest);
    if (tokens.size() == 1 && (tokens[0] == L"--help" || tokens[0] == L"-h" || tokens[0] == L"/?")) {
        request.mode = LaunchMode::Help;
        return request;
    }
    bool any = false;
    for (std::wstring_view token : tokens) {
        if (token == L"--register" && !any) {
            request.mode = LaunchMode::Register;
            any = true;
        } else if (token == L"--unregister" && !any) {
            request.mode = LaunchMode::Unregister;
            any = true;
        } else if (token == L"--force") {
            request.force = true;
        } else {
            request.unrecognised = std::wstring(rest);
        }
    }
    if (request.mode == LaunchMode::Window && request.force) request.unrecognised = std::wstring(rest);
    if (!request.unrecognised.empty()) {
        request = LaunchRequest{};
        request.unrecognised = std::wstring(rest);
    }
    return request;
}

const wchar_t* ServerUsage() {
    return LR"(Usage: varnel-sample-server.exe [-a:NAME | -i:CODE | -f:SURNAME]
       varnel-sample-server.exe --register [--force]
       varnel-sample-server.exe --unregister [--force]
       varnel-sample-server.exe --help

A stand-in for Varnel: it speaks Varnel's side of the protocol with a small
invented directory of courts, and logs each request and answer in its window.

  -a:NAME       open with a search by a body's name done, its result listed for
                a choice; the value is the rest of the command line, spaces too
  -i:CODE       the same by a body's 14-digit code
  -f:SURNAME    the same by a judge's surname
                A second start hands its switch to the running server and ends.
  --register    record this program as Varnel in the installation record
                (HKEY_CURRENT_USER\Software\Orbisan\Varnel), so that client
                programs find and start it; a record of another program is left
                alone unless --force is added
  --unregister  remove that record when it names this program (or, with
                --force, whatever it names)
  --help        this text

Exit codes of --register and --unregister: 0 done, 1 failed, 2 refused.)";
}

}  // namespace sample_server
