// CreateServiceA: how an installer registers a service with the manager.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "api.h"

using winsim::machine;

SC_HANDLE WINAPI CreateServiceA(SC_HANDLE hSCManager, LPCSTR lpServiceName, LPCSTR lpDisplayName,
                                DWORD dwDesiredAccess, DWORD dwServiceType, DWORD dwStartType,
                                DWORD, LPCSTR lpBinaryPathName, LPCSTR, LPDWORD,
                                LPCSTR lpDependencies, LPCSTR, LPCSTR) {
  if (auto e = winsim::api::Enter("CreateServiceA")) return winsim::api::FailWith(*e, SC_HANDLE{});
  winsim::ServiceManager& scm = machine().services;
  winsim::ServiceManager::Handle* manager = scm.Get(hSCManager);
  if (!manager || !manager->manager)
    return winsim::api::FailWith(ERROR_INVALID_HANDLE, SC_HANDLE{});
  if (!(manager->access & SC_MANAGER_CREATE_SERVICE)) {
    return winsim::api::FailWith(ERROR_ACCESS_DENIED, SC_HANDLE{});
  }
  if (!lpServiceName || !*lpServiceName || !lpBinaryPathName) {
    return winsim::api::FailWith(ERROR_INVALID_PARAMETER, SC_HANDLE{});
  }
  if (const winsim::Service* existing = scm.Get(lpServiceName)) {
    const DWORD error =
        existing->markedForDelete ? ERROR_SERVICE_MARKED_FOR_DELETE : ERROR_SERVICE_EXISTS;
    return winsim::api::FailWith(error, SC_HANDLE{});
  }

  // The dependencies come as a list of names, each ended by a null, the list by another.
  std::vector<std::string> dependsOn;
  for (const char* name = lpDependencies; name && *name; name += std::strlen(name) + 1)
    dependsOn.emplace_back(name);
  winsim::Service& service = scm.Install(lpServiceName, SERVICE_STOPPED, std::move(dependsOn));
  service.type = dwServiceType;
  if (lpDisplayName) service.displayName = lpDisplayName;
  const std::string key = std::string("SYSTEM\\CurrentControlSet\\Services\\") + lpServiceName;
  machine().registry.SetDword(HKEY_LOCAL_MACHINE, key, "Type", dwServiceType);
  machine().registry.SetDword(HKEY_LOCAL_MACHINE, key, "Start", dwStartType);
  machine().registry.SetString(HKEY_LOCAL_MACHINE, key, "DisplayName", service.displayName);
  machine().registry.SetString(HKEY_LOCAL_MACHINE, key, "ImagePath", lpBinaryPathName);
  return scm.Open({false, service.name, dwDesiredAccess});
}
