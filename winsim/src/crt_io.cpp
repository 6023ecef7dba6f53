// The C runtime's _unlink over DeleteFileA, with the runtime's mapping of system errors
// to errno values.
#include <io.h>
#include <windows.h>

#include <cerrno>

namespace {

int ErrnoFor(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
      return EACCES;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return ENOMEM;
    default:
      return EINVAL;
  }
}

}  // namespace

extern "C" int _unlink(const char* path) {
  if (DeleteFileA(path)) return 0;
  errno = ErrnoFor(GetLastError());
  return -1;
}
