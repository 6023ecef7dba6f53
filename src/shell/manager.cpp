#include "shell/manager.h"

#include <windows.h>

#include "support/bounded_text.h"
#include "support/handles.h"

int ManagerInstalled() { return 0; }  // placeholder until the manager detection is built

int ReadCommonDirectory(char* buffer) {
  RegKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Velmora\\Common\\Paths", 0, KEY_ALL_ACCESS,
                    key.Receive()) != ERROR_SUCCESS) {
    return 0;
  }
  char value[kCommonDirectoryCapacity];
  DWORD size = sizeof value;
  LONG result = RegQueryValueExA(key.Get(), "Common", nullptr, nullptr,
                                 reinterpret_cast<BYTE*>(value), &size);
  if (result == ERROR_SUCCESS) {
    TerminateText(value, sizeof value, size);
    CopyText(buffer, kCommonDirectoryCapacity, value);
  } else if (result == ERROR_MORE_DATA) {
    buffer[0] = '\0';  // too long to be a usable directory
  }
  return 1;
}

int RemoveManager() { return 1; }  // placeholder until the manager removal is built
