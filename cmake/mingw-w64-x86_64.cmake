# Cross-builds a self-contained lumvert.exe with Debian's MinGW-w64 compiler
# (package g++-mingw-w64-x86-64-posix) and runs the tests under Wine
# (package wine64).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

# C too, for GoogleTest, which the tests build from source.
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No MinGW runtime DLL has to travel with the executable.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Headless and quiet, in a prefix of the build's own that nothing else shares, and
# with UTF-8 Unix file names, as Wine reads them from the locale.
find_program(LUMVERT_WINE NAMES wine64 wine PATHS /usr/lib/wine)
set(CMAKE_CROSSCOMPILING_EMULATOR
    env LC_ALL=C.UTF-8 WINEDEBUG=-all "WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix" ${LUMVERT_WINE})
