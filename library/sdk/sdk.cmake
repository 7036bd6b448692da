# The SDK that ships beside varnel.dll (included from library/CMakeLists.txt): the
# Visual C++ import library varnel.lib made after each link, beside the DLL and
# MinGW-w64's libvarnel.dll.a, and the version file of sdk/VarnelConfig.cmake.
# scripts/package lays them out as include/, lib/x64 or lib/x86 and lib/cmake/Varnel.
include(CMakePackageConfigHelpers)
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/sdk/VarnelConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion ARCH_INDEPENDENT)

if(MINGW)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(sdk_machine i386:x86-64)
    set(sdk_dlltool x86_64-w64-mingw32-dlltool)
  else()
    set(sdk_machine i386)
    set(sdk_dlltool i686-w64-mingw32-dlltool)
  endif()
  find_program(VARNEL_DLLTOOL NAMES ${sdk_dlltool} dlltool REQUIRED)
  add_custom_command(TARGET varnel POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DDEF=${CMAKE_CURRENT_SOURCE_DIR}/varnel.def -DDLL=$<TARGET_FILE:varnel>
            -DOUT=$<TARGET_FILE_DIR:varnel>/varnel.lib -DDLLTOOL=${VARNEL_DLLTOOL} -DNM=${CMAKE_NM}
            -DMACHINE=${sdk_machine} -P ${CMAKE_CURRENT_SOURCE_DIR}/sdk/import-library.cmake
    VERBATIM)
endif()
