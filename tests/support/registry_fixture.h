// The server installation record in the test prefix's registry, written by tests.
#pragma once

#include "handles.h"
#include "protocol.h"

#include <string>

// Deletes the whole record: Varnel is then "not installed".
inline void DeleteServerRecord() {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, CustomPipes::kVarnelKey);
}

inline CustomPipes::UniqueHkey CreateKey(const std::wstring& path) {
    HKEY key = nullptr;
    ::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    return CustomPipes::UniqueHkey(key);
}

// Writes a value with raw data: the tests control type, terminator and byte count.
inline void SetRawValue(const std::wstring& keyPath, const wchar_t* name, DWORD type, const void* data, DWORD bytes) {
    const CustomPipes::UniqueHkey key = CreateKey(keyPath);
    ::RegSetValueExW(key.get(), name, 0, type, static_cast<const BYTE*>(data), bytes);
}

// A string value with its terminating NUL, as a normal installer writes it.
inline void SetStringValue(const std::wstring& keyPath, const wchar_t* name, const std::wstring& value) {
    SetRawValue(keyPath, name, REG_SZ, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

inline std::wstring SettingsKey(const std::wstring& version) {
    return std::wstring(CustomPipes::kVarnelKey) + L"\\" + version + L"\\" + CustomPipes::kSettingsSubkey;
}

// A complete record naming exePath, under version "1.0".
inline void WriteServerRecord(const std::wstring& exePath) {
    DeleteServerRecord();
    SetStringValue(CustomPipes::kVarnelKey, CustomPipes::kCurrentVersionValue, L"1.0");
    SetStringValue(SettingsKey(L"1.0"), CustomPipes::kExeNameValue, exePath);
}
