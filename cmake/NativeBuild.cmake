# The platform-free core, built natively under AddressSanitizer (with its leak
# checker) and UndefinedBehaviorSanitizer, plus the libFuzzer harnesses.
enable_testing()

set(COMMON_SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)

add_library(CommonPortable STATIC ${COMMON_PORTABLE_SOURCES})
foreach(dir IN LISTS COMMON_SOURCE_DIRS)
    target_include_directories(CommonPortable PUBLIC ${CMAKE_SOURCE_DIR}/${dir})
endforeach()
target_compile_options(CommonPortable PUBLIC ${COMMON_SANITIZE} -g -Wall -Wextra)
target_link_options(CommonPortable PUBLIC ${COMMON_SANITIZE})

include(${CMAKE_SOURCE_DIR}/cmake/GoogleTest.cmake)

foreach(source IN LISTS COMMON_PORTABLE_TESTS)
    get_filename_component(name ${source} NAME_WE)
    add_executable(${name}Native ${CMAKE_SOURCE_DIR}/${source})
    target_link_libraries(${name}Native PRIVATE CommonPortable GTest::gtest_main)
    # The portable part of the test support (the Windows part needs the platform).
    target_include_directories(${name}Native PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
    add_test(NAME ${name}Native COMMAND ${name}Native)
endforeach()

# Each fuzzer is a libFuzzer harness, run for a bounded time.
set(COMMON_FUZZ_SECONDS 20 CACHE STRING "Seconds each fuzzer runs in the tests")
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    foreach(source IN LISTS COMMON_FUZZERS)
        get_filename_component(name ${source} NAME_WE)
        add_executable(${name} ${CMAKE_SOURCE_DIR}/${source})
        target_link_libraries(${name} PRIVATE CommonPortable)
        target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
        target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
        target_link_options(${name} PRIVATE -fsanitize=fuzzer)
        add_test(NAME ${name}
                 COMMAND ${name} -max_total_time=${COMMON_FUZZ_SECONDS} -print_final_stats=1
                         ${CMAKE_BINARY_DIR}/corpus-${name})
        file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/corpus-${name})
        set_tests_properties(${name} PROPERTIES TIMEOUT 300)
    endforeach()
endif()

if(COMMON_BUILD_BENCH)
    add_subdirectory(bench)
endif()
