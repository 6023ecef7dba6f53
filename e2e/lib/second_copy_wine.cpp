#include "second_copy.h"

#include <windows.h>

#include <string>

#include "support/handles.h"

// The program in the Windows directory, where the first copy was started from.
long RunSecondCopy() {
  char windows[MAX_PATH] = "";
  GetWindowsDirectoryA(windows, sizeof windows);
  std::string commandLine = std::string("\"") + windows + "\\tvuninst.exe\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &started)) {
    return static_cast<long>(GetLastError()) + 100000;  // no exit code the program gives
  }
  const KernelHandle process(started.hProcess);
  const KernelHandle thread(started.hThread);
  WaitForSingleObject(process.Get(), INFINITE);
  DWORD exitCode = 0;
  GetExitCodeProcess(process.Get(), &exitCode);
  return static_cast<long>(static_cast<LONG>(exitCode));
}
