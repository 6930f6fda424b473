# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (posix thread
# model, so std::thread and std::mutex work). Test programs run under Wine
# (cmake/wine-run.sh), so ctest works on the build machine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KESTRUNE_MINGW_TRIPLET x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${KESTRUNE_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KESTRUNE_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${KESTRUNE_MINGW_TRIPLET}-windres)

# Headers and libraries only from the MinGW sysroot (and the cross-built
# dependencies added later); build tools from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${KESTRUNE_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The folder of executables must run without MinGW's DLLs beside it:
# libgcc, libstdc++ and winpthread go into every binary.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../wine-run.sh)
