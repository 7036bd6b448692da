# find_package(Varnel CONFIG): Varnel::varnel, varnel.dll for the bitness being built,
# from this folder's SDK: include/varnel.h, lib/x64 or lib/x86 (libvarnel.dll.a for
# MinGW-w64, varnel.lib for Visual C++) and the DLL itself (the target's location, to
# copy beside the program that uses it).
get_filename_component(_varnel_root "${CMAKE_CURRENT_LIST_DIR}/../../.." ABSOLUTE)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(_varnel_arch x64)
else()
  set(_varnel_arch x86)
endif()
if(MSVC)
  set(_varnel_implib "${_varnel_root}/lib/${_varnel_arch}/varnel.lib")
else()
  set(_varnel_implib "${_varnel_root}/lib/${_varnel_arch}/libvarnel.dll.a")
endif()
# The installed tools keep the x86 DLL in x86\; a package of one bitness has its DLL at the top.
if(_varnel_arch STREQUAL "x86" AND EXISTS "${_varnel_root}/x86/varnel.dll")
  set(_varnel_dll "${_varnel_root}/x86/varnel.dll")
else()
  set(_varnel_dll "${_varnel_root}/varnel.dll")
endif()
if(NOT EXISTS "${_varnel_implib}")
  set(Varnel_FOUND FALSE)
  set(Varnel_NOT_FOUND_MESSAGE "${_varnel_root} has no ${_varnel_arch} import library (${_varnel_implib}): a ${_varnel_arch} build needs the ${_varnel_arch} package (win64 for x64, win32 for x86) or the installed tools")
  return()
endif()
if(NOT TARGET Varnel::varnel)
  add_library(Varnel::varnel SHARED IMPORTED)
  set_target_properties(Varnel::varnel PROPERTIES
    IMPORTED_LOCATION "${_varnel_dll}"
    IMPORTED_IMPLIB "${_varnel_implib}"
    INTERFACE_INCLUDE_DIRECTORIES "${_varnel_root}/include")
endif()
