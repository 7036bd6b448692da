// A plug-in DLL as a host program loads one, that uses varnel.dll for itself: loaded by
// the path in VARNEL_PLUGIN_LIBRARY and called through GetProcAddress. With
// VARNEL_PLUGIN_RUN_IN_ATTACH set it searches from its DllMain, as careless plug-ins
// do, under the loader lock. Its one open search is freed in DLL_PROCESS_DETACH, also
// under the loader lock.
#include "varnel.h"

#include "win32.h"

#include <chrono>
#include <cwchar>

namespace {

constexpr const wchar_t* kCode = L"01016433305000";

struct Varnel {
    decltype(&varnel_search_new) searchNew = nullptr;
    decltype(&varnel_search_free) searchFree = nullptr;
    decltype(&varnel_search_set) searchSet = nullptr;
    decltype(&varnel_search_run) searchRun = nullptr;
    decltype(&varnel_search_error) searchError = nullptr;
} varnel;

VarnelSearch* openSearch = nullptr;
int attachCode = -1;
unsigned attachMs = 0;
wchar_t attachReason[1024] = L"";

template <typename Function>
void Find(HMODULE module, Function& function, const char* name) {
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

bool LoadVarnel() {
    if (varnel.searchRun) return true;
    wchar_t path[MAX_PATH * 4];
    const DWORD length = ::GetEnvironmentVariableW(L"VARNEL_PLUGIN_LIBRARY", path, MAX_PATH * 4);
    if (length == 0 || length >= MAX_PATH * 4) return false;
    // Kept loaded until the process ends: a DllMain that unloads libraries asks for trouble.
    const HMODULE module = ::LoadLibraryW(path);
    if (!module) return false;
    Find(module, varnel.searchNew, "varnel_search_new");
    Find(module, varnel.searchFree, "varnel_search_free");
    Find(module, varnel.searchSet, "varnel_search_set");
    Find(module, varnel.searchRun, "varnel_search_run");
    Find(module, varnel.searchError, "varnel_search_error");
    return varnel.searchNew && varnel.searchFree && varnel.searchSet && varnel.searchRun && varnel.searchError;
}

// Runs the open search (made first) by court code; 4 when the library cannot be had.
int RunByCode(unsigned timeoutMs) {
    if (!LoadVarnel()) return VARNEL_FAILED;
    if (!openSearch) openSearch = varnel.searchNew();
    if (!openSearch) return VARNEL_FAILED;
    if (varnel.searchSet(openSearch, L"by", L"code") != VARNEL_OK) return VARNEL_REFUSED;
    if (varnel.searchSet(openSearch, L"code", kCode) != VARNEL_OK) return VARNEL_REFUSED;
    return varnel.searchRun(openSearch, timeoutMs);
}

void RunInAttach() {
    const auto start = std::chrono::steady_clock::now();
    attachCode = RunByCode(2000);
    attachMs = static_cast<unsigned>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count());
    if (openSearch) std::swprintf(attachReason, std::size(attachReason), L"%ls", varnel.searchError(openSearch));
}

}  // namespace

extern "C" {

// What the search run in DLL_PROCESS_ATTACH gave: its code (-1: none was run), how long
// it took and its reason.
__declspec(dllexport) int plugin_attach_result(unsigned* elapsedMs, const wchar_t** reason) {
    *elapsedMs = attachMs;
    *reason = attachReason;
    return attachCode;
}

// A search by court code, run by the host outside the loader lock and kept open.
__declspec(dllexport) int plugin_run(void) { return RunByCode(10000); }

}  // extern "C"

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, void* processEnds) {
    if (reason == DLL_PROCESS_ATTACH && ::GetEnvironmentVariableW(L"VARNEL_PLUGIN_RUN_IN_ATTACH", nullptr, 0) > 0) {
        RunInAttach();
    }
    // At the process's end the other threads are gone already; only an unloading frees.
    if (reason == DLL_PROCESS_DETACH && !processEnds && openSearch) varnel.searchFree(openSearch);
    return TRUE;
}
