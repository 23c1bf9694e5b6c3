# Cross-compiles for 32-bit Windows with MinGW-w64 from Linux; tests need Debian's wine32.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VARNHOLT_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
