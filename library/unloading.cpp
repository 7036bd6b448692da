// What the library gives back when a host unloads it. Nothing here starts, waits or
// loads: the loader lock is held. (The library's thread starts with the first run and
// ends with the last search's free, not here.)
#include "win32.h"

#include <cstddef>  // names the standard library, and so defines __GLIBCXX__ for libstdc++

#if defined(__GLIBCXX__)
namespace __gnu_cxx {
void __freeres() noexcept;  // libstdc++'s own, declared in none of its headers
}
#endif

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, void* processEnds) {
#if defined(__GLIBCXX__)
    // libstdc++ sets aside a buffer (about 72 KiB) for exceptions thrown when memory runs
    // out as the DLL loads, and never frees it: a host that loads and unloads the library
    // again and again would lose it each time. At process exit the system takes it all.
    if (reason == DLL_PROCESS_DETACH && !processEnds) __gnu_cxx::__freeres();
#else
    (void)reason;
    (void)processEnds;
#endif
    return TRUE;
}
