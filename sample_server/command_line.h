// The server's command line: a search switch, or the installation-record modes.
#pragma once

#include "launch_switch.h"

#include <optional>
#include <string>
#include <string_view>

namespace sample_server {

enum class LaunchMode { Window, Register, Unregister, Help };

struct LaunchRequest {
    LaunchMode mode = LaunchMode::Window;
    bool force = false;                  // --register over a record of another executable
    std::optional<CustomPipes::LaunchSearch> search;  // Window mode only: Varnel's switch
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
