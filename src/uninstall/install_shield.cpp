#include "uninstall/install_shield.h"

#include <windows.h>

#include "support/handles.h"
#include "support/windows_directory.h"

std::string InstallShieldCommandLine(const char* commandTail) {
  return std::string("uninst.exe -y -f") + commandTail;  // the tail is passed on whole
}

void RunInstallShieldUninstaller(const char* commandTail) {
  std::string application = WindowsDirectoryPath("uninst.exe");
  if (application.empty()) return;
  std::string commandLine = InstallShieldCommandLine(commandTail);

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOW;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(application.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                      NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup, &process)) {
    return;
  }
  KernelHandle processHandle(process.hProcess);
  KernelHandle threadHandle(process.hThread);
  WaitForSingleObject(processHandle.Get(), INFINITE);
}
