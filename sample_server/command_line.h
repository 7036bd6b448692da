// The server's command line: a search switch, or the installation-record modes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sample_server {

// "-a:" name, "-i:" code or "-f:" surname, followed directly by the value: the rest of
// the command line, spaces included.
struct SearchSwitch {
    wchar_t letter = 0;  // 'a', 'i' or 'f'
    std::wstring value;
};

enum class LaunchMode { Window, Register, Unregister, Help };

struct LaunchRequest {
    LaunchMode mode = LaunchMode::Window;
    bool force = false;                  // --register over a record of another executable
    std::optional<SearchSwitch> search;  // Window mode only
    std::wstring unrecognised;           // arguments that mean nothing to the server
};

// The arguments of a full command line: what follows the program token. The token is
// a quoted path, the module's own path written unquoted (a client starts the server
// with its path unquoted even when it holds spaces), or the text up to the first space.
std::wstring_view ArgumentsOf(std::wstring_view commandLine, std::wstring_view modulePath);

LaunchRequest ParseArguments(std::wstring_view arguments);

// What --help prints: the switches and the record modes, one line each.
const wchar_t* ServerUsage();

}  // namespace sample_server
