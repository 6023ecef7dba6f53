// WriteFile, SetFilePointer and FlushFileBuffers on files the program opened with
// CreateFileA. What is written lives in the system's cache until it is flushed: a power
// loss (FileSystem::LosePower) takes back whatever was not.
#include <windows.h>

#include <string_view>

#include "api.h"

using winsim::machine;

namespace {

winsim::FileSystem& fs() { return machine().files; }

// The file behind a handle, when it is an open file (not a device).
winsim::FileNode* NodeOf(const winsim::FileSystem::OpenedFile& file) { return file.node; }

}  // namespace

BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                      LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED) {
  if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = 0;
  if (auto e = winsim::api::Enter("WriteFile")) return winsim::api::Fail(*e);
  winsim::FileSystem::OpenedFile* file = fs().GetFile(hFile);
  winsim::FileNode* node = file ? NodeOf(*file) : nullptr;
  if (!node) return winsim::api::Fail(ERROR_INVALID_HANDLE);
  if (!file->Writable()) return winsim::api::Fail(ERROR_ACCESS_DENIED);
  if (!lpNumberOfBytesWritten) return winsim::api::Fail(ERROR_INVALID_PARAMETER);  // needed without OVERLAPPED
  fs().Write(*file, std::string_view(static_cast<const char*>(lpBuffer), nNumberOfBytesToWrite));
  *lpNumberOfBytesWritten = nNumberOfBytesToWrite;
  return TRUE;
}

DWORD WINAPI SetFilePointer(HANDLE hFile, LONG lDistanceToMove, LONG* lpDistanceToMoveHigh,
                            DWORD dwMoveMethod) {
  if (auto e = winsim::api::Enter("SetFilePointer")) {
    return winsim::api::FailWith(*e, INVALID_SET_FILE_POINTER);
  }
  winsim::FileSystem::OpenedFile* file = fs().GetFile(hFile);
  winsim::FileNode* node = file ? NodeOf(*file) : nullptr;
  if (!node) return winsim::api::FailWith(ERROR_INVALID_HANDLE, INVALID_SET_FILE_POINTER);
  long long origin = 0;
  if (dwMoveMethod == FILE_CURRENT) origin = static_cast<long long>(file->position);
  if (dwMoveMethod == FILE_END) origin = static_cast<long long>(node->content.size());
  const long long high = lpDistanceToMoveHigh ? *lpDistanceToMoveHigh : (lDistanceToMove < 0 ? -1 : 0);
  const long long target = origin + (high * 0x100000000LL + static_cast<DWORD>(lDistanceToMove));
  if (dwMoveMethod > FILE_END) return winsim::api::FailWith(ERROR_INVALID_PARAMETER, INVALID_SET_FILE_POINTER);
  if (target < 0) return winsim::api::FailWith(ERROR_NEGATIVE_SEEK, INVALID_SET_FILE_POINTER);
  file->position = static_cast<std::uint64_t>(target);
  if (lpDistanceToMoveHigh) *lpDistanceToMoveHigh = static_cast<LONG>(target >> 32);
  machine().system.lastError = ERROR_SUCCESS;  // tells a low part of all ones from a failure
  return static_cast<DWORD>(target);
}

BOOL WINAPI FlushFileBuffers(HANDLE hFile) {
  if (auto e = winsim::api::Enter("FlushFileBuffers")) return winsim::api::Fail(*e);
  winsim::FileSystem::OpenedFile* file = fs().GetFile(hFile);
  winsim::FileNode* node = file ? NodeOf(*file) : nullptr;
  if (!node) return winsim::api::Fail(ERROR_INVALID_HANDLE);
  if (!file->Writable()) return winsim::api::Fail(ERROR_ACCESS_DENIED);
  fs().Flush(*node);
  return TRUE;
}
