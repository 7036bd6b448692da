// Registration as the Active Template Library does it: regsvr32 varnel.dll writes the
// class under HKEY_LOCAL_MACHINE\Software\Classes (the machine), regsvr32 /n /i:user
// varnel.dll through DllInstall under HKEY_CURRENT_USER\Software\Classes (this user
// only); the /u forms remove exactly that. The keys are written here rather than by
// RegisterTypeLib(ForUser), so that one list says what is written and removed in both
// places. That list is registration.keys, which the installer's Registry table is made
// from too.
//
// Each DLL writes in the registry view of its own bitness: on 64-bit Windows the x86
// DLL's CLSID and Interface keys land in the 32-bit view (Wow6432Node), the x64 DLL's
// in the 64-bit one, so both can be registered side by side. The ProgIDs and the
// TypeLib key are shared by the two views (the type library keeps one path per
// platform under it): they are removed only when the other bitness is not registered.
#include "handles.h"
#include "registration_keys.h"
#include "server.h"
#include "varnel_client.h"

#include <algorithm>
#include <iterator>
#include <memory>
#include <new>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr wchar_t kClasses[] = L"Software\\Classes\\";
constexpr const wchar_t* kPlatform = sizeof(void*) == 8 ? L"win64" : L"win32";

struct Value {
    std::wstring name;  // empty: the key's default value
    std::wstring data;
};

struct Key {
    std::wstring path;  // below Software\Classes
    std::vector<Value> values;
};

std::wstring GuidText(REFGUID guid) {
    wchar_t text[40];
    return ::StringFromGUID2(guid, text, static_cast<int>(std::size(text))) ? text : L"";
}

std::wstring Folder(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\') + 1); }

struct ITypeLibRelease {
    void operator()(ITypeLib* library) const noexcept { library->Release(); }
};

// What the keys say of the type library, read from the one embedded in this DLL, so
// that its identity, version and help strings are written once, in the IDL.
struct LibraryFacts {
    std::wstring libid;
    std::wstring version;  // "1.0"
    std::wstring libraryHelp;
    std::wstring classHelp;
    std::wstring interfaceName;
};

std::wstring Documentation(ITypeLib* library, REFGUID guid, bool name) {
    ITypeInfo* info = nullptr;
    if (FAILED(library->GetTypeInfoOfGuid(guid, &info))) return {};
    BSTR text = nullptr;
    info->GetDocumentation(MEMBERID_NIL, name ? &text : nullptr, name ? nullptr : &text, nullptr, nullptr);
    info->Release();
    std::wstring result = text ? text : L"";
    ::SysFreeString(text);
    return result;
}

HRESULT ReadLibrary(const std::wstring& dllPath, LibraryFacts& facts) {
    ITypeLib* raw = nullptr;
    if (const HRESULT hr = ::LoadTypeLibEx(dllPath.c_str(), REGKIND_NONE, &raw); FAILED(hr)) return hr;
    const std::unique_ptr<ITypeLib, ITypeLibRelease> library(raw);
    TLIBATTR* attributes = nullptr;
    if (const HRESULT hr = library->GetLibAttr(&attributes); FAILED(hr)) return hr;
    facts.libid = GuidText(attributes->guid);
    facts.version = std::to_wstring(attributes->wMajorVerNum) + L"." + std::to_wstring(attributes->wMinorVerNum);
    library->ReleaseTLibAttr(attributes);
    BSTR help = nullptr;
    library->GetDocumentation(-1, nullptr, &help, nullptr, nullptr);
    facts.libraryHelp = help ? help : L"";
    ::SysFreeString(help);
    facts.classHelp = Documentation(library.get(), CLSID_Client, false);
    facts.interfaceName = Documentation(library.get(), IID_IVarnelClient, true);
    return S_OK;
}

// Keys of this bitness's own view.
std::wstring ClassKey() { return L"CLSID\\" + GuidText(CLSID_Client); }
std::wstring InterfaceKey() { return L"Interface\\" + GuidText(IID_IVarnelClient); }
// Keys the two views share.
std::wstring LibraryKey(const LibraryFacts& facts) { return L"TypeLib\\" + facts.libid; }

// What the $(...) of registration.keys stand for.
using Facts = std::vector<std::pair<std::wstring, std::wstring>>;

std::wstring Expand(std::wstring text, const Facts& facts) {
    for (size_t at = text.find(L"$("); at != std::wstring::npos; at = text.find(L"$(", at)) {
        const size_t end = text.find(L')', at);
        const std::wstring name = end == std::wstring::npos ? L"" : text.substr(at + 2, end - at - 2);
        const auto fact = std::find_if(facts.begin(), facts.end(), [&](const auto& f) { return f.first == name; });
        if (fact == facts.end()) throw std::invalid_argument("registration.keys names an unknown value");
        text.replace(at, end + 1 - at, fact->second);
        at += fact->second.size();
    }
    return text;
}

std::vector<Key> KeysToWrite(const std::wstring& dllPath, const LibraryFacts& library) {
    const Facts facts{
        {L"clsid", GuidText(CLSID_Client)},
        {L"iid", GuidText(IID_IVarnelClient)},
        {L"libid", library.libid},
        {L"version", library.version},
        {L"classHelp", library.classHelp},
        {L"libraryHelp", library.libraryHelp},
        {L"interfaceName", library.interfaceName},
        {L"progId", library::com::kProgId},
        {L"versionedProgId", library::com::kVersionedProgId},
        {L"dll", dllPath},
        {L"folder", Folder(dllPath)},
        {L"platform", kPlatform},
    };
    std::vector<Key> keys;
    std::wistringstream lines(kRegistrationKeys);
    for (std::wstring line; std::getline(lines, line);) {
        std::wistringstream fields(line);
        std::wstring key, name, data;
        if (!(fields >> key >> name) || key[0] == L'#') continue;
        std::getline(fields >> std::ws, data);
        key = Expand(key, facts);
        // Values of one key stand on consecutive lines.
        if (keys.empty() || keys.back().path != key) keys.push_back({key, {}});
        keys.back().values.push_back({name == L"@" ? L"" : name, Expand(data, facts)});
    }
    return keys;
}

LSTATUS WriteKey(HKEY root, const Key& key) {
    HKEY raw = nullptr;
    const std::wstring path = kClasses + key.path;
    if (const LSTATUS status = ::RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                                 KEY_SET_VALUE, nullptr, &raw, nullptr);
        status != ERROR_SUCCESS) {
        return status;
    }
    const CustomPipes::UniqueHkey owned(raw);
    for (const Value& value : key.values) {
        const auto bytes = static_cast<DWORD>((value.data.size() + 1) * sizeof(wchar_t));
        if (const LSTATUS status = ::RegSetValueExW(raw, value.name.c_str(), 0, REG_SZ,
                                                    reinterpret_cast<const BYTE*>(value.data.c_str()), bytes);
            status != ERROR_SUCCESS) {
            return status;
        }
    }
    return ERROR_SUCCESS;
}

