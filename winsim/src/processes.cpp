// CreateProcessA, WaitForSingleObject and CloseHandle over scripted child programs.
#include <winsim/processes.h>
#include <winsim/text.h>

#include <optional>

#include "api.h"

namespace winsim {

void Processes::Script(std::string_view applicationPath, ChildScript script) {
  scripts_[Upper(applicationPath)] = std::move(script);
}

namespace {

bool IsProgramFile(std::string_view path) {
  const FileNode* node = machine().files.Lookup(path);
  return node && !node->IsDirectory();
}

// A name as the command line gives it: ".exe" is added when its last name has no
// extension, and a bare name is looked for in the current directory and the system's
// directories.
std::optional<std::string> FindCommand(std::string name) {
  const std::size_t lastName = name.find_last_of("\\/:") + 1;
  if (name.find('.', lastName) == std::string::npos) name += ".exe";
  if (lastName > 0) {
    if (IsProgramFile(name)) return name;
    return std::nullopt;
  }
  const std::string& windows = machine().system.windowsDirectory;
  for (const std::string& directory :
       {machine().files.currentDirectory, windows + "\\system32", windows + "\\system", windows}) {
    std::string path = directory + (directory.back() == '\\' ? "" : "\\") + name;
    if (IsProgramFile(path)) return path;
  }
  return std::nullopt;
}

// The program CreateProcessA starts: the application name as it is, or else the command
// line's first name, in quotes, or else the shortest run of its words up to a blank that
// names a program. Sets `error` when there is none.
std::optional<std::string> FindProgram(const Launch& launch, DWORD* error) {
  FileSystem& files = machine().files;
  if (!launch.application.empty()) {
    const FileNode* node = files.Lookup(launch.application);
    *error = !node ? files.NotFoundError(launch.application) : ERROR_ACCESS_DENIED;
    if (node && !node->IsDirectory()) return launch.application;
    return std::nullopt;
  }
  *error = ERROR_FILE_NOT_FOUND;
  const std::string& line = launch.commandLine;
  if (!line.empty() && line[0] == '"') return FindCommand(line.substr(1, line.find('"', 1) - 1));
  for (std::size_t end = line.find_first_of(" \t");; end = line.find_first_of(" \t", end + 1)) {
    if (std::optional<std::string> found = FindCommand(line.substr(0, end))) return found;
    if (end == std::string::npos) return std::nullopt;
  }
}

}  // namespace

std::optional<Processes::Child> Processes::Run(Launch launch, DWORD* error) {
  const std::optional<std::string> program = FindProgram(launch, error);
  if (!program) return std::nullopt;
  launch.program = *program;
  ChildScript script;
  if (auto it = scripts_.find(Upper(launch.program)); it != scripts_.end()) script = it->second;
  launches.push_back(launch);
  std::size_t index = launches.size() - 1;
  if (script.run) script.run(launches[index]);
  return Child{index, machine().clock.Now() + script.runtimeMs, false};
}

void Processes::StartAtLogon(const std::string& commandLine) {
  Launch launch;
  launch.commandLine = commandLine;
  DWORD error = 0;
  Run(std::move(launch), &error);
}

BOOL Processes::Start(Launch launch, LPPROCESS_INFORMATION info) {
  DWORD error = 0;
  const std::optional<Child> child = Run(std::move(launch), &error);
  if (!child) return api::Fail(error);
  info->hProcess = reinterpret_cast<HANDLE>(nextHandle_);
  handles_[nextHandle_] = *child;
  info->hThread = reinterpret_cast<HANDLE>(nextHandle_ + 4);
  handles_[nextHandle_ + 4] = Child{child->launch, child->endsAt, true};
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
  const ULONG_PTR key = reinterpret_cast<ULONG_PTR>(handle);
  return handles_.erase(key) == 1 || mutexes_.erase(key) == 1;
}

bool Processes::MutexOpen(const std::string& name) const {
  for (const auto& [handle, mutexName] : mutexes_) {
    if (!name.empty() && mutexName == name) return true;
  }
  return false;
}

// Names of kernel objects are compared with their case.
HANDLE Processes::OpenMutex(const std::string& name, bool* existed) {
  *existed = MutexOpen(name);
  const ULONG_PTR handle = nextHandle_;
  nextHandle_ += 8;
  mutexes_[handle] = name;
  return reinterpret_cast<HANDLE>(handle);
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

HANDLE WINAPI CreateMutexA(LPSECURITY_ATTRIBUTES, BOOL, LPCSTR lpName) {
  if (auto e = winsim::api::Enter("CreateMutexA")) return winsim::api::FailWith(*e, HANDLE(nullptr));
  bool existed = false;
  HANDLE mutex = machine().processes.OpenMutex(lpName ? lpName : "", &existed);
  SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return mutex;
}

BOOL WINAPI CloseHandle(HANDLE hObject) {
  if (auto e = winsim::api::Enter("CloseHandle")) return winsim::api::Fail(*e);
  if (machine().processes.Close(hObject) || machine().files.CloseFile(hObject)) return TRUE;
  return winsim::api::Fail(ERROR_INVALID_HANDLE);
}
