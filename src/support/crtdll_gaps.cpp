// Three functions that crtdll.dll, the C runtime of the 32-bit programs, does not give
// under these names: read, close (it has _read and _close, but MinGW-w64 maps the plain
// names for msvcrt.dll only) and rand_s (msvcrt.dll of later Windows versions only).
//
// Nothing in the programs calls them. The C++ library's random-device object uses them,
// and it comes into every link because the string and exception objects the programs do
// use refer to it. These stand-ins complete the link; should anything ever call one,
// it fails as the function does on a bad argument, so no caller can take it for success.
// Linked into the programs built on crtdll.dll only (cmake/crtdll.cmake).
#include <cerrno>
#include <cstdlib>

namespace {

errno_t NoRandomNumber(unsigned int* randomValue) {
  if (randomValue) *randomValue = 0;
  return EINVAL;
}

}  // namespace

extern "C" {

int read(int, void*, unsigned int) {
  errno = EBADF;
  return -1;
}

int close(int) {
  errno = EBADF;
  return -1;
}

// The library calls rand_s through its import-table entry, as for a DLL function.
errno_t (*_imp__rand_s)(unsigned int*) = NoRandomNumber;

}
