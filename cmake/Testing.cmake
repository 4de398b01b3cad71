# GoogleTest and the way tests run: natively one CTest entry per test case,
# under Wine one entry per test program (each Wine start costs too much to pay per case).
include(CTest)
include(GoogleTest)

if(NOT BUILD_TESTING)
  return()
endif()

if(CMAKE_CROSSCOMPILING)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/_googletest EXCLUDE_FROM_ALL SYSTEM)
  if(NOT TARGET GTest::gtest_main)
    add_library(GTest::gtest ALIAS gtest)
    add_library(GTest::gtest_main ALIAS gtest_main)
    add_library(GTest::gmock ALIAS gmock)
  endif()
else()
  find_package(GTest REQUIRED)
endif()

if(WIN32 AND CMAKE_CROSSCOMPILING AND NOT PLOTXFER_SETUP_ONLY)
  # A private prefix inside the build tree, made once, with the null graphics driver
  # so dialogs work with no X server.
  set(PLOTXFER_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix CACHE PATH "Wine prefix used by the tests")
  set(PLOTXFER_WINE_RUN ${CMAKE_BINARY_DIR}/wine-run)
  configure_file(${CMAKE_SOURCE_DIR}/cmake/wine-run.in ${PLOTXFER_WINE_RUN}
                 FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE
                 @ONLY)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${PLOTXFER_WINE_RUN} CACHE FILEPATH "" FORCE)
  # A prefix only works with the Wine it was made by: one made before the 32-bit half of Wine was
  # installed fails to load kernel32.dll afterwards. The prefix's marker holds the Wine packages it
  # was made with; when they change, it is made again.
  execute_process(
    COMMAND dpkg-query -W -f "\${binary:Package} \${Version}\n" wine wine64 wine32:i386 libwine
            libwine:i386
    OUTPUT_VARIABLE wine_packages ERROR_QUIET)
  if(wine_packages STREQUAL "")
    execute_process(COMMAND wine64 --version OUTPUT_VARIABLE wine_packages ERROR_QUIET)
  endif()
  file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/wine-packages.txt CONTENT "${wine_packages}")
  add_custom_command(
    OUTPUT ${PLOTXFER_WINEPREFIX}/.plotxfer-ready
    COMMAND ${PLOTXFER_WINE_RUN} --make-prefix
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_BINARY_DIR}/wine-packages.txt
            ${PLOTXFER_WINEPREFIX}/.plotxfer-ready
    DEPENDS ${CMAKE_BINARY_DIR}/wine-packages.txt
    COMMENT "Creating the Wine prefix for the tests (again whenever Wine's packages change)"
    VERBATIM)
  add_custom_target(wineprefix ALL DEPENDS ${PLOTXFER_WINEPREFIX}/.plotxfer-ready)

  # One wineserver for the whole test run: started before the first Wine test, stopped after the last.
  add_test(NAME wine.start COMMAND ${PLOTXFER_WINE_RUN} --start-server)
  set_tests_properties(wine.start PROPERTIES FIXTURES_SETUP wine)
  add_test(NAME wine.stop COMMAND ${PLOTXFER_WINE_RUN} --stop-server)
  set_tests_properties(wine.stop PROPERTIES FIXTURES_CLEANUP wine)
endif()

# plotxfer_add_gtest(<target> [CODEPAGES] [RESOURCE_LOCK name]) registers a GoogleTest program.
# With CODEPAGES, under Wine it runs a second time with code page 1252.
function(plotxfer_add_gtest target)
  cmake_parse_arguments(ARG "CODEPAGES" "RESOURCE_LOCK" "" ${ARGN})
  # Tests that run the output utility, or a run that refuses to start while one runs, take turns.
  set(lock_props "")
  if(ARG_RESOURCE_LOCK)
    set(lock_props RESOURCE_LOCK ${ARG_RESOURCE_LOCK})
  endif()
  plotxfer_warnings(${target})
  target_link_libraries(${target} PRIVATE GTest::gtest_main GTest::gmock)
  if(PLOTXFER_SETUP_ONLY)
    return()  # the tree that includes this sub-build runs its tests
  endif()
  if(WIN32 AND CMAKE_CROSSCOMPILING)
    add_dependencies(${target} wineprefix)
    add_test(NAME ${target}.cp932 COMMAND ${target} --gtest_brief=1)
    set_tests_properties(${target}.cp932 PROPERTIES FIXTURES_REQUIRED wine
                         ENVIRONMENT "PLOTXFER_WINE_LANG=ja_JP.UTF-8" ${lock_props})
    if(ARG_CODEPAGES)
      add_test(NAME ${target}.cp1252 COMMAND ${target} --gtest_brief=1)
      set_tests_properties(${target}.cp1252 PROPERTIES FIXTURES_REQUIRED wine
                           ENVIRONMENT "PLOTXFER_WINE_LANG=en_US.UTF-8" ${lock_props})
    endif()
  else()
    gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120 ${lock_props})
  endif()
endfunction()
