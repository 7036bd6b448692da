// Varnel's command-line switches: one search handed to Varnel as it starts, "-a:" a
// body's name, "-i:" a body's code, "-f:" an official's surname, each followed directly
// by the value, which is the rest of the command line.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace CustomPipes {

enum class LaunchSwitch : wchar_t { Name = L'a', Code = L'i', Surname = L'f' };

// The switch of a letter ("a", "i" or "f", either case); none for anything else.
std::optional<LaunchSwitch> LaunchSwitchNamed(std::wstring_view letter);

// The arguments that follow Varnel's path: " -a:" and the value as typed, unquoted.
std::wstring LaunchArguments(LaunchSwitch which, std::wstring_view value);

struct LaunchSearch {
    LaunchSwitch which;
    std::wstring value;
};

// The switch that arguments begin with (after blanks) and its value; none when they
// begin with anything else.
std::optional<LaunchSearch> ParseLaunchArguments(std::wstring_view arguments);

}  // namespace CustomPipes
