# 32-bit Windows programs (x86), the release build for 32-bit Windows.
set(VELMORA_TRIPLET i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VELMORA_WINE_LOADER /usr/lib/wine/wine)
set(VELMORA_WIDL_FLAGS --win32 -I/usr/include/wine/wine/windows -L/usr/lib/i386-linux-gnu/wine/i386-windows)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
