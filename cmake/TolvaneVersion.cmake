# The version number lives once, in project() of the top CMakeLists.txt. Code reads it from a
# generated header (`#include "tolvane/version.h"`, target tolvane_version); the package, the
# AppStream release list and CHANGELOG.md are checked against it (packaging/).
configure_file(${CMAKE_CURRENT_LIST_DIR}/version.h.in
               ${PROJECT_BINARY_DIR}/generated/tolvane/version.h @ONLY)
add_library(tolvane_version INTERFACE)
target_include_directories(tolvane_version INTERFACE ${PROJECT_BINARY_DIR}/generated)
