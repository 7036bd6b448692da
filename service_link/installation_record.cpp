#include "installation_record.h"

#include "handles.h"
#include "program_error.h"
#include "protocol.h"
#include "system_error.h"
#include "wire_text.h"

#include <vector>

namespace CustomPipes {

namespace {

// Read access only: a key the user may read but not write is still Varnel's record.
UniqueHkey OpenForReading(const std::wstring& path) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return nullptr;
    return UniqueHkey(key);
}

std::wstring Quoted(const wchar_t* format, const wchar_t* name) {
    std::wstring text = format;
    text.replace(text.find(L"%s"), 2, name);
    return text;
}

// Registry calls return their error; GetLastError does not hold it.
bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

// Data stored without a terminator or with an odd byte count is read as far as it goes.
std::wstring ReadStringValue(HKEY key, const wchar_t* name) {
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD type = 0, size = 0;
        if (::RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || size == 0) return {};
        if (!IsStringType(type)) throw ProgramError(Quoted(L"Invalid data type for '%s'", name));

        // Room for the data plus a NUL the value may lack.
        std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 2, L'\0');
        DWORD got = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
        const LSTATUS status =
            ::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &got);
        if (status == ERROR_MORE_DATA) continue;  // the value grew between the two queries
        if (status != ERROR_SUCCESS) throw ProgramError(Quoted(L"Failed to get data for '%s'", name));
        if (got == 0) return {};
        if (!IsStringType(type)) throw ProgramError(Quoted(L"Invalid data type for '%s'", name));
        return std::wstring(wire::TextUpToNul(buffer.data(), got));
    }
    throw ProgramError(Quoted(L"Failed to get data for '%s'", name));
}

std::wstring ReadStringValue(const std::wstring& keyPath, const wchar_t* name) {
    const UniqueHkey key = OpenForReading(keyPath);
    return key ? ReadStringValue(key.get(), name) : std::wstring();
}

void WriteStringValue(const std::wstring& keyPath, const wchar_t* name, const std::wstring& value) {
    HKEY raw = nullptr;
    LSTATUS status =
        ::RegCreateKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &raw, nullptr);
    if (status != ERROR_SUCCESS) {
        throw ProgramError(SystemErrorText(L"The key \"" + keyPath + L"\" cannot be created", static_cast<DWORD>(status)));
    }
    const UniqueHkey key(raw);
    status = ::RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                              static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    if (status != ERROR_SUCCESS) {
        throw ProgramError(
            SystemErrorText(L"The value \"" + std::wstring(name) + L"\" cannot be written", static_cast<DWORD>(status)));
    }
}

void DeleteKeyIfEmpty(const wchar_t* keyPath) {
    DWORD subkeys = 0, values = 0;
    {
        HKEY raw = nullptr;
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, keyPath, 0, KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS, &raw) !=
            ERROR_SUCCESS) {
            return;
        }
        const UniqueHkey key(raw);
        if (::RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                               nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
            return;
        }
    }
    if (subkeys == 0 && values == 0) ::RegDeleteKeyW(HKEY_CURRENT_USER, keyPath);
}

}  // namespace

std::wstring SettingsKeyPath(const std::wstring& version) {
    // An empty version gives "...\Varnel\\settings", which normally does not exist.
    return std::wstring(kVarnelKey) + L"\\" + version + L"\\" + kSettingsSubkey;
}

InstallationRecord ReadInstallationRecord() {
    InstallationRecord record;
    const UniqueHkey key = OpenForReading(kVarnelKey);
    if (!key) return record;
    record.found = true;
    record.version = ReadStringValue(key.get(), kCurrentVersionValue);
    record.exeName = ReadStringValue(SettingsKeyPath(record.version), kExeNameValue);
    return record;
}

void WriteInstallationRecord(const std::wstring& version, const std::wstring& exeName) {
    WriteStringValue(SettingsKeyPath(version), kExeNameValue, exeName);
    WriteStringValue(kVarnelKey, kCurrentVersionValue, version);
}

void RemoveInstallationRecord(const std::wstring& version) {
    const std::wstring versionKey = std::wstring(kVarnelKey) + L"\\" + version;
    LSTATUS status = version.empty() ? ERROR_FILE_NOT_FOUND : ::RegDeleteTreeW(HKEY_CURRENT_USER, versionKey.c_str());
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
        throw ProgramError(
            SystemErrorText(L"The key \"" + versionKey + L"\" cannot be removed", static_cast<DWORD>(status)));
    }
    HKEY raw = nullptr;
    status = ::RegOpenKeyExW(HKEY_CURRENT_USER, kVarnelKey, 0, KEY_SET_VALUE, &raw);
    if (status == ERROR_SUCCESS) {
        const UniqueHkey key(raw);
        status = ::RegDeleteValueW(key.get(), kCurrentVersionValue);
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
            throw ProgramError(SystemErrorText(L"The value \"" + std::wstring(kCurrentVersionValue) + L"\" cannot be removed",
                                               static_cast<DWORD>(status)));
        }
    }
    DeleteKeyIfEmpty(kVarnelKey);
}

std::wstring LookUpServerExecutable() { return ReadInstallationRecord().exeName; }

std::wstring DescribeMissingServer(const InstallationRecord& record) {
    const std::wstring hive = L"HKEY_CURRENT_USER\\";
    if (!record.found) return L"there is no record " + hive + kVarnelKey;
    if (record.version.empty()) {
        return L"the record " + hive + kVarnelKey + L" has no \"" + kCurrentVersionValue + L"\"";
    }
    if (record.exeName.empty()) {
        return L"the record " + hive + SettingsKeyPath(record.version) + L" has no \"" + kExeNameValue + L"\"";
    }
    const DWORD attributes = ::GetFileAttributesW(record.exeName.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return L"the record's \"" + std::wstring(kExeNameValue) + L"\" is \"" + record.exeName + L"\", a folder, not a program";
    }
    std::wstring text = L"the record's \"" + std::wstring(kExeNameValue) + L"\" is \"" + record.exeName +
                        L"\", and there is no file there";
    if (record.exeName.find(L'%') != std::wstring::npos) text += L" (environment variables in it are not expanded)";
    return text;
}

}  // namespace CustomPipes
