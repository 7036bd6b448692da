// What the end-to-end tests share: the demo and the server started as a person would,
// the installation record, and a listener for request notices.
#pragma once

#include "gui_driver.h"
#include "registry_fixture.h"
#include "sample_server_driver.h"
#include "wire_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace end_to_end {

using sample_server_driver::StopEveryServer;

inline std::wstring DemoPath() { return gui::WindowsPath(VARNEL_DEMO_EXE); }

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

// The lines the page must show for the answer now in "Varnel2".
inline std::vector<std::wstring> ExpectedLinesOfAnswerBlock() {
    const std::optional<std::wstring> answer = sample_server_driver::ReadAnswerBlock();
    return answer ? wire::DecodeLines(*answer) : std::vector<std::wstring>{};
}

inline bool MemoHolds(const gui::DemoProcess& demo, const std::wstring& piece) {
    return gui::TextOf(demo.Control(ControlId::Memo1)).find(piece) != std::wstring::npos;
}

// A hidden top-level window of the test that counts the request notices broadcast
// while it lives: a notice that was posted reaches it too.
class NoticeListener {
public:
    NoticeListener() {
        CustomPipes::RegisterServiceMessages();
        WNDCLASSW wc{};
        wc.lpfnWndProc = Count;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"EndToEndNoticeListener";
        ::RegisterClassW(&wc);
        window_ = ::CreateWindowExW(0, wc.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                    wc.hInstance, nullptr);
        ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&count_));
    }
    ~NoticeListener() { ::DestroyWindow(window_); }
    NoticeListener(const NoticeListener&) = delete;
    NoticeListener& operator=(const NoticeListener&) = delete;

    // Pumps for a while and returns how many notices reached this window so far.
    int Notices(DWORD pumpMs = 300) {
        sample_server_driver::PumpUntil([] { return false; }, pumpMs);
        return count_;
    }

private:
    static LRESULT CALLBACK Count(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == CustomPipes::ServiceMessage(CustomPipes::Service::Varnel, CustomPipes::MessageKind::Request)) {
            if (auto* count = reinterpret_cast<int*>(::GetWindowLongPtrW(window, GWLP_USERDATA))) ++*count;
            return 0;
        }
        return ::DefWindowProcW(window, message, wParam, lParam);
    }

    HWND window_ = nullptr;
    int count_ = 0;
};

}  // namespace end_to_end
