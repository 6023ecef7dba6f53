#include "uninstall/install_shield.h"

#include "support/child_process.h"
#include "support/windows_directory.h"

std::string InstallShieldCommandLine(const char* commandTail) {
  return std::string("uninst.exe -y -f") + commandTail;  // the tail is passed on whole
}

void RunInstallShieldUninstaller(const char* commandTail) {
  std::string application = WindowsDirectoryPath("uninst.exe");
  if (!application.empty()) RunAndWait(application, InstallShieldCommandLine(commandTail));
}
