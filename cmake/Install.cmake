# The SDK: flat public headers, the DLL with its import library and the runtime
# DLLs it loads, and a CMake package, so that a module builds against it with
#   find_package(Common CONFIG REQUIRED)
#   target_link_libraries(app PRIVATE Common::Common)
#
# Layout of a prefix (both targets may be installed into the same one):
#   include/                    the CT_*.h headers, the same for both targets
#   win32/ or win64/            Common.dll, Common.lib, the runtime DLLs
#   cmake/                      CommonConfig.cmake, one targets file per target
include(CMakePackageConfigHelpers)

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(COMMON_INSTALL_ARCH win64)
else()
    set(COMMON_INSTALL_ARCH win32)
endif()
set(COMMON_INSTALL_PACKAGE_DIR cmake)

install(TARGETS Common EXPORT CommonTargets
        RUNTIME DESTINATION ${COMMON_INSTALL_ARCH}
        LIBRARY DESTINATION ${COMMON_INSTALL_ARCH}
        ARCHIVE DESTINATION ${COMMON_INSTALL_ARCH})
install(FILES ${COMMON_PUBLIC_HEADERS} DESTINATION include)
install(FILES ${COMMON_RUNTIME_DLLS} DESTINATION ${COMMON_INSTALL_ARCH})
# One targets file per target, so that installing the other one beside it
# does not replace it; the package picks the one that fits the consumer.
install(EXPORT CommonTargets NAMESPACE Common:: FILE CommonTargets-${COMMON_INSTALL_ARCH}.cmake
        DESTINATION ${COMMON_INSTALL_PACKAGE_DIR})

configure_package_config_file(${CMAKE_SOURCE_DIR}/cmake/CommonConfig.cmake.in
    ${CMAKE_BINARY_DIR}/CommonConfig.cmake
    INSTALL_DESTINATION ${COMMON_INSTALL_PACKAGE_DIR})
# The version file serves both targets; the package itself refuses a consumer
# whose target was not installed.
write_basic_package_version_file(${CMAKE_BINARY_DIR}/CommonConfigVersion.cmake
    COMPATIBILITY SameMajorVersion ARCH_INDEPENDENT)
install(FILES ${CMAKE_BINARY_DIR}/CommonConfig.cmake ${CMAKE_BINARY_DIR}/CommonConfigVersion.cmake
        DESTINATION ${COMMON_INSTALL_PACKAGE_DIR})
