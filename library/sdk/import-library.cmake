# cmake -DDEF=varnel.def -DDLL=varnel.dll -DOUT=varnel.lib -DDLLTOOL=... -DNM=... -DMACHINE=i386|i386:x86-64
#   -P import-library.cmake
# varnel.lib, the import library Visual C++ links with, made from varnel.def. On x86 a
# caller of a __stdcall function asks for its decorated name (varnel_search_run@8)
# while the DLL exports the plain one: the names of the .def are decorated here with
# the sizes the built DLL's symbols carry, and dlltool -k imports them under the plain
# names again.
file(STRINGS "${DEF}" lines)
set(def "LIBRARY varnel.dll\nEXPORTS\n")
if(MACHINE STREQUAL "i386")
  execute_process(COMMAND "${NM}" "${DLL}" OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
endif()
foreach(line IN LISTS lines)
  # Exports only; PRIVATE ones (COM's) are found with GetProcAddress, never linked.
  if(NOT line MATCHES "^[ \t]+([A-Za-z_][A-Za-z0-9_]*)[ \t]*$")
    continue()
  endif()
  set(name ${CMAKE_MATCH_1})
  if(MACHINE STREQUAL "i386")
    if(NOT symbols MATCHES " T _${name}(@[0-9]+)\n")
      message(FATAL_ERROR "${DLL} has no __stdcall symbol for ${name}")
    endif()
    string(APPEND name ${CMAKE_MATCH_1})
  endif()
  string(APPEND def "    ${name}\n")
endforeach()
file(WRITE "${OUT}.def" "${def}")
execute_process(COMMAND "${DLLTOOL}" -m ${MACHINE} -k -d "${OUT}.def" -D varnel.dll -l "${OUT}" COMMAND_ERROR_IS_FATAL ANY)
