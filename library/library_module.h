// varnel.dll itself, as a module that hosts load and unload.
#pragma once

#include "win32.h"

// The base address of this module, supplied by the linker (MinGW and MSVC alike).
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace library {

inline HMODULE LibraryModule() noexcept { return reinterpret_cast<HMODULE>(&__ImageBase); }

// One more reference to the library, which keeps it loaded until it is given back with
// FreeLibrary; null when none could be taken.
inline HMODULE HoldLibrary() noexcept {
    HMODULE module = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(LibraryModule()), &module);
    return module;
}

}  // namespace library
