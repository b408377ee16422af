# 64-bit Windows build: the same sources as the product, run under Wine by the tests.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(COMMON_TRIPLET x86_64-w64-mingw32)
# Wine's 64-bit loader, named directly: the `wine` command would start 64-bit
# programs through the 32-bit loader wherever 32-bit Wine is installed.
if(NOT COMMON_WINE_LOADER)
    set(COMMON_WINE_LOADER /usr/lib/wine/wine64)
endif()
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
