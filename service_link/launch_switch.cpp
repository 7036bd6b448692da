#include "launch_switch.h"

namespace CustomPipes {

std::optional<LaunchSwitch> LaunchSwitchNamed(std::wstring_view letter) {
    if (letter.size() != 1) return std::nullopt;
    switch (letter[0] | 0x20) {  // "A" as "a"
    case L'a': return LaunchSwitch::Name;
    case L'i': return LaunchSwitch::Code;
    case L'f': return LaunchSwitch::Surname;
    default: return std::nullopt;
    }
}

std::wstring LaunchArguments(LaunchSwitch which, std::wstring_view value) {
    std::wstring arguments = L" -";
    arguments += static_cast<wchar_t>(which);
    arguments += L':';
    arguments += value;
    return arguments;
}

std::optional<LaunchSearch> ParseLaunchArguments(std::wstring_view arguments) {
    while (!arguments.empty() && (arguments.front() == L' ' || arguments.front() == L'\t')) arguments.remove_prefix(1);
    if (arguments.size() < 3 || arguments[0] != L'-' || arguments[2] != L':') return std::nullopt;
    const std::optional<LaunchSwitch> which = LaunchSwitchNamed(arguments.substr(1, 1));
    if (!which) return std::nullopt;
    return LaunchSearch{*which, std::wstring(arguments.substr(3))};
}

}  // namespace CustomPipes
