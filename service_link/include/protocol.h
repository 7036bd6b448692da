// The fixed names and sizes of the contract between client programs and Varnel.
#pragma once

#include "win32.h"

#include <cstdint>
#include <string>

namespace CustomPipes {

// The client's request block: a named file mapping whose name is the client's main
// window handle as unsigned decimal text. A request is at most 8191 characters
// before its NUL.
constexpr uint32_t kRequestBlockSize = 16384;
constexpr uint32_t kMaxRequestCharacters = kRequestBlockSize / 2 - 1;

// A window handle as the contract carries it: its 32-bit value, in the request
// notice's lParam, even from a 64-bit process.
inline uint32_t WindowHandleValue(HWND window) noexcept {
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window));
}

// The name of a client's request block: the handle value as unsigned decimal digits.
inline std::wstring RequestBlockName(uint32_t windowHandleValue) { return std::to_wstring(windowHandleValue); }
inline std::wstring RequestBlockName(HWND window) { return RequestBlockName(WindowHandleValue(window)); }

// Whether a data-ready notice answers the client whose window handle value is
// clientValue. Varnel may say whom it answers in lParam (the sample server repeats the
// request's lParam); a notice with lParam 0 says nothing and is taken by every client.
inline bool IsAnswerFor(LPARAM lParam, uint32_t clientValue) noexcept {
    // Only the low 32 bits: a 32-bit Varnel's lParam may reach a 64-bit client sign-extended.
    const auto value = static_cast<uint32_t>(lParam);
    return value == 0 || value == clientValue;
}

// wParam of the window's request notices.
constexpr uint16_t kWindowRequestCode = 65535;

// Varnel's answer block: a named file mapping that Varnel writes before its data-ready
// notice; clients copy this many bytes out of it.
constexpr const wchar_t* kVarnelAnswerBlockName = L"Varnel2";
constexpr uint32_t kVarnelAnswerBlockSize = 65536;

// Exists while Varnel runs.
constexpr const wchar_t* kVarnelMutexName = L"VARNEL2";
constexpr const wchar_t* kVarnelWindowClass = L"TfrmMainRudoz";

// The longest a start of Varnel is waited for before the request is announced.
constexpr DWORD kServerStartWaitMs = 8000;

// Our clients' turn for the whole exchange: a mutex in the session's namespace, since
// the clients of one desktop session share one Varnel (see exchange_turn.h).
constexpr const wchar_t* kExchangeTurnName = L"Local\\VarnelClientExchangeTurn";

// The server installation record, below HKEY_CURRENT_USER. It belongs to Varnel.
constexpr const wchar_t* kVarnelKey = L"Software\\Orbisan\\Varnel";
constexpr const wchar_t* kCurrentVersionValue = L"CurrentVersion";
constexpr const wchar_t* kSettingsSubkey = L"settings";  // below kVarnelKey\<version>
constexpr const wchar_t* kExeNameValue = L"ExeName";

}  // namespace CustomPipes
