# Varnel.Client, the COM face of varnel.dll (included from library/CMakeLists.txt): the
# type library and the C++ declaration of its interface made from varnel_client.idl at
# build time, the library embedded as TYPELIB resource 1, the server's sources.
set(com_dir ${CMAKE_CURRENT_SOURCE_DIR}/com)
set(com_out ${CMAKE_CURRENT_BINARY_DIR}/com)
set(com_idl ${com_dir}/varnel_client.idl)
set(com_made ${com_out}/varnel_client.tlb ${com_out}/varnel_client.h ${com_out}/varnel_client_i.c)
file(MAKE_DIRECTORY ${com_out})

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(com_bits 64)
  set(com_widl_names x86_64-w64-mingw32-widl widl)
else()
  set(com_bits 32)
  set(com_widl_names i686-w64-mingw32-widl widl)
endif()

if(MSVC)
  # The Windows SDK's midl finds oaidl.idl and stdole2.tlb by itself.
  add_custom_command(OUTPUT ${com_made}
    COMMAND midl /nologo /env win${com_bits} /out ${com_out} /tlb varnel_client.tlb /h varnel_client.h
            /iid varnel_client_i.c ${com_idl}
    DEPENDS ${com_idl} VERBATIM)
else()
  # widl from MinGW-w64's tools; the IDL files it imports (oaidl.idl) and stdole2.tlb,
  # the standard types the library refers to, come with Wine (Debian's libwine-dev and
  # wine64). stdole2.tlb only resolves names here; its platform does not matter. Where
  # they are missing the tree still configures, so that the demo builds without them,
  # and building varnel.dll says what to install.
  find_program(VARNEL_WIDL NAMES ${com_widl_names})
  find_path(VARNEL_IDL_INCLUDE_DIR oaidl.idl
    PATHS /usr/include/wine/wine/windows /usr/include/wine/windows /usr/include/wine-development/wine/windows
    NO_CMAKE_FIND_ROOT_PATH)
  find_path(VARNEL_STDOLE2_DIR stdole2.tlb
    PATHS /usr/lib/x86_64-linux-gnu/wine/x86_64-windows /usr/lib/i386-linux-gnu/wine/i386-windows
          /usr/lib/wine/x86_64-windows /usr/lib/wine/i386-windows "$ENV{SystemRoot}/System32"
    NO_CMAKE_FIND_ROOT_PATH)
  if(VARNEL_WIDL AND VARNEL_IDL_INCLUDE_DIR AND VARNEL_STDOLE2_DIR)
    set(widl ${VARNEL_WIDL} --win${com_bits} -I${VARNEL_IDL_INCLUDE_DIR} -L${VARNEL_STDOLE2_DIR})
    add_custom_command(OUTPUT ${com_made}
      COMMAND ${widl} -t -o ${com_out}/varnel_client.tlb ${com_idl}
      COMMAND ${widl} -h -o ${com_out}/varnel_client.h ${com_idl}
      COMMAND ${widl} -u -o ${com_out}/varnel_client_i.c ${com_idl}
      DEPENDS ${com_idl} VERBATIM)
  else()
    add_custom_command(OUTPUT ${com_made}
      COMMAND ${CMAKE_COMMAND} -E echo "Varnel.Client's type library needs widl, oaidl.idl and stdole2.tlb (widl: ${VARNEL_WIDL}, oaidl.idl: ${VARNEL_IDL_INCLUDE_DIR}, stdole2.tlb: ${VARNEL_STDOLE2_DIR}); scripts/bootstrap package installs them"
      COMMAND ${CMAKE_COMMAND} -E false
      VERBATIM)
  endif()
endif()

# registration.keys, the list of what registration writes, compiled in as text; the
# installer reads the same file (installer/build-msi).
set(com_keys ${com_dir}/registration.keys)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${com_keys})
file(READ ${com_keys} VARNEL_REGISTRATION_KEYS)
file(CONFIGURE OUTPUT ${com_out}/registration_keys.h @ONLY CONTENT
  "// Made by the build from library/com/registration.keys.\n#pragma once\n\ninline constexpr wchar_t kRegistrationKeys[] = LR\"keys(@VARNEL_REGISTRATION_KEYS@)keys\";\n")

target_sources(varnel PRIVATE
  ${com_dir}/client.cpp
  ${com_dir}/class_registration.cpp
  ${com_dir}/server.cpp
  ${com_dir}/varnel_client.rc
  ${com_out}/varnel_client_i.c
  ${com_out}/varnel_client.h)
# windres and rc look for the .tlb the .rc names in the include folders.
target_include_directories(varnel PRIVATE ${com_dir} ${com_out})
set_source_files_properties(${com_dir}/varnel_client.rc PROPERTIES OBJECT_DEPENDS ${com_out}/varnel_client.tlb)
target_link_libraries(varnel PRIVATE ole32 oleaut32 uuid advapi32)
