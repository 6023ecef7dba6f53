// Version, directories, time, debug output, last error, message texts and strings.
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <set>

#include "api.h"

using winsim::machine;

namespace {

std::set<HLOCAL>& LocalBlocks() {
  static std::set<HLOCAL> blocks;
  return blocks;
}

bool HasInserts(const char* text) {
  for (const char* p = std::strchr(text, '%'); p; p = std::strchr(p + 1, '%')) {
    if (p[1] >= '1' && p[1] <= '9') return true;
  }
  return false;
}

}  // namespace

DWORD WINAPI GetLastError(void) { return machine().system.lastError; }

void WINAPI SetLastError(DWORD dwErrCode) { machine().system.lastError = dwErrCode; }

BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA info) {
  if (auto e = winsim::api::Enter("GetVersionExA")) return winsim::api::Fail(*e);
  const winsim::SystemInfo& system = machine().system;
  if (!info || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA) || system.versionFails) {
    return winsim::api::Fail(ERROR_INVALID_PARAMETER);
  }
  info->dwMajorVersion = system.majorVersion;
  info->dwMinorVersion = system.minorVersion;
  info->dwBuildNumber = system.buildNumber;
  info->dwPlatformId = system.platformId;
  info->szCSDVersion[0] = '\0';
  return TRUE;
}

UINT WINAPI SetErrorMode(UINT uMode) {
  winsim::api::Enter("SetErrorMode");
  const UINT previous = machine().system.errorMode;
  machine().system.errorMode = uMode;
  return previous;
}

UINT WINAPI GetWindowsDirectoryA(LPSTR lpBuffer, UINT uSize) {
  if (auto e = winsim::api::Enter("GetWindowsDirectoryA")) return winsim::api::FailWith(*e, 0u);
  const std::string& dir = machine().system.windowsDirectory;
  if (!lpBuffer || uSize <= dir.size()) return static_cast<UINT>(dir.size() + 1);
  std::memcpy(lpBuffer, dir.c_str(), dir.size() + 1);
  return static_cast<UINT>(dir.size());
}

BOOL WINAPI GetComputerNameA(LPSTR lpBuffer, LPDWORD nSize) {
  if (auto e = winsim::api::Enter("GetComputerNameA")) return winsim::api::Fail(*e);
  const std::string& name = machine().system.computerName;
  if (!lpBuffer || !nSize || *nSize <= name.size()) {
    if (nSize) *nSize = static_cast<DWORD>(name.size() + 1);
    return winsim::api::Fail(ERROR_BUFFER_OVERFLOW);
  }
  std::memcpy(lpBuffer, name.c_str(), name.size() + 1);
  *nSize = static_cast<DWORD>(name.size());
  return TRUE;
}

LPSTR WINAPI GetCommandLineA(void) {
  winsim::api::Enter("GetCommandLineA");
  return machine().system.commandLine.data();
}

void WINAPI GetLocalTime(LPSYSTEMTIME lpSystemTime) {
  winsim::api::Enter("GetLocalTime");
  *lpSystemTime = machine().system.localTime;
}

DWORD WINAPI GetTickCount(void) {
  winsim::api::Enter("GetTickCount");
  return machine().clock.TickCount();
}

void WINAPI Sleep(DWORD dwMilliseconds) {
  winsim::api::Enter("Sleep");
  machine().clock.sleeps.push_back(dwMilliseconds);
  machine().clock.Advance(dwMilliseconds);
}

void WINAPI OutputDebugStringA(LPCSTR lpOutputString) {
  winsim::api::Enter("OutputDebugStringA");
  if (machine().faults.PowerCut()) return;  // no debugger records it either
  machine().debug.pieces.emplace_back(lpOutputString ? lpOutputString : "");
}

DWORD WINAPI FormatMessageA(DWORD dwFlags, LPCVOID, DWORD dwMessageId, DWORD, LPSTR lpBuffer,
                            DWORD nSize, void* Arguments) {
  if (auto e = winsim::api::Enter("FormatMessageA")) return winsim::api::FailWith(*e, 0u);
  if (!(dwFlags & FORMAT_MESSAGE_FROM_SYSTEM)) return winsim::api::FailWith(ERROR_INVALID_PARAMETER, 0u);
  auto replaced = machine().system.messageTexts.find(dwMessageId);
  const char* text = replaced != machine().system.messageTexts.end() ? replaced->second.c_str()
                                                                      : winsim::SystemMessage(dwMessageId);
  if (!text) return winsim::api::FailWith(317u /* ERROR_MR_MID_NOT_FOUND */, 0u);
  // A message with inserts ("%1") needs their values, unless told to leave them as they are.
  if (!(dwFlags & FORMAT_MESSAGE_IGNORE_INSERTS) && !Arguments && HasInserts(text)) {
    return winsim::api::FailWith(ERROR_INVALID_PARAMETER, 0u);
  }
  DWORD length = static_cast<DWORD>(std::strlen(text));
  if (dwFlags & FORMAT_MESSAGE_ALLOCATE_BUFFER) {
    char* block = static_cast<char*>(std::malloc(length + 1));
    std::memcpy(block, text, length + 1);
    LocalBlocks().insert(block);
    *reinterpret_cast<LPSTR*>(lpBuffer) = block;
    return length;
  }
  if (!lpBuffer || nSize <= length) return winsim::api::FailWith(ERROR_INSUFFICIENT_BUFFER, 0u);
  std::memcpy(lpBuffer, text, length + 1);
  return length;
}

HLOCAL WINAPI LocalFree(HLOCAL hMem) {
  winsim::api::Enter("LocalFree");
  if (!hMem) return nullptr;
  if (LocalBlocks().erase(hMem) != 1) return winsim::api::FailWith(ERROR_INVALID_HANDLE, hMem);
  std::free(hMem);
  return nullptr;
}

int WINAPI lstrlenA(LPCSTR lpString) {
  return lpString ? static_cast<int>(std::strlen(lpString)) : 0;
}

LPSTR WINAPI lstrcpynA(LPSTR lpString1, LPCSTR lpString2, int iMaxLength) {
  if (!lpString1 || iMaxLength <= 0) return lpString1;
  int i = 0;
  for (; i < iMaxLength - 1 && lpString2 && lpString2[i]; ++i) lpString1[i] = lpString2[i];
  lpString1[i] = '\0';
  return lpString1;
}

namespace winsim {
std::size_t OpenLocalBlocks() { return LocalBlocks().size(); }
}  // namespace winsim
