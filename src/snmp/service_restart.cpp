#include "snmp/service_restart.h"

#include "support/failure_text.h"
#include "support/trace.h"

namespace {

const char kServiceName[] = "SNMP";

}  // namespace

int RestartSnmpService() {
  ServiceHandle manager;
  ServiceHandle service;
  if (!OpenSNMPService(manager, service)) return 0;

  DWORD state = 0;
  int result = GetServiceStatus(service.Get(), &state);
  // A stopped service is not started: it reads the list anew whenever it starts.
  if (result && state != SERVICE_STOPPED) {
    result = StopService(service.Get()) && StartSNMPService(service.Get());
  }
  CloseSNMPService(manager, service);
  return result;
}

int OpenSNMPService(ServiceHandle& manager, ServiceHandle& service) {
  manager = ServiceHandle(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
  if (!manager) return RecordFailure("OpenSNMPService - OpenSCManager", GetLastError());
  service = ServiceHandle(OpenServiceA(manager.Get(), kServiceName,
                                       SERVICE_QUERY_STATUS | SERVICE_START | SERVICE_STOP));
  if (!service) {
    DWORD error = GetLastError();
    manager.Reset();
    return RecordFailure("OpenSNMPService - OpenService", error);
  }
  return 1;
}

int GetServiceStatus(SC_HANDLE service, DWORD* state) {
  SERVICE_STATUS status{};
  if (!QueryServiceStatus(service, &status)) {
    return RecordFailure("GetServiceStatus - QueryServiceStatus", GetLastError());
  }
  *state = status.dwCurrentState;
  return 1;
}

void CloseSNMPService(ServiceHandle& manager, ServiceHandle& service) {
  service.Reset();
  manager.Reset();
}

int StopService(SC_HANDLE service) {
  SERVICE_STATUS status{};
  if (!ControlService(service, SERVICE_CONTROL_STOP, &status)) {
    DWORD error = GetLastError();
    // It stopped by itself since its state was read: that is all that was wanted.
    if (error == ERROR_SERVICE_NOT_ACTIVE) return 1;
    return RecordFailure("StopService - ControlService", error);
  }
  if (WaitForServiceState(service, SERVICE_STOPPED)) return 1;
  return RecordFailure("StopService - Wait for stop service", GetLastError());
}

int StartSNMPService(SC_HANDLE service) {
  if (!StartServiceA(service, 0, nullptr)) {
    return RecordFailure("StartService - StartService", GetLastError());
  }
  if (WaitForServiceState(service, SERVICE_RUNNING)) return 1;
  return RecordFailure("StartSNMPService - Wait for StartService", GetLastError());
}

int WaitForServiceState(SC_HANDLE service, DWORD desiredState) {
  SERVICE_STATUS status{};
  if (!QueryServiceStatus(service, &status)) {
    // The caller records this query's error: keep it as the last error.
    DWORD error = GetLastError();
    FormatSystemError("WaitForServiceState - QueryServiceStatus", error);
    SetLastError(error);
    return 0;
  }
  // No overall limit: the wait lasts as long as the service reports progress.
  FlushRunLog();
  while (status.dwCurrentState != desiredState) {
    const DWORD checkPoint = status.dwCheckPoint;
    Sleep(status.dwWaitHint);
    SERVICE_STATUS latest{};
    if (!QueryServiceStatus(service, &latest)) {
      FormatSystemError("WaitForServiceState - QueryServiceStatus", GetLastError());
      break;
    }
    status = latest;
    if (status.dwCheckPoint <= checkPoint) break;
  }
  if (status.dwCurrentState == desiredState) return 1;
  SetLastError(ERROR_SERVICE_SPECIFIC_ERROR);
  return 0;
}
