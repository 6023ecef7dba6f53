# crtdll.dll as the C runtime of a 32-bit program. Every Windows NT ships it; Windows NT
# 3.51 has no msvcrt.dll, which MinGW-w64 links by default. The 64-bit programs stay on
# msvcrt.dll: no 64-bit Windows has crtdll.dll.
#
# GCC's own list of runtime libraries is dropped (-nodefaultlibs) and given again here
# with crtdll in place of msvcrt, in GCC's order (the programs link statically, so
# libstdc++ and libgcc are archives). MinGW-w64's libcrtdll.a holds, besides the DLL's
# imports, the start-up entries that MinGW-w64's start-up code expects of msvcrt.dll
# (__getmainargs, __p__fmode, __set_app_type, ...), written over crtdll.dll's; the three
# functions the C++ library needs beyond it are src/support/crtdll_gaps.cpp.
function(tvuninst_link_crtdll target)
  if(NOT CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    return()
  endif()
  if(NOT TARGET crtdll_gaps)
    add_library(crtdll_gaps OBJECT ${PROJECT_SOURCE_DIR}/src/support/crtdll_gaps.cpp)
  endif()
  target_link_options(${target} PRIVATE -nodefaultlibs)
  target_link_libraries(${target} PRIVATE crtdll_gaps stdc++
    -Wl,--start-group mingw32 gcc gcc_eh moldname mingwex crtdll kernel32 -Wl,--end-group)
endfunction()
