// Registering a window class, the one way every window of the project's programs does.
#pragma once

#include "win32.h"

namespace CustomPipes {

// Registers windowClass. A class of that name registered already (a second window of it)
// is no failure; any other raises ProgramError "The window class <name> could not be
// registered", with the system's reason.
void RegisterWindowClass(const WNDCLASSEXW& windowClass);

}  // namespace CustomPipes
