// Module Unit2: the main window frmMain of class TfrmMain, its controls and its event
// handlers.
#pragma once

#include "application.h"
#include "exchange_turn.h"
#include "form_controls.h"
#include "form_creation.h"
#include "launch_switch.h"
#include "layout.h"
#include "navigation.h"
#include "request_block.h"
#include "win32.h"

#include <string>

namespace window {

// The controls are the inherited fields, named as in the window description
// (form_description.cpp).
class TfrmMain : public MainFormWindows {
public:
    // Creates the window (hidden) with all its controls; FormCreate runs meanwhile.
    TfrmMain(Application& application, HINSTANCE instance);
    ~TfrmMain();
    TfrmMain(const TfrmMain&) = delete;
    TfrmMain& operator=(const TfrmMain&) = delete;

    HWND Handle() const noexcept { return handle_; }

    // Centres the window on the desktop and shows it with the program's show command.
    void Show(int showCommand);

    // Event handlers. Each may throw; the window procedure hands them to the error display.
    void FormCreate();
    void Button1Click();
    void Button2Click();
    void Edit9Change();
    void Edit10Change();
    void Edit11Change();
    // The application-wide message hook: shows Varnel's answers in Memo1.
    void OnApplicationMessage(MSG& message, bool& handled);
    // Varnel's data-ready message: shows the answer when it is meant for this window;
    // true when its block was read. Called by the hook, and by the window procedure for
    // the copies that a modal loop (a message box, a move, a menu) delivers past the hook.
    bool OnDataReady(const MSG& message);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

    LRESULT OnCreate(HWND window) noexcept;
    void OnCommand(int id, int code) noexcept;
    LRESULT OnNotify(const NMHDR& header) noexcept;
    LRESULT OnCtlColorStatic(HDC dc, HWND control) noexcept;
    void OnDpiChanged(UINT dpi, const RECT& suggested) noexcept;

    void CreateFonts();
    void LayoutControls() noexcept;
    void ShowExample(HWND label, CustomPipes::LaunchSwitch which, HWND edit);
    void ShowAnswer(const std::wstring& text);
    void EndTurn() noexcept;

    Application& application_;
    HINSTANCE instance_;
    HWND handle_{};
    LayoutScale scale_;
    FormFonts fonts_;  // at the window's DPI
    RememberedFocus lastFocus_;
    bool created_ = false;  // from the end of creation to WM_DESTROY
    bool controlsFailed_ = false;
    CustomPipes::RequestBlock requestBlock_;
    CustomPipes::ExchangeTurn turn_;  // held from a request until its answer or kTurnTimeoutMs
};

}  // namespace window
