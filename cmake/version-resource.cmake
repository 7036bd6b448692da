# varnel_version_resource(TARGET DESCRIPTION): gives a program or DLL of the project
# its version record, made from cmake/version.rc.in with the project's one version
# and name, so that every file that ships says the same version.
function(varnel_version_resource target description)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "SHARED_LIBRARY")
    set(VARNEL_FILE_TYPE VFT_DLL)
    set(VARNEL_FILE_NAME ${target}.dll)
  else()
    set(VARNEL_FILE_TYPE VFT_APP)
    set(VARNEL_FILE_NAME ${target}.exe)
  endif()
  set(VARNEL_FILE_DESCRIPTION "${description}")
  set(VARNEL_INTERNAL_NAME ${target})
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}-version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
