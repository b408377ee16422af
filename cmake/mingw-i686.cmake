# 32-bit Windows build: the product.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(COMMON_TRIPLET i686-w64-mingw32)
# Wine's 32-bit loader; a 64-bit-only Wine has none, and then the tests cannot run.
if(NOT COMMON_WINE_LOADER)
    set(COMMON_WINE_LOADER /usr/lib/wine/wine)
endif()
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
