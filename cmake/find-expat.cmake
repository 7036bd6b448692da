# expat: built from the sources that scripts/bootstrap unpacks into third_party/expat,
# or, where those are absent (a native Windows build), taken from find_package.
set(EXPAT_SOURCE_DIR ${PROJECT_SOURCE_DIR}/third_party/expat CACHE PATH "expat source tree")

if(EXISTS ${EXPAT_SOURCE_DIR}/lib/xmlparse.c)
  # expat's own CMake files generate a config header that the patched tree cannot
  # compile against (XML_DTD defined without a value), so the library is built here.
  set(config_dir ${CMAKE_BINARY_DIR}/expat-config)
  file(WRITE ${config_dir}/expat_config.h.in [=[
#pragma once
#define BYTEORDER 1234
#define XML_DTD 1
#define XML_NS 1
#define XML_GE 1
#define XML_CONTEXT_BYTES 1024
#define HAVE_MEMMOVE 1
]=])
  configure_file(${config_dir}/expat_config.h.in ${config_dir}/expat_config.h COPYONLY)
  add_library(expat STATIC
    ${EXPAT_SOURCE_DIR}/lib/xmlparse.c
    ${EXPAT_SOURCE_DIR}/lib/xmltok.c
    ${EXPAT_SOURCE_DIR}/lib/xmlrole.c)
  target_include_directories(expat SYSTEM PUBLIC ${EXPAT_SOURCE_DIR}/lib PRIVATE ${config_dir})
  target_compile_definitions(expat PUBLIC XML_STATIC)
  if(NOT MSVC)
    target_compile_options(expat PRIVATE -w)  # third-party code: its warnings are not ours
  endif()
  add_library(EXPAT::EXPAT ALIAS expat)
else()
  find_package(EXPAT REQUIRED)
endif()
