// Machine-wide settings: the Windows version, the Windows directory, the environment and
// the last error.
#pragma once

#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <string_view>

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
  // The program's environment besides SystemRoot, windir and SystemDrive, which follow
  // windowsDirectory unless named here too (names compare without case).
  std::map<std::string, std::string> environment;
  // Whether KERNEL32 exports GetFinalPathNameByHandleA; false models Windows NT 3.51 and
  // 4.0, which have no such export (GetProcAddress does not find it).
  bool finalPathNameAvailable = true;
};

// The value of the environment variable `name` (any case) on this machine, or none.
std::optional<std::string> EnvironmentVariable(const SystemInfo& system, std::string_view name);

// The system's English message text for an error code, ending in "\r\n", or none.
const char* SystemMessage(DWORD code);

// Blocks that FormatMessageA allocated and LocalFree has not released yet.
std::size_t OpenLocalBlocks();

}  // namespace winsim
