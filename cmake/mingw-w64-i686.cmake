# Cross-compiles the real 32-bit tvuninst.exe with Debian's MinGW-w64: the program
# Windows NT 3.51 and 4.0 run.
set(TVUNINST_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)

# The linker marks programs as needing Windows 4.0; the loader of Windows NT 3.51 refuses
# a subsystem version above its own. 3.10, the first Win32 version, keeps every NT loader
# willing (what the programs import sets the real minimum; scripts/build-windows checks it).
string(APPEND CMAKE_EXE_LINKER_FLAGS_INIT
       " -Wl,--major-subsystem-version,3,--minor-subsystem-version,10"
       " -Wl,--major-os-version,3,--minor-os-version,10")
