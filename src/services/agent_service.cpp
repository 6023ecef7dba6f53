#include "services/agent_service.h"

#include <windows.h>

#include <string>

#include "services/platform.h"
#include "services/service_stop.h"
#include "support/handles.h"
#include "support/registry_path.h"

namespace {

const char kAgentService[] = "Tessor Anti-Virus Service";
const char kAgentServiceKey[] = "SYSTEM\\CurrentControlSet\\Services\\Tessor Anti-Virus Service";
const char kApplicationLogKey[] = "System\\CurrentControlSet\\Services\\EventLog\\Application";

constexpr int kStopFailed = 2;

// The service's event-log source in the registry path notation: the log's key, a
// backslash that doubles the one ending the log's name, the service name and an empty
// data part.
std::string EventLogSourcePath() {
  return std::string("HKEY_LOCAL_MACHINE\\") + kApplicationLogKey + "\\\\" + kAgentService + "|";
}

}  // namespace

int AgentServiceInstalled() {
  if (QueryPlatform() != kPlatformNt) return 1;
  RegKey key;
  return RegOpenKeyExA(HKEY_LOCAL_MACHINE, kAgentServiceKey, 0, KEY_READ, key.Receive()) ==
                 ERROR_SUCCESS
             ? 1
             : 0;
}

int RemoveAgentService() {
  if (QueryPlatform() != kPlatformNt) return 0;
  if (UnregisterAgentService() != 0) return 1;
  return StopAgentService() != 0 ? 2 : 0;
}

int UnregisterAgentService() {
  const int removed = StopAndDeleteService(kAgentService);
  if (removed != 0) return removed;
  // A missing entry or a refused deletion changes nothing for the removal.
  RegPathDeleteKey(EventLogSourcePath().c_str(), false);
  return 0;
}

std::string AgentEventSourceKey() { return std::string(kApplicationLogKey) + "\\" + kAgentService; }

void RemoveAgentEventSource() {
  // Straight by its path: the notation would create the keys above a missing entry.
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, AgentEventSourceKey().c_str());
}

int AgentServiceRunning() {
  if (QueryPlatform() != kPlatformNt) return 0;
  const ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, GENERIC_READ));
  if (!manager) return 0;
  const ServiceHandle service(OpenServiceA(manager.Get(), kAgentService, SERVICE_QUERY_STATUS));
  if (!service) return 0;
  SERVICE_STATUS status{};
  // A state that cannot be read is not taken for stopped.
  if (!QueryServiceStatus(service.Get(), &status)) return 1;
  return IsActiveState(status.dwCurrentState) ? 1 : 0;
}

int StopAgentService() {
  const ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!AgentServiceRunning()) return 0;
  if (!manager) return kStopFailed;
  return StopServiceAndWait(manager.Get(), kAgentService) != kStopDone ? kStopFailed : 0;
}
