#include "files/file_deletion.h"

#include <windows.h>

bool DeleteProductFile(const char* path) {
  if (DeleteFileA(path)) return true;
  const DWORD error = GetLastError();
  const DWORD attributes = GetFileAttributesA(path);
  // A link's attributes are left alone: changing them could reach the file it points to.
  const bool readOnlyFile = attributes != INVALID_FILE_ATTRIBUTES &&
                            (attributes & FILE_ATTRIBUTE_READONLY) != 0 &&
                            (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
  if (!readOnlyFile) {
    SetLastError(error);
    return false;
  }
  const DWORD writable = attributes & ~FILE_ATTRIBUTE_READONLY;
  if (!SetFileAttributesA(path, writable != 0 ? writable : FILE_ATTRIBUTE_NORMAL)) {
    SetLastError(error);
    return false;
  }
  return DeleteFileA(path) != FALSE;  // a file also in use stays, now writable
}
