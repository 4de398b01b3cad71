# The one version of everything this tree ships: the project's version feeds a generated header
# (version resources, plotxfer-batch --version) and the names of the installer and the packages.
set(PLOTXFER_VERSION_QUAD
    "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0")
string(REPLACE "." "," PLOTXFER_VERSION_COMMAS "${PLOTXFER_VERSION_QUAD}")
set(PLOTXFER_GENERATED_DIR ${PROJECT_BINARY_DIR}/generated)
configure_file(${CMAKE_CURRENT_LIST_DIR}/plotxfer_version.h.in
               ${PLOTXFER_GENERATED_DIR}/plotxfer_version.h @ONLY)

add_library(plotxfer_version INTERFACE)
target_include_directories(plotxfer_version INTERFACE ${PLOTXFER_GENERATED_DIR})
