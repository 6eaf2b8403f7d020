# Cross build of the 64-bit Windows console program, which the tests run under Wine, with the
# Debian mingw-w64 toolchain (packages g++-mingw-w64-x86-64-posix and mingw-w64-x86-64-dev).
# Size and hardening options are set in the top-level CMakeLists.txt, so both Windows builds
# share them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(ZERUDUD_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ZERUDUD_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZERUDUD_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ZERUDUD_MINGW_TRIPLE}-windres)

# Headers and libraries come from the target's tree only; programs run on the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${ZERUDUD_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
