# Cross-compiles the real 32-bit tvuninst.exe with Debian's MinGW-w64.
set(TVUNINST_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
