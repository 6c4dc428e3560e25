# Cross build for 64-bit Windows with Debian's mingw-w64 compilers.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KORVEX_MINGW x86_64-w64-mingw32)
# The POSIX thread model: the standard library's threads and mutexes need it with GCC 12.
set(CMAKE_C_COMPILER ${KORVEX_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KORVEX_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${KORVEX_MINGW}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${KORVEX_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# One self-contained exe: the C++ runtime and the thread library are linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# Programs and tests run under Wine in a prefix kept in the build folder.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_COMMAND} -E env KORVEX_WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix
    ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
