// CreateServiceA on the simulated machine: what an installer leaves behind, beyond what
// the comparison with Wine checks (a taken name, a name marked for deletion).
#include <windows.h>

#include "common/machine_test.h"
#include "support/handles.h"

namespace {

class ServiceSetupTest : public MachineTest {};

TEST_F(ServiceSetupTest, RegistersAServiceThatStartsOnlyWithTheRightToCreate) {
  auto create = [](SC_HANDLE manager, const char* name) {
    return ServiceHandle(
        CreateServiceA(manager, name, "Display name", SERVICE_QUERY_STATUS | SERVICE_START,
                       SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                       "C:\\svc.exe", nullptr, nullptr, "Base\0Other\0", nullptr, nullptr));
  };
  ServiceHandle connected(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
  EXPECT_FALSE(create(connected.Get(), "Other"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(machine().services.Get("Other"), nullptr);

  ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE));
  const ServiceHandle service = create(manager.Get(), "SNMP");
  ASSERT_TRUE(service);
  const winsim::Service& created = *machine().services.Get("SNMP");
  EXPECT_EQ(created.displayName, "Display name");
  EXPECT_EQ(created.dependsOn, (std::vector<std::string>{"Base", "Other"}));
  EXPECT_EQ(machine()
                .registry
                .Value(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\SNMP", "ImagePath")
                ->Text(),
            "C:\\svc.exe");
  ASSERT_TRUE(StartServiceA(service.Get(), 0, nullptr));
  SERVICE_STATUS status{};
  ASSERT_TRUE(QueryServiceStatus(service.Get(), &status));
  EXPECT_EQ(status.dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING));
}

}  // namespace
