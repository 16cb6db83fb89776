# The release version is written once, in project() in the top-level CMakeLists.txt. This makes
# it a header for the code, OrvVersion.h in the build tree, offered by the interface target
# orv_version; the packaging scripts read the same number from `orv-host --version`.
#
# Hosts get the version as one number with a digit per part: major * 1000 + minor * 100 +
# patch * 10 (1.5.0 is 1500), so minor and patch must stay single digits.
if(PROJECT_VERSION_MINOR GREATER 9 OR PROJECT_VERSION_PATCH GREATER 9)
    message(FATAL_ERROR "Version ${PROJECT_VERSION}: minor and patch must be 0 to 9, "
                        "the number hosts see has one digit for each")
endif()
math(EXPR ORV_VENDOR_VERSION
     "${PROJECT_VERSION_MAJOR} * 1000 + ${PROJECT_VERSION_MINOR} * 100 + ${PROJECT_VERSION_PATCH} * 10")
configure_file(${CMAKE_CURRENT_LIST_DIR}/OrvVersion.h.in ${PROJECT_BINARY_DIR}/generated/OrvVersion.h
               @ONLY)
add_library(orv_version INTERFACE)
target_include_directories(orv_version INTERFACE ${PROJECT_BINARY_DIR}/generated)
