// Start-up: process start to the main window visible and idle, against a minimal
// program with one empty window started the same way.
#pragma once

#include <string>

namespace bench {

void RunStartUpFigure(const std::wstring& demoPath, const std::wstring& emptyWindowPath);

// Waits for a visible window of windowClass whose process waits for input; for the
// memory figures that scripts/bench reads from the host. Then closes it on request.
int WaitForIdleWindow(const std::wstring& windowClass);
int CloseWindows(const std::wstring& windowClass);

}  // namespace bench
