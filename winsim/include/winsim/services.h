// The simulated service control manager. Services are addressed by their key names
// (compared without case, as the manager does) and each has a key under
// HKLM\SYSTEM\CurrentControlSet\Services that goes with it when it is deleted.
// A service's behaviour is scripted as the statuses it reports on the queries that
// follow a stop or start request.
#pragma once

#include <windows.h>

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace winsim {

struct ServiceState {
  DWORD state = SERVICE_STOPPED;
  DWORD checkPoint = 0;
  DWORD waitHint = 0;
};

struct Service {
  std::string name;  // key name
  std::string displayName;
  DWORD type = SERVICE_WIN32_OWN_PROCESS;
  ServiceState status;
  std::vector<std::string> dependsOn;  // key names of the services it needs
  DWORD deniedAccess = 0;              // OpenServiceA refuses these rights

  // Statuses reported after a stop request, one per query; the last one stays.
  std::vector<ServiceState> onStop{{SERVICE_STOPPED, 0, 0}};
  std::vector<ServiceState> onStart{{SERVICE_RUNNING, 0, 0}};
  DWORD stopError = 0;    // ControlService(STOP) fails with this
  DWORD startError = 0;   // StartServiceA fails with this
  DWORD deleteError = 0;  // DeleteService fails with this
  DWORD queryError = 0;   // QueryServiceStatus fails with this
  bool markedForDelete = false;

  std::deque<ServiceState> upcoming;  // statuses still to be reported, one per query
  std::vector<DWORD> controls;        // every control request it received
  int starts = 0;                     // StartServiceA calls that succeeded
};

class ServiceManager {
 public:
  DWORD deniedAccess = 0;  // OpenSCManagerA refuses these rights
  // EnumServicesStatusA as other implementations of the manager answer it:
  // every call lists from the first service and leaves the resume handle alone;
  bool enumIgnoresResumeHandle = false;
  // a call that fails with ERROR_MORE_DATA returns records without service names.
  bool enumLeavesNamesUnfilled = false;
  // EnumDependentServicesA returns its records without service names.
  bool dependentsLeaveNamesUnfilled = false;

  // Installs a service and its registry key.
  Service& Install(std::string name, DWORD state = SERVICE_STOPPED,
                   std::vector<std::string> dependsOn = {});
  Service* Get(const std::string& name);   // null when not installed
  std::vector<std::string> Names() const;  // in installation order
  std::size_t OpenHandles() const { return handles_.size(); }
  std::string Dump() const;

  // For the API layer.
  struct Handle {
    bool manager;
    std::string service;
    DWORD access;
  };
  SC_HANDLE Open(Handle handle);
  Handle* Get(SC_HANDLE handle);
  bool Close(SC_HANDLE handle);
  // Reports the next status of a service (one query's worth of progress).
  ServiceState Advance(Service& service);
  // Removes a service marked for deletion once it has stopped and no handle is open.
  void Reap();
  std::vector<std::string> DependentsOf(const std::string& name) const;
  // What the system's start does to the services: every handle is gone, a service marked
  // for deletion or whose key was removed is no more, and those that start with the
  // system (boot, system and automatic start) run once the services they need do.
  void Restart();

 private:
  std::vector<std::unique_ptr<Service>> services_;
  std::map<ULONG_PTR, Handle> handles_;
  ULONG_PTR nextHandle_ = 0x7000;
};

}  // namespace winsim
