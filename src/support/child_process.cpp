#include "support/child_process.h"

#include <windows.h>

#include "support/handles.h"
#include "support/trace.h"

bool RunAndWait(const std::string& application, std::string commandLine) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOW;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(application.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                      NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup, &process)) {
    return false;
  }
  KernelHandle processHandle(process.hProcess);
  KernelHandle threadHandle(process.hThread);
  FlushRunLog();
  WaitForSingleObject(processHandle.Get(), INFINITE);
  return true;
}
