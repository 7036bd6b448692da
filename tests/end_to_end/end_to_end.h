// What the end-to-end tests share: the demo and the server started as a person would,
// and the installation record.
#pragma once

#include "gui_driver.h"
#include "registry_fixture.h"
#include "sample_server_driver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace end_to_end {

using sample_server_driver::StopEveryServer;

using gui::DemoPath;
using gui::kTitle;

// The lines of Memo1 as the page shows them.
inline std::vector<std::wstring> MemoLines(const gui::DemoProcess& demo) {
    std::vector<std::wstring> lines;
    const std::wstring text = gui::TextOf(demo.Control(ControlId::Memo1));
    size_t start = 0;
    for (size_t end; (end = text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    lines.push_back(text.substr(start));
    return lines;
}

inline bool MemoHolds(const gui::DemoProcess& demo, const std::wstring& piece) {
    return gui::TextOf(demo.Control(ControlId::Memo1)).find(piece) != std::wstring::npos;
}

}  // namespace end_to_end
