// varnel.dll's cold query: from the call to the answer with Varnel registered but not
// running, against the sample server's own start to its window existing.
#pragma once

#include <string>

namespace bench {

void RunColdQueryFigure(const std::wstring& libraryPath, const std::wstring& serverPath);

}  // namespace bench
