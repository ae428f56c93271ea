# Cross-compiles the Windows programs on Linux with Debian's MinGW-w64 (package mingw-w64).
#
# The "posix" compilers are the ones whose C++ library has std::thread; the "win32" ones lack it.
# Everything is linked statically so that the .exe files run on a bare Windows (or under Wine)
# without libstdc++-6.dll, libgcc_s_seh-1.dll or libwinpthread-1.dll beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(PLATE_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${PLATE_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PLATE_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${PLATE_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${PLATE_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs (and GoogleTest's discovery of their tests) run under Wine, in a prefix of the
# build tree's own so that a user's ~/.wine is never touched.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/run-in-wine ${CMAKE_BINARY_DIR}/wineprefix)
