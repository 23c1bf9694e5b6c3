# Shared by the MinGW-w64 toolchain files; VARNHOLT_TRIPLET and CMAKE_SYSTEM_PROCESSOR are set
# by the including file. Uses the posix-threads compilers; tests run under Wine, which CTest
# uses as the emulator.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${VARNHOLT_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VARNHOLT_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${VARNHOLT_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VARNHOLT_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# 64-bit programs run on wine64 itself: Debian's wrapper first tries the 32-bit loader once
# wine32 is installed, which fails where the kernel cannot run 32-bit programs.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    find_program(VARNHOLT_WINE NAMES wine64 PATHS /usr/lib/wine /usr/lib64/wine NO_DEFAULT_PATH)
endif()
find_program(VARNHOLT_WINE NAMES wine)
if(VARNHOLT_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${VARNHOLT_WINE})
endif()
