// The COM in-process server of varnel.dll: what its pieces share. The exports
// (DllGetClassObject, DllCanUnloadNow, DllRegisterServer, DllUnregisterServer,
// DllInstall) are in server.cpp and class_registration.cpp.
#pragma once

#include "win32.h"

#include <string>

namespace library::com {

// The class's names in the registry; the first is also the source of its errors.
inline constexpr wchar_t kProgId[] = L"Varnel.Client";
inline constexpr wchar_t kVersionedProgId[] = L"Varnel.Client.1";

// Every object and lock that keeps the DLL loaded counts here; DllCanUnloadNow
// answers from it.
void ModuleAddRef() noexcept;
void ModuleRelease() noexcept;

// This DLL's full path, as the registry names it and the type library is loaded from.
std::wstring ModulePath();

}  // namespace library::com
