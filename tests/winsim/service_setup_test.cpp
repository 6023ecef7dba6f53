// CreateServiceA on the simulated machine: what an installer leaves behind.
#include <windows.h>

#include "common/machine_test.h"
#include "support/handles.h"

namespace {

class ServiceSetupTest : public MachineTest {
 protected:
  SC_HANDLE Create(SC_HANDLE manager, const char* name, const char* dependencies = nullptr) {
    return CreateServiceA(manager, name, "Display name", SERVICE_QUERY_STATUS | SERVICE_START,
                          SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                          "C:\\svc.exe", nullptr, nullptr, dependencies, nullptr, nullptr);
  }
};

TEST_F(ServiceSetupTest, RegistersAStoppedServiceThatStartsAndRuns) {
  ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE));
  ServiceHandle service(Create(manager.Get(), "SNMP", "Base\0Other\0"));
  ASSERT_TRUE(service);
  const winsim::Service& created = *machine().services.Get("SNMP");
  EXPECT_EQ(created.displayName, "Display name");
  EXPECT_EQ(created.dependsOn, (std::vector<std::string>{"Base", "Other"}));
  const char kKey[] = "SYSTEM\\CurrentControlSet\\Services\\SNMP";
  EXPECT_EQ(machine().registry.Value(HKEY_LOCAL_MACHINE, kKey, "ImagePath")->Text(), "C:\\svc.exe");

  SERVICE_STATUS status{};
  ASSERT_TRUE(QueryServiceStatus(service.Get(), &status));
  EXPECT_EQ(status.dwCurrentState, static_cast<DWORD>(SERVICE_STOPPED));
  ASSERT_TRUE(StartServiceA(service.Get(), 0, nullptr));
  ASSERT_TRUE(QueryServiceStatus(service.Get(), &status));
  EXPECT_EQ(status.dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING));
}

TEST_F(ServiceSetupTest, RefusesATakenNameAndAManagerOpenedWithoutTheRight) {
  machine().services.Install("SNMP");
  ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE));
  EXPECT_EQ(Create(manager.Get(), "SNMP"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_EXISTS));
  EXPECT_EQ(Create(manager.Get(), "snmp"), nullptr);  // names compare without case
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_EXISTS));
  machine().services.Get("SNMP")->markedForDelete = true;
  EXPECT_EQ(Create(manager.Get(), "SNMP"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_MARKED_FOR_DELETE));

  ServiceHandle connected(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
  EXPECT_EQ(Create(connected.Get(), "Other"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(machine().services.Get("Other"), nullptr);
}

}  // namespace
