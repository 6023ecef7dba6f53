// Detecting the SNMP service and the product's agent.
#include <windows.h>

#include "common/machine_test.h"
#include "common/product.h"
#include "snmp/snmp_agent.h"
#include "support/failure_text.h"

namespace {

class SnmpDetectionTest : public MachineTest {};

TEST_F(SnmpDetectionTest, TheSnmpServiceIsFoundInAnyStateWhereverTheListHasIt) {
  struct Case {
    const char* what;
    int others;        // services with names long enough that 360 bytes hold only a few
    DWORD snmp;        // its state; 0: not installed
    bool oddManager;   // ignores the resume handle, leaves names of a partial list unfilled
    unsigned failAt;   // this EnumServicesStatusA call fails with `error`; 0: none
    DWORD error;
    bool denied;       // the manager refuses to enumerate
    int found; unsigned calls;
    const char* text;  // the failure text afterwards; null when nothing failed
  };
  for (const Case& c : std::vector<Case>{
           {"stopped", 1, SERVICE_STOPPED, false, 0, 0, false, 1, 1, nullptr},
           // The first call fills 360 bytes; the buffer then grows to hold all the rest.
           {"read on with the resume handle", 30, SERVICE_RUNNING, false, 0, 0, false, 1, 2, nullptr},
           {"a manager that ignores the resume handle", 30, 0, true, 0, 0, false, 0, 2, nullptr},
           {"the same manager listing SNMP", 30, SERVICE_RUNNING, true, 0, 0, false, 1, 2, nullptr},
           // The second call reports more data without moving on or asking for more room.
           {"a call that brings nothing new", 30, SERVICE_RUNNING, false, 2, ERROR_MORE_DATA, false, 0, 2,
            "More data is available."},
           {"a failed call", 0, SERVICE_RUNNING, false, 1, ERROR_INVALID_HANDLE, false, 0, 1, "The handle is invalid."},
           {"no right to enumerate", 0, SERVICE_RUNNING, false, 0, 0, true, 0, 0, "Access is denied."},
       }) {
    SCOPED_TRACE(c.what);
    winsim::Machine& m = winsim::Reset();
    FormatSystemError("earlier", ERROR_FILE_NOT_FOUND);
    for (int i = 0; i < c.others; ++i) m.services.Install("Orvik Network Monitoring Service " + std::to_string(i));
    if (c.snmp) m.services.Install("SNMP", c.snmp);
    m.services.enumIgnoresResumeHandle = m.services.enumLeavesNamesUnfilled = c.oddManager;
    if (c.failAt) m.faults.FailCall("EnumServicesStatusA", c.failAt, c.error);
    if (c.denied) m.services.deniedAccess = SC_MANAGER_ENUMERATE_SERVICE;

    EXPECT_EQ(IsSNMPMasterAgentInstalled(), c.found);

    EXPECT_EQ(m.faults.CallCount("EnumServicesStatusA"), c.calls);
    EXPECT_STREQ(LastErrorText(), c.text ? c.text : "The system cannot find the file specified.");
  }
}

TEST_F(SnmpDetectionTest, OnlyAWin32ServiceWhoseServiceNameIsExactlySnmpCounts) {
  machine().services.Install("snmp", SERVICE_RUNNING);
  machine().services.Install("SNMPTRAP", SERVICE_RUNNING);
  machine().services.Install("SNMP", SERVICE_RUNNING).type = SERVICE_KERNEL_DRIVER;
  machine().services.Install("SnmpSvc", SERVICE_RUNNING).displayName = "SNMP";
  EXPECT_EQ(IsSNMPMasterAgentInstalled(), 0);
}

// Without the key, and with it, are SequenceTest.TheSnmpStepAsksOnlyWhenTheServiceAndTheAgentAreThere
// and the scenarios snmp-agent-*.
TEST_F(SnmpDetectionTest, TheAgentKeyMustOpenWithFullAccess) {
  machine().registry.CreateKey(HKEY_LOCAL_MACHINE, keys::kAgentKey);
  EXPECT_EQ(SnmpAgentInstalled(), 1);
  machine().registry.DenyAccess(HKEY_LOCAL_MACHINE, keys::kAgentKey, KEY_SET_VALUE);
  EXPECT_EQ(SnmpAgentInstalled(), 0);
}

}  // namespace
