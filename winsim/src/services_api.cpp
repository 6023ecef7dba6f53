// OpenSCManagerA and the other service control manager functions.
#include <windows.h>

#include <cstring>

#include "api.h"

using winsim::machine;
using winsim::Service;

namespace {

winsim::ServiceManager& scm() { return machine().services; }

Service* ServiceOf(SC_HANDLE handle) {
  winsim::ServiceManager::Handle* h = scm().Get(handle);
  if (!h || h->manager) return nullptr;
  return scm().Get(h->service);
}

void Fill(SERVICE_STATUS* status, const Service& service) {
  *status = SERVICE_STATUS{};
  status->dwServiceType = service.type;
  status->dwCurrentState = service.status.state;
  status->dwControlsAccepted = SERVICE_ACCEPT_STOP;
  status->dwCheckPoint = service.status.checkPoint;
  status->dwWaitHint = service.status.waitHint;
}

bool Active(const Service& service) { return service.status.state != SERVICE_STOPPED; }

// Lays out records followed by their strings, as the system does, from `first` on.
// Returns the number of records that fit and sets `needed` to the bytes for them all.
DWORD Pack(const std::vector<Service*>& services, std::size_t first, LPENUM_SERVICE_STATUSA out,
           DWORD size, DWORD* needed) {
  auto bytesFor = [](const Service& s) {
    return sizeof(ENUM_SERVICE_STATUSA) + s.name.size() + 1 + s.displayName.size() + 1;
  };
  std::size_t total = 0;
  for (std::size_t i = first; i < services.size(); ++i) total += bytesFor(*services[i]);
  *needed = static_cast<DWORD>(total);
  std::size_t fit = 0, used = 0;
  while (first + fit < services.size() && used + bytesFor(*services[first + fit]) <= size) {
    used += bytesFor(*services[first + fit]);
    ++fit;
  }
  if (!out) return static_cast<DWORD>(fit);
  char* strings = reinterpret_cast<char*>(out) + fit * sizeof(ENUM_SERVICE_STATUSA);
  for (std::size_t i = 0; i < fit; ++i) {
    const Service& s = *services[first + i];
    out[i].lpServiceName = strings;
    std::memcpy(strings, s.name.c_str(), s.name.size() + 1);
    strings += s.name.size() + 1;
    out[i].lpDisplayName = strings;
    std::memcpy(strings, s.displayName.c_str(), s.displayName.size() + 1);
    strings += s.displayName.size() + 1;
    Fill(&out[i].ServiceStatus, s);
  }
  return static_cast<DWORD>(fit);
}

}  // namespace

SC_HANDLE WINAPI OpenSCManagerA(LPCSTR lpMachineName, LPCSTR, DWORD dwDesiredAccess) {
  if (auto e = winsim::api::Enter("OpenSCManagerA")) return winsim::api::FailWith(*e, SC_HANDLE{});
  if (lpMachineName && *lpMachineName) return winsim::api::FailWith(ERROR_BAD_NETPATH, SC_HANDLE{});
  if (scm().deniedAccess & dwDesiredAccess) {
    return winsim::api::FailWith(ERROR_ACCESS_DENIED, SC_HANDLE{});
  }
  return scm().Open({true, "", dwDesiredAccess});
}

SC_HANDLE WINAPI OpenServiceA(SC_HANDLE hSCManager, LPCSTR lpServiceName, DWORD dwDesiredAccess) {
  if (auto e = winsim::api::Enter("OpenServiceA")) return winsim::api::FailWith(*e, SC_HANDLE{});
  winsim::ServiceManager::Handle* manager = scm().Get(hSCManager);
  if (!manager || !manager->manager) return winsim::api::FailWith(ERROR_INVALID_HANDLE, SC_HANDLE{});
  Service* service = lpServiceName ? scm().Get(lpServiceName) : nullptr;
  if (!service) return winsim::api::FailWith(ERROR_SERVICE_DOES_NOT_EXIST, SC_HANDLE{});
  if (service->deniedAccess & dwDesiredAccess) {
    return winsim::api::FailWith(ERROR_ACCESS_DENIED, SC_HANDLE{});
  }
  return scm().Open({false, service->name, dwDesiredAccess});
}

BOOL WINAPI CloseServiceHandle(SC_HANDLE hSCObject) {
  if (auto e = winsim::api::Enter("CloseServiceHandle")) return winsim::api::Fail(*e);
  return scm().Close(hSCObject) ? TRUE : winsim::api::Fail(ERROR_INVALID_HANDLE);
}

BOOL WINAPI QueryServiceStatus(SC_HANDLE hService, LPSERVICE_STATUS lpServiceStatus) {
  if (auto e = winsim::api::Enter("QueryServiceStatus")) return winsim::api::Fail(*e);
  Service* service = ServiceOf(hService);
  if (!service) return winsim::api::Fail(ERROR_INVALID_HANDLE);
  if (service->queryError) return winsim::api::Fail(service->queryError);
  scm().Advance(*service);
  Fill(lpServiceStatus, *service);
  return TRUE;
}

BOOL WINAPI ControlService(SC_HANDLE hService, DWORD dwControl, LPSERVICE_STATUS lpServiceStatus) {
  if (auto e = winsim::api::Enter("ControlService")) return winsim::api::Fail(*e);
  Service* service = ServiceOf(hService);
  if (!service) return winsim::api::Fail(ERROR_INVALID_HANDLE);
  service->controls.push_back(dwControl);
  if (dwControl != SERVICE_CONTROL_STOP) return winsim::api::Fail(ERROR_INVALID_SERVICE_CONTROL);
  if (!Active(*service)) return winsim::api::Fail(ERROR_SERVICE_NOT_ACTIVE);
  for (const std::string& dependent : scm().DependentsOf(service->name)) {
    if (Active(*scm().Get(dependent))) return winsim::api::Fail(ERROR_DEPENDENT_SERVICES_RUNNING);
  }
  if (service->stopError) return winsim::api::Fail(service->stopError);
  service->upcoming.assign(service->onStop.begin(), service->onStop.end());
  scm().Advance(*service);
  if (lpServiceStatus) Fill(lpServiceStatus, *service);
  return TRUE;
}

