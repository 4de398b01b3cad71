# The installer is a 32-bit program and can load only a 32-bit library, so the 64-bit tree builds
# this library a second time with the i686 tool chain, in <build>/setup32. The installer bundles
# that build; tests/setup runs its tests from this tree.
include(ExternalProject)
set(PLOTXFER_SETUP32_DIR ${CMAKE_BINARY_DIR}/setup32 CACHE INTERNAL "")
set(PLOTXFER_SETUP32_DLL ${PLOTXFER_SETUP32_DIR}/src/setup/VxSetup.dll CACHE INTERNAL "")
set(PLOTXFER_SETUP32_TESTS ${PLOTXFER_SETUP32_DIR}/src/setup/vxsetup_tests.exe CACHE INTERNAL "")
ExternalProject_Add(vxsetup32
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${PLOTXFER_SETUP32_DIR}
  CMAKE_GENERATOR ${CMAKE_GENERATOR}
  CMAKE_ARGS
    -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/toolchain-mingw32.cmake
    -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
    -DPLOTXFER_SETUP_ONLY=ON
    -DBUILD_TESTING=${BUILD_TESTING}
  BUILD_COMMAND ${CMAKE_COMMAND} --build ${PLOTXFER_SETUP32_DIR} --target VxSetup
                $<$<BOOL:${BUILD_TESTING}>:vxsetup_tests>
  BUILD_ALWAYS ON
  INSTALL_COMMAND ""
  BUILD_BYPRODUCTS ${PLOTXFER_SETUP32_DLL} ${PLOTXFER_SETUP32_TESTS})
