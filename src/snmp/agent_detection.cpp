// Whether the SNMP service and the product's agent are installed.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "snmp/snmp_agent.h"
#include "support/failure_text.h"
#include "support/handles.h"

namespace {

const char kServiceName[] = "SNMP";
constexpr DWORD kFirstBufferSize = 360;

struct FreeMemory {
  void operator()(void* block) const { std::free(block); }
};
using Buffer = std::unique_ptr<void, FreeMemory>;

// Whether one call's entries hold the SNMP service. An entry without a service name
// is passed over, and no entry is read beyond the buffer, whatever the count says.
bool ListsSnmp(const void* buffer, DWORD size, DWORD count) {
  const auto* entries = static_cast<const ENUM_SERVICE_STATUSA*>(buffer);
  const DWORD fitting = size / sizeof(ENUM_SERVICE_STATUSA);
  for (DWORD i = 0; i < count && i < fitting; ++i) {
    const char* name = entries[i].lpServiceName;
    if (name && std::strcmp(name, kServiceName) == 0) return true;
  }
  return false;
}

}  // namespace

int IsSNMPMasterAgentInstalled() {
  ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ENUMERATE_SERVICE));
  if (!manager) return RecordFailure("IsSNMPMasterAgentInstalled - OpenSCManager", GetLastError());

  DWORD size = kFirstBufferSize;
  Buffer buffer(std::malloc(size));
  if (!buffer) return RecordFailure("IsSNMPMasterAgentInstalled - malloc", ERROR_NOT_ENOUGH_MEMORY);
  DWORD needed = 0;
  DWORD count = 0;
  DWORD resume = 0;
  for (;;) {
    // Entries the call does not fill then hold no name rather than stale pointers.
    std::memset(buffer.get(), 0, size);
    const DWORD resumeBefore = resume;
    const BOOL complete = EnumServicesStatusA(manager.Get(), SERVICE_WIN32, SERVICE_STATE_ALL,
                                              static_cast<ENUM_SERVICE_STATUSA*>(buffer.get()),
                                              size, &needed, &count, &resume);
    const DWORD error = complete ? ERROR_SUCCESS : GetLastError();
    if (!complete && error != ERROR_MORE_DATA) {
      return RecordFailure("IsSNMPMasterAgentInstalled - EnumServicesStatus", error);
    }
    if (ListsSnmp(buffer.get(), size, count)) return 1;
    if (complete) return 0;

    // More entries remain. A call that neither moved the resume handle on nor asked for
    // a larger buffer would only be repeated unchanged: the walk ends there.
    if (resume == resumeBefore && needed <= size) {
      return RecordFailure("IsSNMPMasterAgentInstalled - EnumServicesStatus", error);
    }
    if (needed > size) {
      void* grown = std::realloc(buffer.get(), needed);
      if (!grown) {
        return RecordFailure("IsSNMPMasterAgentInstalled - realloc", ERROR_NOT_ENOUGH_MEMORY);
      }
      buffer.release();
      buffer.reset(grown);
      size = needed;
    }
  }
}

int SnmpAgentInstalled() {
  const std::string path = std::string("SOFTWARE\\") + kSnmpAgentKeyPath;
  RegKey key;
  // A key that exists but will not open with full access counts as absent.
  LONG result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_ALL_ACCESS, key.Receive());
  return result == ERROR_SUCCESS ? 1 : 0;
}
