// CreateProcessA, WaitForSingleObject and CloseHandle over scripted child programs.
#include <winsim/processes.h>
#include <winsim/text.h>

#include "api.h"

namespace winsim {

void Processes::Script(std::string_view applicationPath, ChildScript script) {
  scripts_[Upper(applicationPath)] = std::move(script);
}

BOOL Processes::Start(Launch launch, LPPROCESS_INFORMATION info) {
  FileSystem& files = machine().files;
  if (launch.application.empty() || !files.Lookup(launch.application) ||
      files.IsDirectory(launch.application)) {
    return api::Fail(ERROR_FILE_NOT_FOUND);
  }
  ChildScript script;
  if (auto it = scripts_.find(Upper(launch.application)); it != scripts_.end()) script = it->second;
  launches.push_back(launch);
  std::size_t index = launches.size() - 1;
  if (script.run) script.run(launches[index]);
  std::uint64_t endsAt = machine().clock.Now() + script.runtimeMs;
  info->hProcess = reinterpret_cast<HANDLE>(nextHandle_);
  handles_[nextHandle_] = Child{index, endsAt, false};
  info->hThread = reinterpret_cast<HANDLE>(nextHandle_ + 4);
  handles_[nextHandle_ + 4] = Child{index, endsAt, true};
  nextHandle_ += 8;
  info->dwProcessId = nextId_;
  info->dwThreadId = nextId_ + 4;
  nextId_ += 8;
  return TRUE;
}

DWORD Processes::Wait(HANDLE handle, DWORD timeoutMs) {
  auto it = handles_.find(reinterpret_cast<ULONG_PTR>(handle));
  if (it == handles_.end()) return api::FailWith(ERROR_INVALID_HANDLE, WAIT_FAILED);
  Clock& clock = machine().clock;
  const Child& child = it->second;
  if (timeoutMs == INFINITE) launches[child.launch].waitedFor = true;
  if (clock.Now() >= child.endsAt) return WAIT_OBJECT_0;
  if (timeoutMs != INFINITE && clock.Now() + timeoutMs < child.endsAt) {
    clock.Advance(timeoutMs);
    return WAIT_TIMEOUT;
  }
  clock.Advance(child.endsAt - clock.Now());
  return WAIT_OBJECT_0;
}

bool Processes::Close(HANDLE handle) {
  return handles_.erase(reinterpret_cast<ULONG_PTR>(handle)) == 1;
}

}  // namespace winsim

using winsim::machine;

BOOL WINAPI CreateProcessA(LPCSTR lpApplicationName, LPSTR lpCommandLine, LPSECURITY_ATTRIBUTES,
                           LPSECURITY_ATTRIBUTES, BOOL bInheritHandles, DWORD dwCreationFlags,
                           LPVOID lpEnvironment, LPCSTR lpCurrentDirectory,
                           LPSTARTUPINFOA lpStartupInfo, LPPROCESS_INFORMATION lpProcessInformation) {
  if (auto e = winsim::api::Enter("CreateProcessA")) return winsim::api::Fail(*e);
  if (!lpStartupInfo || !lpProcessInformation) return winsim::api::Fail(ERROR_INVALID_PARAMETER);
  winsim::Launch launch;
  launch.application = lpApplicationName ? lpApplicationName : "";
  launch.commandLine = lpCommandLine ? lpCommandLine : "";
  launch.inheritHandles = bInheritHandles;
  launch.creationFlags = dwCreationFlags;
  launch.ownEnvironment = lpEnvironment == nullptr;
  launch.ownCurrentDirectory = lpCurrentDirectory == nullptr;
  launch.startupSize = lpStartupInfo->cb;
  launch.startupFlags = lpStartupInfo->dwFlags;
  launch.showWindow = lpStartupInfo->wShowWindow;
  return machine().processes.Start(std::move(launch), lpProcessInformation);
}

DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
  if (auto e = winsim::api::Enter("WaitForSingleObject")) return winsim::api::FailWith(*e, WAIT_FAILED);
  return machine().processes.Wait(hHandle, dwMilliseconds);
}

BOOL WINAPI CloseHandle(HANDLE hObject) {
  if (auto e = winsim::api::Enter("CloseHandle")) return winsim::api::Fail(*e);
  if (machine().processes.Close(hObject) || machine().files.CloseFile(hObject)) return TRUE;
  return winsim::api::Fail(ERROR_INVALID_HANDLE);
}
