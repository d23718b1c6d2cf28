# 64-bit Windows programs (x64), the build that every machine here can test.
set(VELMORA_TRIPLET x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VELMORA_WINE_LOADER /usr/lib/wine/wine64)
set(VELMORA_WIDL_FLAGS --win64 -I/usr/include/wine/wine/windows -L/usr/lib/x86_64-linux-gnu/wine/x86_64-windows)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