LSTATUS DeleteTree(HKEY root, const std::wstring& path) {
    const LSTATUS status = ::RegDeleteTreeW(root, (kClasses + path).c_str());
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

bool KeyExists(HKEY root, const std::wstring& path, REGSAM view) {
    HKEY raw = nullptr;
    const LSTATUS status = ::RegOpenKeyExW(root, (kClasses + path).c_str(), 0, KEY_READ | view, &raw);
    const CustomPipes::UniqueHkey owned(raw);
    return status == ERROR_SUCCESS;
}

// Whether a key has subkeys left.
bool HasSubkeys(HKEY root, const std::wstring& path) {
    HKEY raw = nullptr;
    if (::RegOpenKeyExW(root, (kClasses + path).c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS) return false;
    const CustomPipes::UniqueHkey owned(raw);
    DWORD subkeys = 0;
    return ::RegQueryInfoKeyW(raw, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr, nullptr,
                              nullptr, nullptr) == ERROR_SUCCESS &&
           subkeys > 0;
}

HRESULT Unregister(HKEY root) {
    LibraryFacts facts;
    if (const HRESULT hr = ReadLibrary(library::com::ModulePath(), facts); FAILED(hr)) return hr;
    LSTATUS status = DeleteTree(root, ClassKey());
    if (status == ERROR_SUCCESS) status = DeleteTree(root, InterfaceKey());
    const std::wstring platforms = LibraryKey(facts) + L"\\" + facts.version + L"\\0";
    if (status == ERROR_SUCCESS) status = DeleteTree(root, platforms + L"\\" + kPlatform);
    // The other bitness's class, in its own view, still uses the shared keys.
    const REGSAM otherView = sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
    if (status == ERROR_SUCCESS && !KeyExists(root, ClassKey(), otherView)) {
        status = DeleteTree(root, library::com::kProgId);
        if (status == ERROR_SUCCESS) status = DeleteTree(root, library::com::kVersionedProgId);
        if (status == ERROR_SUCCESS && !HasSubkeys(root, platforms)) status = DeleteTree(root, LibraryKey(facts));
    }
    return HRESULT_FROM_WIN32(status);
}

HRESULT Register(HKEY root) {
    const std::wstring dllPath = library::com::ModulePath();
    if (dllPath.empty()) return HRESULT_FROM_WIN32(::GetLastError());
    LibraryFacts facts;
    if (const HRESULT hr = ReadLibrary(dllPath, facts); FAILED(hr)) return hr;
    for (const Key& key : KeysToWrite(dllPath, facts)) {
        if (const LSTATUS status = WriteKey(root, key); status != ERROR_SUCCESS) {
            Unregister(root);  // nothing half-written is left behind
            return HRESULT_FROM_WIN32(status);
        }
    }
    return S_OK;
}

template <typename Action>
HRESULT Guarded(Action action) noexcept {
    try {
        return action();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

}  // namespace

extern "C" {

HRESULT STDAPICALLTYPE DllRegisterServer(void) {
    return Guarded([] { return Register(HKEY_LOCAL_MACHINE); });
}

HRESULT STDAPICALLTYPE DllUnregisterServer(void) {
    return Guarded([] { return Unregister(HKEY_LOCAL_MACHINE); });
}

// regsvr32 /i:user (with /n: alone) registers for the current user; /i without a
// command line, or /i:machine, for the machine, as DllRegisterServer does.
HRESULT STDAPICALLTYPE DllInstall(BOOL install, LPCWSTR commandLine) {
    return Guarded([&] {
        HKEY root = nullptr;
        if (commandLine && ::lstrcmpiW(commandLine, L"user") == 0) {
            root = HKEY_CURRENT_USER;
        } else if (!commandLine || !*commandLine || ::lstrcmpiW(commandLine, L"machine") == 0) {
            root = HKEY_LOCAL_MACHINE;
        } else {
            return E_INVALIDARG;
        }
        return install ? Register(root) : Unregister(root);
    });
}

}  // extern "C"
