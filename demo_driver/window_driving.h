// Driving a window of another process from outside, as a user or a client would: find
// its windows and controls, read them, type, click. Used by demo_driver and the tests.
#pragma once

#include "control_ids.h"

#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace window_driving {

// The caption of the demo's window and of its error display.
inline const wchar_t* const kTitle = L"Демонстрация взаимодействия с программой Varnel";

// Polls condition until it holds or timeoutMs passes; returns its last value.
inline bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 10000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return condition();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

inline std::wstring ClassOf(HWND window) {
    wchar_t name[256] = {};
    const int length = ::GetClassNameW(window, name, static_cast<int>(std::size(name)));
    return std::wstring(name, static_cast<size_t>(length > 0 ? length : 0));
}

// A window's text, read with WM_GETTEXT (which the system carries across processes).
inline std::wstring TextOf(HWND window) {
    const auto length = static_cast<int>(::SendMessageW(window, WM_GETTEXTLENGTH, 0, 0));
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const auto copied = static_cast<int>(::SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}

inline bool IsChecked(HWND button) { return ::SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

inline LONG_PTR StyleOf(HWND window) { return ::GetWindowLongPtrW(window, GWL_STYLE); }

// Sets a control's whole text at once, as a client program would (WM_SETTEXT).
inline void SetText(HWND control, const std::wstring& text) {
    ::SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// Types text into a control character by character at the end of its text.
inline void Type(HWND control, const std::wstring& text) {
    const auto end = static_cast<WPARAM>(::SendMessageW(control, WM_GETTEXTLENGTH, 0, 0));
    ::SendMessageW(control, EM_SETSEL, end, static_cast<LPARAM>(end));
    for (const wchar_t c : text) ::SendMessageW(control, WM_CHAR, c, 1);
}

// Presses Backspace at the end of the text until the control is empty.
inline void EraseAll(HWND control) {
    const auto length = static_cast<WPARAM>(::SendMessageW(control, WM_GETTEXTLENGTH, 0, 0));
    ::SendMessageW(control, EM_SETSEL, length, static_cast<LPARAM>(length));
    for (WPARAM i = 0; i < length; ++i) ::SendMessageW(control, WM_CHAR, VK_BACK, 1);
}

// Clicks a button and returns at once: what the click starts may show a modal box.
inline void Click(HWND button) { ::PostMessageW(button, BM_CLICK, 0, 0); }

// Clicks a button and waits until its handler has returned. False on timeout.
inline bool ClickAndWait(HWND button, UINT timeoutMs = 20000) {
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_NORMAL, timeoutMs, &result) != 0;
}

// The descendant of root with the control identifier id (controls inside pages and
// group boxes are children of children).
inline HWND FindControl(HWND root, int id) {
    struct Search {
        int id;
        HWND found;
    } search{id, nullptr};
    ::EnumChildWindows(
        root,
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            if (::GetDlgCtrlID(window) != s->id) return TRUE;
            s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The visible top-level windows of a process with a window class (and title, if given).
inline std::vector<HWND> TopLevelWindows(DWORD processId, const wchar_t* className, const wchar_t* title = nullptr) {
    struct Search {
        DWORD processId;
        const wchar_t* className;
        const wchar_t* title;
        std::vector<HWND> found;
    } search{processId, className, title, {}};
    ::EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            if (owner != s->processId || !::IsWindowVisible(window) || ClassOf(window) != s->className) return TRUE;
            if (s->title && TextOf(window) != s->title) return TRUE;
            s->found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Memory in another process, for the common-control messages that carry pointers and
// that the system does not carry across processes (TCM_GETITEM...).
class RemoteBuffer {
public:
    RemoteBuffer(HANDLE process, size_t size)
        : process_(process), address_(::VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE)) {}
    ~RemoteBuffer() {
        if (address_) ::VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    void* Address() const { return address_; }
    bool Write(const void* data, size_t size, size_t offset = 0) {
        return ::WriteProcessMemory(process_, static_cast<char*>(address_) + offset, data, size, nullptr) != 0;
    }
    bool Read(void* data, size_t size, size_t offset = 0) const {
        return ::ReadProcessMemory(process_, static_cast<char*>(address_) + offset, data, size, nullptr) != 0;
    }

private:
    HANDLE process_;
    void* address_;
};

// The texts of the tabs of a tab control in another process.
inline std::vector<std::wstring> TabTexts(HANDLE process, HWND tabControl) {
    std::vector<std::wstring> texts;
    constexpr size_t kTextCharacters = 256;
    RemoteBuffer remote(process, sizeof(TCITEMW) + kTextCharacters * sizeof(wchar_t));
    if (!remote.Address()) return texts;
    const auto count = static_cast<int>(::SendMessageW(tabControl, TCM_GETITEMCOUNT, 0, 0));
    for (int index = 0; index < count; ++index) {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = reinterpret_cast<wchar_t*>(static_cast<char*>(remote.Address()) + sizeof(TCITEMW));
        item.cchTextMax = kTextCharacters;
        const wchar_t empty = 0;
        remote.Write(&item, sizeof item);
        remote.Write(&empty, sizeof empty, sizeof(TCITEMW));
        ::SendMessageW(tabControl, TCM_GETITEMW, index, reinterpret_cast<LPARAM>(remote.Address()));
        wchar_t text[kTextCharacters] = {};
        remote.Read(text, sizeof text - sizeof(wchar_t), sizeof(TCITEMW));
        texts.emplace_back(text);
    }
    return texts;
}

// The texts of a message box's static controls (its message; the icon has none).
inline std::wstring MessageBoxText(HWND box) {
    std::wstring text;
    for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (ClassOf(child) == L"Static" && !(StyleOf(child) & SS_ICON)) text += TextOf(child);
    }
    return text;
}

// The buttons of a message box.
inline std::vector<HWND> MessageBoxButtons(HWND box) {
    std::vector<HWND> buttons;
    for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (ClassOf(child) == L"Button" && ::IsWindowVisible(child)) buttons.push_back(child);
    }
    return buttons;
}

// Presses OK on a message box.
inline void CloseMessageBox(HWND box) { ::PostMessageW(box, WM_COMMAND, IDOK, 0); }

}  // namespace window_driving
