// Child processes: every launch is recorded, and a test scripts what a child does to
// the machine before it ends.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace winsim {

struct Launch {
  std::string application;  // as passed; empty when none was
  std::string commandLine;
  std::string program;  // the file that was started, found as CreateProcessA finds it
  BOOL inheritHandles = FALSE;
  DWORD creationFlags = 0;
  bool ownEnvironment = true;       // no environment block was passed
  bool ownCurrentDirectory = true;  // no current directory was passed
  DWORD startupSize = 0;
  DWORD startupFlags = 0;
  WORD showWindow = 0;
  bool waitedFor = false;  // waited on with INFINITE until it ended
};

struct ChildScript {
  std::function<void(const Launch&)> run;  // what the child does to the machine
  DWORD runtimeMs = 0;                     // how long it runs, on the virtual clock
  DWORD exitCode = 0;
};

class Processes {
 public:
  // Programs run by the path they were found under (compared without case); a path with
  // no script just ends.
  void Script(std::string_view applicationPath, ChildScript script);
  std::vector<Launch> launches;
  std::size_t OpenHandles() const { return handles_.size() + mutexes_.size(); }
  // True while a handle to the named mutex is open (the copies of a program share them).
  bool MutexOpen(const std::string& name) const;

  // Starts the program a command line names as the system does at logon, keeping no
  // handle to it; nothing when its file is not there.
  void StartAtLogon(const std::string& commandLine);
  void DropHandles() {  // the program that held them has ended
    handles_.clear();
    mutexes_.clear();
  }

  // For the API layer.
  BOOL Start(Launch launch, LPPROCESS_INFORMATION info);
  DWORD Wait(HANDLE handle, DWORD timeoutMs);
  bool Close(HANDLE handle);
  // A handle to the mutex `name` (none: unnamed), and whether it existed already.
  HANDLE OpenMutex(const std::string& name, bool* existed);

 private:
  struct Child {
    std::size_t launch;
    std::uint64_t endsAt;
    bool isThread;
  };
  // Finds the program, records the launch and runs the program's script; none, with
  // `error` set, when there is no such program.
  std::optional<Child> Run(Launch launch, DWORD* error);
  std::map<std::string, ChildScript> scripts_;
  std::map<ULONG_PTR, Child> handles_;
  std::map<ULONG_PTR, std::string> mutexes_;  // by handle: the mutex's name
  ULONG_PTR nextHandle_ = 0x9000;
  DWORD nextId_ = 0x400;
};

}  // namespace winsim
