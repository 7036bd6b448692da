// Reading Varnel's server installation record.
#include "CustomPipes.h"

#include "handles.h"
#include "program_error.h"
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

bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

// A string value as stored, up to its first NUL and without expanding variables. Data
// stored without a terminator or with an odd byte count is read as far as it goes.
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

}  // namespace

std::wstring LookUpServerExecutable() {
    const std::wstring version = ReadStringValue(kVarnelKey, kCurrentVersionValue);
    // An empty version gives "...\Varnel\\settings", which normally does not exist.
    return ReadStringValue(std::wstring(kVarnelKey) + L"\\" + version + L"\\" + kSettingsSubkey, kExeNameValue);
}

bool IsExistingFile(const std::wstring& path) {
    if (path.empty()) return false;
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;

    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME) return false;
    // Other failures (a file locked for sharing, say): let a directory search decide.
    WIN32_FIND_DATAW found{};
    const UniqueFindHandle search(::FindFirstFileW(path.c_str(), &found));
    if (search.handle == INVALID_HANDLE_VALUE) return false;
    return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace CustomPipes
