// Module Unit2: the main window frmMain of class TfrmMain, its controls and its event
// handlers.
#pragma once

#include "application.h"
#include "gdi_handles.h"
#include "layout.h"
#include "request_block.h"
#include "win32.h"

#include <string>

class TfrmMain {
public:
    // Creates the window (hidden) with all its controls; FormCreate runs meanwhile.
    TfrmMain(Application& application, HINSTANCE instance);
    ~TfrmMain();
    TfrmMain(const TfrmMain&) = delete;
    TfrmMain& operator=(const TfrmMain&) = delete;

    HWND Handle() const noexcept { return handle_; }

    // Centres the window on the desktop and shows it with the program's show command.
    void Show(int showCommand);

    // The controls, named as in the window description (see form_description.cpp).
    HWND PageControl1{}, TabSheet1{}, TabSheet2{}, TabSheet3{}, TabSheet4{};
    HWND GroupBox1{}, GroupBox2{}, RadioGroup1{}, RadioGroup2{}, RadioGroup3{};
    HWND RadioButton1{}, RadioButton2{}, RadioButton3{}, RadioButton4{}, RadioButton5{}, RadioButton6{};
    HWND Label1{}, Label2{}, Label3{}, Label4{}, Label5{}, Label6{}, Label7{}, Label8{}, Label9{}, Label10{};
    HWND Label11{}, Label12{}, Label13{}, Label14{}, Label15{}, Label16{}, Label17{}, Label18{}, Label19{},
        Label20{};
    HWND Edit1{}, Edit2{}, Edit3{}, Edit4{}, Edit5{}, Edit6{}, Edit7{}, Edit8{}, Edit9{}, Edit10{}, Edit11{},
        Edit12{};
    HWND ComboBox1{}, Memo1{}, Memo2{}, Button1{}, Button2{};

    // Event handlers. Each may throw; the window procedure hands them to the error display.
    void FormCreate();
    void Button1Click();
    void Button2Click();
    void Edit9Change();
    void Edit10Change();
    void Edit11Change();
    // The application-wide message hook: shows Varnel's answers in Memo1.
    void OnApplicationMessage(MSG& message, bool& handled);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

    LRESULT OnCreate(HWND window) noexcept;
    void OnCommand(int id, int code) noexcept;
    LRESULT OnNotify(const NMHDR& header) noexcept;
    LRESULT OnCtlColorStatic(HDC dc, HWND control) noexcept;
    void OnActivate(WPARAM wParam) noexcept;
    void OnDpiChanged(UINT dpi, const RECT& suggested) noexcept;
    void OnNextDlgCtl(WPARAM wParam, LPARAM lParam) noexcept;

    void CreateFonts();
    void CreateControls();
    void OrderTabStops();
    double MeasureWidening() const;
    SIZE InitialClientSize() const;
    void LayoutControls() noexcept;
    void FitLabelToText(HWND label) const;
    HWND ControlById(int id) const;

    bool KeyboardMessage(MSG& message) noexcept;
    void ShowPage(int index) noexcept;
    void SelectNextPage(bool forward) noexcept;
    void RestoreFocus() noexcept;
    void ShowExample(HWND label, const wchar_t* prefix, HWND edit);
    void ShowAnswer(const std::wstring& text);

    Application& application_;
    HINSTANCE instance_;
    HWND handle_{};
    LayoutScale scale_;
    UniqueFont font_;      // Tahoma 8 pt at the window's DPI
    UniqueFont linkFont_;  // the same, underlined
    HWND lastFocus_{};     // the control to give the focus back to on activation
    bool created_ = false;  // from the end of creation to WM_DESTROY
    bool controlsFailed_ = false;
    RequestBlock requestBlock_;
};
