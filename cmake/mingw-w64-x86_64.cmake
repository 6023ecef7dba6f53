# Cross-compiles the real 64-bit tvuninst.exe with Debian's MinGW-w64.
set(TVUNINST_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
