// The walks over the lists the service control manager returns: the on-access driver's
// dependents and the list of all services, over arbitrary sets of services (names of any
// length and bytes, any states and types), lists that grow between the size query and
// the fetch, and managers that ignore the resume handle or leave names unfilled.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

#include "fuzz/fuzz_machine.h"
#include "services/service_removal.h"
#include "snmp/snmp_agent.h"

namespace {

const char kOnAccess[] = "Varden Wardel";

void InstallService(winsim::Machine& machine, FuzzedDataProvider& input, bool& foreignDependent) {
  std::string name = input.ConsumeRandomLengthString(300);
  name = name.substr(0, name.find('\0'));
  if (name.empty() || machine.services.Get(name) || name == kOnAccess) return;
  const bool dependsOnOnAccess = input.ConsumeBool();
  std::vector<std::string> dependsOn;
  if (dependsOnOnAccess) dependsOn.push_back(kOnAccess);
  winsim::Service& service =
      machine.services.Install(name, input.ConsumeBool() ? SERVICE_RUNNING : SERVICE_STOPPED, dependsOn);
  service.type = input.ConsumeBool() ? SERVICE_WIN32_OWN_PROCESS : SERVICE_KERNEL_DRIVER;
  if (dependsOnOnAccess && name != "Varden Tessor" && name != "Varden Mirel") foreignDependent = true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  winsim::Machine& machine = FreshMachine();
  const bool onAccessInstalled = input.ConsumeBool();
  if (onAccessInstalled) machine.services.Install(kOnAccess, SERVICE_RUNNING).type = SERVICE_KERNEL_DRIVER;
  machine.services.enumIgnoresResumeHandle = input.ConsumeBool();
  machine.services.enumLeavesNamesUnfilled = input.ConsumeBool();
  bool foreignDependent = false;
  for (int count = input.ConsumeIntegralInRange(0, 60); count > 0; --count) {
    InstallService(machine, input, foreignDependent);
  }
  // A service installed while the walk runs, between two of its calls.
  const bool racing = input.ConsumeBool();
  if (racing) {
    const unsigned call = input.ConsumeIntegralInRange(1, 3);
    const std::string api = input.ConsumeBool() ? "EnumDependentServicesA" : "EnumServicesStatusA";
    machine.faults.BeforeCall(api, call, [&machine, &input, &foreignDependent] {
      InstallService(machine, input, foreignDependent);
    });
  }

  const int removable = OnAccessDriversRemovable();
  FUZZ_CHECK(removable == 0 || removable == 1);
  if (!racing && onAccessInstalled) FUZZ_CHECK(removable == (foreignDependent ? 0 : 1));
  FUZZ_CHECK(machine.OpenHandles() == 0);

  const int snmp = IsSNMPMasterAgentInstalled();
  if (snmp == 1) FUZZ_CHECK(machine.services.Get("SNMP") != nullptr);
  FUZZ_CHECK(machine.OpenHandles() == 0);
  return 0;
}
