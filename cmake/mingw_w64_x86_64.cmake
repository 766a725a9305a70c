# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (the posix
# thread model, for std::mutex and std::thread), every program linked
# statically so that it runs with nothing beside it; the programs and the
# tests run under wine (CMAKE_CROSSCOMPILING_EMULATOR, which ctest and the
# test discovery use).
#
# SNPLN_WINDOWS_PREFIX (an environment variable, so that it reaches the
# compiler checks too) names a directory of cross-built dependencies
# (googletest), searched beside the compiler's own root.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_snpln_triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_snpln_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_snpln_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${_snpln_triple}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${_snpln_triple})
if(DEFINED ENV{SNPLN_WINDOWS_PREFIX})
  list(APPEND CMAKE_FIND_ROOT_PATH $ENV{SNPLN_WINDOWS_PREFIX})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No DLL of the compiler's runtime (libstdc++, libgcc, winpthread) is
# needed beside a program.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

find_program(SNPLN_WINE wine)
if(SNPLN_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${SNPLN_WINE})
endif()
