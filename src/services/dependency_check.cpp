// The dependency check of the on-access service.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "services/service_removal.h"
#include "support/handles.h"
#include "support/trace.h"

namespace {

const char kOnAccessDependencyService[] = "Varden Wardel";
const char* const kProductScanners[] = {"Varden Tessor", "Varden Mirel"};

constexpr int kForeign = 1;
constexpr int kNoForeign = 0;

// Key names compare exactly: a name differing in letter case is another service.
bool IsTolerated(const char* name, const char* const* tolerated, int count) {
  return std::any_of(tolerated, tolerated + count,
                     [&](const char* allowed) { return std::strcmp(name, allowed) == 0; });
}

// The verdict on the dependents of an open service, active and inactive alike.
int DependentsVerdict(SC_HANDLE service, const char* const* tolerated, int count) {
  DWORD needed = 0;
  DWORD returned = 0;
  if (EnumDependentServicesA(service, SERVICE_STATE_ALL, nullptr, 0, &needed, &returned)) {
    return kNoForeign;
  }
  if (GetLastError() != ERROR_MORE_DATA) return kForeign;

  std::vector<ENUM_SERVICE_STATUSA> records;
  try {
    records.resize(needed / sizeof(ENUM_SERVICE_STATUSA) + 1);
  } catch (const std::bad_alloc&) {
    return kForeign;
  }
  if (!EnumDependentServicesA(service, SERVICE_STATE_ALL, records.data(), needed, &needed,
                              &returned)) {
    return kForeign;
  }
  const bool allTolerated =
      std::all_of(records.begin(), records.begin() + std::min<std::size_t>(returned, records.size()),
                  [&](const ENUM_SERVICE_STATUSA& record) {
                    // A record without a name names no service.
                    return !record.lpServiceName ||
                           IsTolerated(record.lpServiceName, tolerated, count);
                  });
  return allTolerated ? kNoForeign : kForeign;
}

}  // namespace

int ServiceHasForeignDependents(const char* serviceName, const char* const* tolerated, int count) {
  TraceValue("Checking service dependencies for: ", serviceName);
  Trace("Open service manager...\n");
  int verdict = kForeign;
  const ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!manager) {
    Trace("Can't open service manager");
  } else {
    Trace("Open service...\n");
    const ServiceHandle service(OpenServiceA(manager.Get(), serviceName, SERVICE_ALL_ACCESS));
    if (!service) {
      const DWORD error = GetLastError();  // before the trace can touch it
      Trace("Can't open service\n");
      verdict = error == ERROR_SERVICE_DOES_NOT_EXIST ? kNoForeign : kForeign;
    } else {
      Trace("Enumarate service dependencies...\n");
      verdict = DependentsVerdict(service.Get(), tolerated, count);
    }
  }
  Trace(verdict == kForeign ? "Service has dependencies\n"
                            : "Service doesn't have dependencies else VDAV's\n");
  return verdict;
}

int OnAccessDriversRemovable() {
  const int verdict = ServiceHasForeignDependents(
      kOnAccessDependencyService, kProductScanners,
      static_cast<int>(sizeof kProductScanners / sizeof kProductScanners[0]));
  return verdict == kNoForeign ? 1 : 0;
}
