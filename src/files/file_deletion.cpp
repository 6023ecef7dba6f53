#include "files/file_deletion.h"

#include <windows.h>

namespace {

// Runs `remove` on `path`; when that fails on a read-only entry of the expected kind
// (a directory or not), clears the attribute and runs it once more. A link's attributes
// are left alone: changing them could reach what it points to.
template <typename Remove>
bool RemoveClearingReadOnly(const char* path, Remove remove, DWORD kind) {
  if (remove(path)) return true;
  const DWORD error = GetLastError();
  const DWORD attributes = GetFileAttributesA(path);
  const bool readOnlyOfKind = attributes != INVALID_FILE_ATTRIBUTES &&
                              (attributes & FILE_ATTRIBUTE_READONLY) != 0 &&
                              (attributes & FILE_ATTRIBUTE_DIRECTORY) == kind &&
                              (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
  if (!readOnlyOfKind) {
    SetLastError(error);
    return false;
  }
  const DWORD writable = attributes & ~FILE_ATTRIBUTE_READONLY;
  if (!SetFileAttributesA(path, writable != 0 ? writable : FILE_ATTRIBUTE_NORMAL)) {
    SetLastError(error);
    return false;
  }
  return remove(path) != FALSE;  // an entry also in use stays, now writable
}

}  // namespace

bool DeleteProductFile(const char* path) {
  return RemoveClearingReadOnly(path, DeleteFileA, 0);
}

bool RemoveProductDirectory(const char* path) {
  return RemoveClearingReadOnly(path, RemoveDirectoryA, FILE_ATTRIBUTE_DIRECTORY);
}

bool AlreadyGone(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}
