# Cross-compiles the real 32-bit tvuninst.exe with Debian's MinGW-w64: the program
# Windows NT 3.51 and 4.0 run.
set(TVUNINST_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)

