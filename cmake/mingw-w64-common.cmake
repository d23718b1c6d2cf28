# Shared part of the MinGW-w64 toolchain files: the including file sets VELMORA_TRIPLET,
# CMAKE_SYSTEM_PROCESSOR, VELMORA_WINE_LOADER and VELMORA_WIDL_FLAGS first. Posix thread
# model: std::thread, std::mutex and GoogleTest need it.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${VELMORA_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELMORA_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${VELMORA_TRIPLET}-windres)
set(VELMORA_WIDL ${VELMORA_TRIPLET}-widl)
set(CMAKE_FIND_ROOT_PATH /usr/${VELMORA_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Debian's `wine` wrapper takes the 32-bit loader whenever it is installed, whatever the
# prefix: programs of each architecture run under their own loader.
set(CMAKE_CROSSCOMPILING_EMULATOR ${VELMORA_WINE_LOADER})

# Fully static: without it the programs need libwinpthread-1.dll and libstdc++ beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