BOOL WINAPI StartServiceA(SC_HANDLE hService, DWORD, LPCSTR*) {
  if (auto e = winsim::api::Enter("StartServiceA")) return winsim::api::Fail(*e);
  Service* service = ServiceOf(hService);
  if (!service) return winsim::api::Fail(ERROR_INVALID_HANDLE);
  if (service->markedForDelete) return winsim::api::Fail(ERROR_SERVICE_MARKED_FOR_DELETE);
  if (Active(*service)) return winsim::api::Fail(ERROR_SERVICE_ALREADY_RUNNING);
  if (service->startError) return winsim::api::Fail(service->startError);
  ++service->starts;
  service->upcoming.assign(service->onStart.begin(), service->onStart.end());
  service->status = winsim::ServiceState{SERVICE_START_PENDING, 0, 0};
  return TRUE;
}

BOOL WINAPI DeleteService(SC_HANDLE hService) {
  if (auto e = winsim::api::Enter("DeleteService")) return winsim::api::Fail(*e);
  Service* service = ServiceOf(hService);
  if (!service) return winsim::api::Fail(ERROR_INVALID_HANDLE);
  if (service->deleteError) return winsim::api::Fail(service->deleteError);
  if (service->markedForDelete) return winsim::api::Fail(ERROR_SERVICE_MARKED_FOR_DELETE);
  service->markedForDelete = true;
  return TRUE;
}

BOOL WINAPI EnumDependentServicesA(SC_HANDLE hService, DWORD dwServiceState,
                                   LPENUM_SERVICE_STATUSA lpServices, DWORD cbBufSize,
                                   LPDWORD pcbBytesNeeded, LPDWORD lpServicesReturned) {
  if (auto e = winsim::api::Enter("EnumDependentServicesA")) return winsim::api::Fail(*e);
  Service* service = ServiceOf(hService);
  if (!service) return winsim::api::Fail(ERROR_INVALID_HANDLE);
  std::vector<Service*> dependents;
  for (const std::string& name : scm().DependentsOf(service->name)) {
    Service* dependent = scm().Get(name);
    bool active = Active(*dependent);
    if ((active && (dwServiceState & SERVICE_ACTIVE)) || (!active && (dwServiceState & SERVICE_INACTIVE))) {
      dependents.push_back(dependent);
    }
  }
  DWORD needed = 0;
  DWORD fit = Pack(dependents, 0, nullptr, cbBufSize, &needed);
  *lpServicesReturned = 0;
  if (fit < dependents.size()) {
    *pcbBytesNeeded = needed;
    return winsim::api::Fail(ERROR_MORE_DATA);
  }
  *pcbBytesNeeded = 0;
  *lpServicesReturned = Pack(dependents, 0, lpServices, cbBufSize, &needed);
  if (scm().dependentsLeaveNamesUnfilled) {
    for (DWORD i = 0; i < *lpServicesReturned; ++i) lpServices[i].lpServiceName = nullptr;
  }
  return TRUE;
}

BOOL WINAPI EnumServicesStatusA(SC_HANDLE hSCManager, DWORD dwServiceType, DWORD dwServiceState,
                                LPENUM_SERVICE_STATUSA lpServices, DWORD cbBufSize,
                                LPDWORD pcbBytesNeeded, LPDWORD lpServicesReturned,
                                LPDWORD lpResumeHandle) {
  if (auto e = winsim::api::Enter("EnumServicesStatusA")) return winsim::api::Fail(*e);
  winsim::ServiceManager::Handle* manager = scm().Get(hSCManager);
  if (!manager || !manager->manager) return winsim::api::Fail(ERROR_INVALID_HANDLE);
  std::vector<Service*> listed;
  for (const std::string& name : scm().Names()) {
    Service* service = scm().Get(name);
    bool active = Active(*service);
    bool stateMatches = (active && (dwServiceState & SERVICE_ACTIVE)) ||
                        (!active && (dwServiceState & SERVICE_INACTIVE));
    if (stateMatches && (service->type & dwServiceType)) listed.push_back(service);
  }
  const bool resumes = lpResumeHandle && !scm().enumIgnoresResumeHandle;
  std::size_t first = resumes ? *lpResumeHandle : 0;
  if (first > listed.size()) first = listed.size();
  DWORD needed = 0;
  DWORD fit = Pack(listed, first, lpServices, cbBufSize, &needed);
  *lpServicesReturned = fit;
  if (first + fit < listed.size()) {
    DWORD rest = 0;
    Pack(listed, first + fit, nullptr, 0, &rest);
    // Without resuming, the next call has to hold the whole list again.
    *pcbBytesNeeded = resumes ? rest : needed;
    if (scm().enumLeavesNamesUnfilled) {
      for (DWORD i = 0; i < fit; ++i) lpServices[i].lpServiceName = nullptr;
    }
    if (resumes) *lpResumeHandle = static_cast<DWORD>(first + fit);
    return winsim::api::Fail(ERROR_MORE_DATA);
  }
  *pcbBytesNeeded = 0;
  if (resumes) *lpResumeHandle = 0;
  return TRUE;
}
