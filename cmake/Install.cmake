# The SDK: flat public headers, the DLL with its import library and the runtime
# DLLs it loads, and a CMake package, so that a module builds against it with
#   find_package(Common CONFIG REQUIRED)
#   target_link_libraries(app PRIVATE Common::Common)
#
# Layout of a prefix (both targets may be installed into the same one):
#   include/                    the CT_*.h headers, the same for both targets
#   win32/ or win64/            Common.dll, Common.lib, the runtime DLLs
#   cmake/                      CommonConfig.cmake, one targets file per target,
#                               the toolchain files the guide names
#   doc/html/                   the API reference with the guide
#   README.md, CHANGELOG.md, LICENSE
# That is the component "sdk"; the component "debug" puts the DLLs' .debug
# files beside them. CPack makes one archive of each per target (see below).
include(CMakePackageConfigHelpers)

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(COMMON_INSTALL_ARCH win64)
else()
    set(COMMON_INSTALL_ARCH win32)
endif()
set(COMMON_INSTALL_PACKAGE_DIR cmake)

install(TARGETS Common EXPORT CommonTargets
        RUNTIME DESTINATION ${COMMON_INSTALL_ARCH} COMPONENT sdk
        LIBRARY DESTINATION ${COMMON_INSTALL_ARCH} COMPONENT sdk
        ARCHIVE DESTINATION ${COMMON_INSTALL_ARCH} COMPONENT sdk)
install(FILES ${COMMON_PUBLIC_HEADERS} DESTINATION include COMPONENT sdk)
install(FILES ${COMMON_RUNTIME_DLLS} DESTINATION ${COMMON_INSTALL_ARCH} COMPONENT sdk)
list(TRANSFORM COMMON_RUNTIME_DLLS APPEND .debug OUTPUT_VARIABLE runtime_debug_files)
install(FILES $<TARGET_FILE:Common>.debug ${runtime_debug_files}
        DESTINATION ${COMMON_INSTALL_ARCH} COMPONENT debug EXCLUDE_FROM_ALL)
# One targets file per target, so that installing the other one beside it
# does not replace it; the package picks the one that fits the consumer.
install(EXPORT CommonTargets NAMESPACE Common:: FILE CommonTargets-${COMMON_INSTALL_ARCH}.cmake
        DESTINATION ${COMMON_INSTALL_PACKAGE_DIR} COMPONENT sdk)
# The DLLs a module's program needs beside it, named for the package.
file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/CommonRuntime-${COMMON_INSTALL_ARCH}.cmake
     CONTENT "# The DLLs that a module's program loads, in ${COMMON_INSTALL_ARCH}/.
set(_common_runtime_names $<TARGET_FILE_NAME:Common> ${COMMON_RUNTIME_DLL_NAMES})
")
install(FILES ${CMAKE_BINARY_DIR}/CommonRuntime-${COMMON_INSTALL_ARCH}.cmake
        DESTINATION ${COMMON_INSTALL_PACKAGE_DIR} COMPONENT sdk)

configure_package_config_file(${CMAKE_SOURCE_DIR}/cmake/CommonConfig.cmake.in
    ${CMAKE_BINARY_DIR}/CommonConfig.cmake
    INSTALL_DESTINATION ${COMMON_INSTALL_PACKAGE_DIR})
# The version file serves both targets; the package itself refuses a consumer
# whose target was not installed.
write_basic_package_version_file(${CMAKE_BINARY_DIR}/CommonConfigVersion.cmake
    COMPATIBILITY SameMajorVersion ARCH_INDEPENDENT)
# The toolchain files that the guide names go with the package.
install(FILES ${CMAKE_BINARY_DIR}/CommonConfig.cmake ${CMAKE_BINARY_DIR}/CommonConfigVersion.cmake
              ${CMAKE_SOURCE_DIR}/cmake/mingw-common.cmake ${CMAKE_SOURCE_DIR}/cmake/mingw-i686.cmake
              ${CMAKE_SOURCE_DIR}/cmake/mingw-x86_64.cmake
        DESTINATION ${COMMON_INSTALL_PACKAGE_DIR} COMPONENT sdk)

install(DIRECTORY ${COMMON_REFERENCE_DIR}/html DESTINATION doc COMPONENT sdk)
string(REGEX MATCH "^[0-9]+" COMMON_COMPILER_MAJOR "${CMAKE_CXX_COMPILER_VERSION}")
configure_file(${CMAKE_SOURCE_DIR}/SDK-README.md.in ${CMAKE_BINARY_DIR}/README.md @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/README.md ${CMAKE_SOURCE_DIR}/CHANGELOG.md ${CMAKE_SOURCE_DIR}/LICENSE
        DESTINATION . COMPONENT sdk)

# The release: cpack in a build folder makes Common-<version>-win32.zip (the
# component sdk) and Common-<version>-win32-debug.zip (the .debug files).
# Both hold one folder, Common-<version>-win32/, so that the debug archive
# unpacked beside the other puts each .debug file beside its DLL. The debug
# files stay out of the SDK archive: they are 20 MB beside 3 MB of DLLs, and
# only a crash needs them.
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Common)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME Common-${PROJECT_VERSION}-${COMMON_INSTALL_ARCH})
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_COMPONENTS_ALL sdk debug)
set(CPACK_ARCHIVE_SDK_FILE_NAME ${CPACK_PACKAGE_FILE_NAME})
set(CPACK_ARCHIVE_DEBUG_FILE_NAME ${CPACK_PACKAGE_FILE_NAME}-debug)
include(CPack)
