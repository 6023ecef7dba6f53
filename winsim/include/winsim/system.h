// Machine-wide settings: the Windows version, the Windows directory and the last error.
#pragma once

#include <windows.h>

#include <map>
#include <string>

namespace winsim {

struct SystemInfo {
  DWORD majorVersion = 4;
  DWORD minorVersion = 0;
  DWORD buildNumber = 1381;
  DWORD platformId = VER_PLATFORM_WIN32_NT;
  bool versionFails = false;  // GetVersionExA fails
  std::string windowsDirectory = "C:\\WINNT";
  std::string computerName = "WKS-0417";
  std::string commandLine = "C:\\WINNT\\tvuninst.exe";  // GetCommandLineA: the program and its tail
  SYSTEMTIME localTime{1998, 3, 2, 17, 9, 5, 30, 0};   // GetLocalTime: Tuesday 17 March 1998, 09:05:30
  DWORD lastError = 0;
  UINT errorMode = 0;  // SetErrorMode: without SEM_FAILCRITICALERRORS the system asks for a missing disk
  // Message texts FormatMessageA gives instead of Windows' own, by code.
  std::map<DWORD, std::string> messageTexts;
};

// The system's English message text for an error code, ending in "\r\n", or none.
const char* SystemMessage(DWORD code);

// Blocks that FormatMessageA allocated and LocalFree has not released yet.
std::size_t OpenLocalBlocks();

}  // namespace winsim
