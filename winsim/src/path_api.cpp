// GetFullPathNameA, GetShortPathNameA, GetFinalPathNameByHandleA and the current
// directory, over the simulated file system.
#include <windows.h>

#include <cstring>
#include <string>

#include "api.h"

namespace {

// Copies `text` out as the path functions do: its length when it fits, else the size
// the caller must give, terminator included.
DWORD ReturnPath(const std::string& text, LPSTR buffer, DWORD capacity) {
  if (!buffer || capacity <= text.size()) return static_cast<DWORD>(text.size() + 1);
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return static_cast<DWORD>(text.size());
}

}  // namespace

DWORD WINAPI GetFullPathNameA(LPCSTR lpFileName, DWORD nBufferLength, LPSTR lpBuffer,
                              LPSTR* lpFilePart) {
  if (auto e = winsim::api::Enter("GetFullPathNameA")) return winsim::api::FailWith(*e, 0ul);
  const std::string full = winsim::machine().files.FullPathName(lpFileName ? lpFileName : "");
  if (full.empty()) return winsim::api::FailWith(ERROR_INVALID_NAME, 0ul);
  const DWORD length = ReturnPath(full, lpBuffer, nBufferLength);
  if (lpFilePart && length == full.size()) {
    const std::size_t slash = full.rfind('\\');
    *lpFilePart = slash + 1 < full.size() ? lpBuffer + slash + 1 : nullptr;
  }
  return length;
}

DWORD WINAPI GetShortPathNameA(LPCSTR lpszLongPath, LPSTR lpszShortPath, DWORD cchBuffer) {
  if (auto e = winsim::api::Enter("GetShortPathNameA")) return winsim::api::FailWith(*e, 0ul);
  const auto shortPath = winsim::machine().files.ShortPathName(lpszLongPath ? lpszLongPath : "");
  if (!shortPath) return winsim::api::FailWith(ERROR_FILE_NOT_FOUND, 0ul);
  return ReturnPath(*shortPath, lpszShortPath, cchBuffer);
}

// Only the normalized name with its drive letter (the flags 0) is modelled; a device has
// no path to give.
DWORD WINAPI GetFinalPathNameByHandleA(HANDLE hFile, LPSTR lpszFilePath, DWORD cchFilePath,
                                       DWORD dwFlags) {
  if (auto e = winsim::api::Enter("GetFinalPathNameByHandleA")) return winsim::api::FailWith(*e, 0ul);
  winsim::FileSystem& files = winsim::machine().files;
  const winsim::FileSystem::OpenedFile* file = files.GetFile(hFile);
  if (!file) return winsim::api::FailWith(ERROR_INVALID_HANDLE, 0ul);
  if (dwFlags != (FILE_NAME_NORMALIZED | VOLUME_NAME_DOS)) {
    return winsim::api::FailWith(ERROR_INVALID_PARAMETER, 0ul);
  }
  if (!file->node) return winsim::api::FailWith(ERROR_INVALID_FUNCTION, 0ul);
  return ReturnPath(files.FinalPathName(*file), lpszFilePath, cchFilePath);
}

DWORD WINAPI GetCurrentDirectoryA(DWORD nBufferLength, LPSTR lpBuffer) {
  if (auto e = winsim::api::Enter("GetCurrentDirectoryA")) return winsim::api::FailWith(*e, 0ul);
  return ReturnPath(winsim::machine().files.currentDirectory, lpBuffer, nBufferLength);
}

// Sets the full path of an existing directory, without a separator at its end unless it
// is a root; the other drives' directories stay as they are.
BOOL WINAPI SetCurrentDirectoryA(LPCSTR lpPathName) {
  if (auto e = winsim::api::Enter("SetCurrentDirectoryA")) return winsim::api::Fail(*e);
  winsim::FileSystem& files = winsim::machine().files;
  std::string full = files.FullPathName(lpPathName ? lpPathName : "");
  if (full.empty()) return winsim::api::Fail(ERROR_INVALID_NAME);
  const winsim::FileNode* node = files.Resolve(files.Lookup(full));
  if (!node) return winsim::api::Fail(files.NotFoundError(full));
  if (!node->IsDirectory()) return winsim::api::Fail(ERROR_DIRECTORY);
  if (full.size() > 3 && full.back() == '\\') full.pop_back();
  files.currentDirectory = full;
  return TRUE;
}
