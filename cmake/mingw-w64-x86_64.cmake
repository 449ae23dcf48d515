# Cross-builds Windows x86-64 executables with Debian's mingw-w64 (posix threads).
# Use: cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake ...   (scripts/windows-build does)
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KESTO_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KESTO_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KESTO_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${KESTO_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KESTO_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every .exe carries its C and C++ runtime (and winpthread), so it runs alone.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Tests and tools run under Wine here.
find_program(KESTO_WINE NAMES wine64 wine PATHS /usr/lib/wine)
if(KESTO_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KESTO_WINE})
endif()
