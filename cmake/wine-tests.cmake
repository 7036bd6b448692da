# Under a cross build the tests run in Wine: wine-run starts a program of the build in
# the tests' own Wine session (prefix, virtual display and code page 1251), which the
# fixture in tests/ sets up before the first test and tears down after the last.
if(CMAKE_CROSSCOMPILING AND CMAKE_HOST_UNIX)
  set(WINE_TEST_SESSION ${CMAKE_BINARY_DIR}/wine-session)
  configure_file(${PROJECT_SOURCE_DIR}/scripts/lib/wine-run.in ${CMAKE_BINARY_DIR}/wine-run @ONLY
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)
endif()
