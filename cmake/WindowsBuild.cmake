# The DLL, its SDK, and (on request) the tests, benchmark and example.
enable_language(RC)

set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib)

add_library(Common SHARED ${COMMON_SOURCES} ${COMMON_RESOURCES})
add_library(Common::Common ALIAS Common)
set_target_properties(Common PROPERTIES PREFIX "" OUTPUT_NAME Common IMPORT_PREFIX "" IMPORT_SUFFIX ".lib")
target_compile_definitions(Common PRIVATE COMMON_BUILD_DLL)
target_compile_options(Common PRIVATE -Wall -Wextra)
# The headers need C++11 (enumerations with a base type, [[noreturn]],
# std::unique_ptr); a module gets at least that through Common::Common.
target_compile_features(Common PUBLIC cxx_std_11)
# The version block takes the project's version from a header written here.
configure_file(${CMAKE_SOURCE_DIR}/resources/CommonVersion.h.in ${CMAKE_BINARY_DIR}/generated/CommonVersion.h @ONLY)
target_include_directories(Common PRIVATE ${CMAKE_BINARY_DIR}/generated)
foreach(dir IN LISTS COMMON_SOURCE_DIRS)
    target_include_directories(Common PUBLIC $<BUILD_INTERFACE:${CMAKE_SOURCE_DIR}/${dir}>)
endforeach()
target_include_directories(Common INTERFACE $<INSTALL_INTERFACE:include>)
target_link_libraries(Common PRIVATE user32 comdlg32 shell32 ole32)
# Coverage counts of the library alone; the counts are written when a test
# program exits (cmake/coverage.sh reads them).
option(COMMON_COVERAGE "Build the library with coverage counters" OFF)
if(COMMON_COVERAGE)
    target_compile_options(Common PRIVATE --coverage -O0)
    target_link_options(Common PRIVATE --coverage)
endif()
# Exceptions thrown in the DLL are caught in other modules: every module must
# share one unwinder (the i686 compiler's DWARF-2 unwinding needs it).
target_link_options(Common PUBLIC -shared-libgcc)

# The runtime DLLs that the library and its users load; the i686 compiler
# unwinds with DWARF-2, the x86_64 one with SEH.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(COMMON_UNWIND_DLL libgcc_s_seh-1.dll)
else()
    set(COMMON_UNWIND_DLL libgcc_s_dw2-1.dll)
endif()
set(COMMON_RUNTIME_DLL_NAMES libstdc++-6.dll ${COMMON_UNWIND_DLL} libwinpthread-1.dll)

# Every DLL is shipped stripped, its debug information in a .debug file
# beside it (cmake/SplitDebug.cmake): libstdc++-6.dll alone carries 20 MB
# of it. The library is stripped where it is linked, the runtime DLLs as they
# are copied from the toolchain into the output folder.
set(COMMON_SPLIT_DEBUG ${CMAKE_SOURCE_DIR}/cmake/SplitDebug.cmake)
add_custom_command(TARGET Common POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DOBJCOPY=${CMAKE_OBJCOPY} -DINPUT=$<TARGET_FILE:Common> -DOUTPUT=$<TARGET_FILE:Common>
            -P ${COMMON_SPLIT_DEBUG})
set(COMMON_RUNTIME_DLLS)
foreach(dll IN LISTS COMMON_RUNTIME_DLL_NAMES)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                    OUTPUT_VARIABLE dll_path OUTPUT_STRIP_TRAILING_WHITESPACE)
    # The compiler echoes the bare name of a file it does not have.
    if(NOT IS_ABSOLUTE "${dll_path}")
        message(FATAL_ERROR "${CMAKE_CXX_COMPILER} has no ${dll}")
    endif()
    set(shipped ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${dll})
    add_custom_command(OUTPUT ${shipped} ${shipped}.debug
        COMMAND ${CMAKE_COMMAND} -DOBJCOPY=${CMAKE_OBJCOPY} -DINPUT=${dll_path} -DOUTPUT=${shipped}
                -P ${COMMON_SPLIT_DEBUG}
        DEPENDS ${dll_path} ${COMMON_SPLIT_DEBUG})
    list(APPEND COMMON_RUNTIME_DLLS ${shipped})
endforeach()
add_custom_target(CommonRuntimeDlls ALL DEPENDS ${COMMON_RUNTIME_DLLS})
add_dependencies(Common CommonRuntimeDlls)

include(cmake/Reference.cmake)
include(cmake/Install.cmake)

if(COMMON_BUILD_EXAMPLES)
    add_subdirectory(examples)
endif()
if(COMMON_BUILD_TESTS)
    enable_testing()
    add_subdirectory(tests)
endif()
if(COMMON_BUILD_BENCH)
    add_subdirectory(bench)
endif()
