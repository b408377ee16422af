# 64-bit Windows build: the same sources as the product, run under Wine by the tests.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(COMMON_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
