// GetFullPathNameA and GetShortPathNameA, over the simulated file system.
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
