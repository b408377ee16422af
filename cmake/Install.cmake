# The SDK: flat headers, the DLL with its import library and runtime DLLs, and
# a CMake package so that a module builds with find_package(Common CONFIG).
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

install(TARGETS Common EXPORT CommonTargets
        RUNTIME DESTINATION bin
        LIBRARY DESTINATION bin
        ARCHIVE DESTINATION lib)
install(FILES ${COMMON_PUBLIC_HEADERS} DESTINATION include)
install(FILES ${COMMON_RUNTIME_DLLS} DESTINATION bin)
install(EXPORT CommonTargets NAMESPACE Common:: DESTINATION lib/cmake/Common)
configure_package_config_file(${CMAKE_SOURCE_DIR}/cmake/CommonConfig.cmake.in
    ${CMAKE_BINARY_DIR}/CommonConfig.cmake INSTALL_DESTINATION lib/cmake/Common)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/CommonConfigVersion.cmake
    COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/CommonConfig.cmake ${CMAKE_BINARY_DIR}/CommonConfigVersion.cmake
        DESTINATION lib/cmake/Common)
