// Detecting the SNMP service and the product's agent.
#include <windows.h>

#include "common/machine_test.h"
#include "common/product.h"
#include "snmp/snmp_agent.h"
#include "support/failure_text.h"

namespace {

class SnmpDetectionTest : public MachineTest {
 protected:
  // Services with names long enough that 360 bytes hold only a few of them.
  void InstallOtherServices(int count) {
    for (int i = 0; i < count; ++i) {
      machine().services.Install("Orvik Network Monitoring Service " + std::to_string(i),
                                 SERVICE_RUNNING);
    }
  }
  unsigned Enumerations() { return machine().faults.CallCount("EnumServicesStatusA"); }
};

TEST_F(SnmpDetectionTest, TheSnmpServiceIsFoundInAnyState) {
  InstallOtherServices(1);
  machine().services.Install("SNMP", SERVICE_STOPPED);

  EXPECT_EQ(IsSNMPMasterAgentInstalled(), 1);
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(SnmpDetectionTest, OnlyAWin32ServiceWhoseServiceNameIsExactlySnmpCounts) {
  InstallOtherServices(1);
  machine().services.Install("snmp", SERVICE_RUNNING);
  machine().services.Install("SNMPTRAP", SERVICE_RUNNING);
  machine().services.Install("SNMP", SERVICE_RUNNING).type = SERVICE_KERNEL_DRIVER;
  machine().services.Install("SnmpSvc", SERVICE_RUNNING).displayName = "SNMP";

  EXPECT_EQ(IsSNMPMasterAgentInstalled(), 0);
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(SnmpDetectionTest, MoreServicesThanFitAreReadOnWithTheResumeHandle) {
  InstallOtherServices(30);
  machine().services.Install("SNMP", SERVICE_RUNNING);

  EXPECT_EQ(IsSNMPMasterAgentInstalled(), 1);

  // The first call fills 360 bytes; the buffer then grows to hold all the rest.
  EXPECT_EQ(Enumerations(), 2u);
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(SnmpDetectionTest, AManagerThatIgnoresTheResumeHandleStillEndsTheWalk) {
  machine().services.enumIgnoresResumeHandle = true;
  machine().services.enumLeavesNamesUnfilled = true;
  InstallOtherServices(30);

  // The second call, with the buffer grown to the whole list's size, takes them all.
  EXPECT_EQ(IsSNMPMasterAgentInstalled(), 0);
  EXPECT_EQ(Enumerations(), 2u);

  machine().services.Install("SNMP", SERVICE_RUNNING);
  EXPECT_EQ(IsSNMPMasterAgentInstalled(), 1);
  EXPECT_EQ(Enumerations(), 4u);
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(SnmpDetectionTest, ACallThatBringsNothingNewEndsTheWalk) {
  InstallOtherServices(30);
  machine().services.Install("SNMP", SERVICE_RUNNING);
  // The second call reports more data without moving on or asking for more room.
  machine().faults.FailCall("EnumServicesStatusA", 2, ERROR_MORE_DATA);

  EXPECT_EQ(IsSNMPMasterAgentInstalled(), 0);

  EXPECT_EQ(Enumerations(), 2u);
  EXPECT_STREQ(LastErrorText(), "More data is available.");
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(SnmpDetectionTest, FailuresCountAsNoSnmpService) {
  machine().services.Install("SNMP", SERVICE_RUNNING);
  machine().faults.FailCall("EnumServicesStatusA", 1, ERROR_INVALID_HANDLE);

  EXPECT_EQ(IsSNMPMasterAgentInstalled(), 0);
  EXPECT_STREQ(LastErrorText(), "The handle is invalid.");
  EXPECT_EQ(machine().OpenHandles(), 0u);

  machine().services.deniedAccess = SC_MANAGER_ENUMERATE_SERVICE;
  EXPECT_EQ(IsSNMPMasterAgentInstalled(), 0);
  EXPECT_STREQ(LastErrorText(), "Access is denied.");
}

class SnmpAgentKeyTest : public MachineTest {};

TEST_F(SnmpAgentKeyTest, TheAgentKeyMustOpenWithFullAccess) {
  EXPECT_EQ(SnmpAgentInstalled(), 0);

  machine().registry.CreateKey(HKEY_LOCAL_MACHINE, keys::kAgentKey);
  EXPECT_EQ(SnmpAgentInstalled(), 1);
  EXPECT_EQ(machine().OpenHandles(), 0u);

  machine().registry.DenyAccess(HKEY_LOCAL_MACHINE, keys::kAgentKey, KEY_SET_VALUE);
  EXPECT_EQ(SnmpAgentInstalled(), 0);
}

}  // namespace
