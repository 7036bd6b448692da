#include "installation_record.h"

#include "handles.h"
#include "program_error.h"
#include "protocol.h"
#include "win32.h"

namespace sample_server {

namespace {

using namespace CustomPipes;

std::wstring SettingsKey(const std::wstring& version) {
    return std::wstring(kVarnelKey) + L"\\" + version + L"\\" + kSettingsSubkey;
}

std::wstring Describe(LSTATUS status) { return L" (system error " + std::to_wstring(status) + L")"; }

// Empty when the key or the value is missing.
std::wstring ReadString(const std::wstring& keyPath, const wchar_t* valueName) {
    HKEY raw = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS) return {};
    const UniqueHkey key(raw);
    DWORD type = 0, bytes = 0;
    LSTATUS status = ::RegQueryValueExW(key.get(), valueName, nullptr, &type, nullptr, &bytes);
    if (status == ERROR_FILE_NOT_FOUND || (status == ERROR_SUCCESS && bytes == 0)) return {};
    if (status != ERROR_SUCCESS) throw ProgramError(L"The value \"" + std::wstring(valueName) + L"\" cannot be read" + Describe(status));
    if (type != REG_SZ && type != REG_EXPAND_SZ) {
        throw ProgramError(L"The value \"" + std::wstring(valueName) + L"\" is not a string");
    }
    std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    status = ::RegQueryValueExW(key.get(), valueName, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &bytes);
    if (status != ERROR_SUCCESS) throw ProgramError(L"The value \"" + std::wstring(valueName) + L"\" cannot be read" + Describe(status));
    return text.substr(0, text.find(L'\0'));
}

void WriteString(const std::wstring& keyPath, const wchar_t* valueName, const std::wstring& value) {
    HKEY raw = nullptr;
    LSTATUS status = ::RegCreateKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &raw,
                                       nullptr);
    if (status != ERROR_SUCCESS) throw ProgramError(L"The key \"" + keyPath + L"\" cannot be created" + Describe(status));
    const UniqueHkey key(raw);
    status = ::RegSetValueExW(key.get(), valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                              static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    if (status != ERROR_SUCCESS) throw ProgramError(L"The value \"" + std::wstring(valueName) + L"\" cannot be written" + Describe(status));
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

// The record's key is removed only once nothing else is left in it.
void DeleteKeyIfEmpty(const wchar_t* keyPath) {
    HKEY raw = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, keyPath, 0, KEY_READ, &raw) != ERROR_SUCCESS) return;
    DWORD subkeys = 0, values = 0;
    {
        const UniqueHkey key(raw);
        if (::RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                               nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
            return;
        }
    }
    if (subkeys == 0 && values == 0) ::RegDeleteKeyW(HKEY_CURRENT_USER, keyPath);
}

const std::wstring kWhere = L"HKEY_CURRENT_USER\\" + std::wstring(kVarnelKey);

}  // namespace

InstallationRecord ReadInstallationRecord() {
    InstallationRecord record;
    record.version = ReadString(kVarnelKey, kCurrentVersionValue);
    if (!record.version.empty()) record.exeName = ReadString(SettingsKey(record.version), kExeNameValue);
    return record;
}

RecordOutcome RegisterServer(const std::wstring& ownPath, bool force) {
    const InstallationRecord existing = ReadInstallationRecord();
    const bool foreign = !existing.exeName.empty() && !SamePath(existing.exeName, ownPath);
    if (foreign && !force) {
        return {2, L"Refused: the record in " + kWhere + L" points to \"" + existing.exeName +
                       L"\" (version " + existing.version + L"). Pass --force to replace it."};
    }
    WriteString(SettingsKey(kRecordVersion), kExeNameValue, ownPath);
    WriteString(kVarnelKey, kCurrentVersionValue, kRecordVersion);
    std::wstring message = L"Registered \"" + ownPath + L"\" as version " + kRecordVersion + L" in " + kWhere + L".";
    if (foreign) message += L" It replaces \"" + existing.exeName + L"\" (version " + existing.version + L").";
    return {0, message};
}

RecordOutcome UnregisterServer(const std::wstring& ownPath, bool force) {
    const InstallationRecord existing = ReadInstallationRecord();
    if (existing.version.empty()) return {0, L"Nothing to remove: there is no record in " + kWhere + L"."};
    if (!existing.exeName.empty() && !SamePath(existing.exeName, ownPath) && !force) {
        return {2, L"Refused: the record in " + kWhere + L" points to \"" + existing.exeName +
                       L"\", not to this program. Pass --force to remove it anyway."};
    }
    const std::wstring versionKey = std::wstring(kVarnelKey) + L"\\" + existing.version;
    LSTATUS status = ::RegDeleteTreeW(HKEY_CURRENT_USER, versionKey.c_str());
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
        throw ProgramError(L"The key \"" + versionKey + L"\" cannot be removed" + Describe(status));
    }
    HKEY raw = nullptr;
    status = ::RegOpenKeyExW(HKEY_CURRENT_USER, kVarnelKey, 0, KEY_SET_VALUE, &raw);
    if (status == ERROR_SUCCESS) {
        const UniqueHkey key(raw);
        status = ::RegDeleteValueW(key.get(), kCurrentVersionValue);
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
            throw ProgramError(L"The value \"CurrentVersion\" cannot be removed" + Describe(status));
        }
    }
    DeleteKeyIfEmpty(kVarnelKey);
    return {0, L"Removed the record of \"" + existing.exeName + L"\" (version " + existing.version + L") from " + kWhere +
                   L"."};
}

}  // namespace sample_server
