// Restarting the SNMP service, following the service's own checkpoints and wait hints.
#include "snmp/service_restart.h"

#include <windows.h>

#include "common/machine_test.h"
#include "support/failure_text.h"

namespace {

using winsim::ServiceState;
using Controls = std::vector<DWORD>;
using Sleeps = std::vector<DWORD>;

class SnmpRestartTest : public MachineTest {
 protected:
  winsim::Service& Snmp(DWORD state = SERVICE_RUNNING) {
    return machine().services.Install("SNMP", state);
  }
  DWORD State() { return machine().services.Get("SNMP")->status.state; }
  const Sleeps& SleptFor() { return machine().clock.sleeps; }
};

TEST_F(SnmpRestartTest, AStoppedServiceIsLeftAlone) {
  winsim::Service& snmp = Snmp(SERVICE_STOPPED);

  EXPECT_EQ(RestartSnmpService(), 1);

  EXPECT_TRUE(snmp.controls.empty());
  EXPECT_EQ(snmp.starts, 0);
  EXPECT_EQ(State(), static_cast<DWORD>(SERVICE_STOPPED));
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(SnmpRestartTest, ARunningServiceIsStoppedAndStartedFollowingItsHints) {
  winsim::Service& snmp = Snmp();
  snmp.onStop = {
      {SERVICE_STOP_PENDING, 1, 500}, {SERVICE_STOP_PENDING, 2, 700}, {SERVICE_STOPPED, 0, 0}};
  snmp.onStart = {
      {SERVICE_START_PENDING, 1, 300}, {SERVICE_START_PENDING, 2, 400}, {SERVICE_RUNNING, 0, 0}};

  EXPECT_EQ(RestartSnmpService(), 1);

  EXPECT_EQ(snmp.controls, Controls{SERVICE_CONTROL_STOP});
  EXPECT_EQ(snmp.starts, 1);
  EXPECT_EQ(State(), static_cast<DWORD>(SERVICE_RUNNING));
  // Each pause is the hint of the latest status; the stopped and running states are
  // accepted although their checkpoints went back to 0.
  EXPECT_EQ(SleptFor(), (Sleeps{700, 300, 400}));
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(SnmpRestartTest, AServiceThatKeepsAdvancingIsWaitedForWithoutLimit) {
  winsim::Service& snmp = Snmp();
  snmp.onStop.clear();
  for (DWORD checkPoint = 1; checkPoint <= 1000; ++checkPoint) {
    snmp.onStop.push_back({SERVICE_STOP_PENDING, checkPoint, 60000});
  }
  snmp.onStop.push_back({SERVICE_STOPPED, 0, 0});

  EXPECT_EQ(RestartSnmpService(), 1);

  EXPECT_EQ(SleptFor().size(), 999u);
  EXPECT_EQ(machine().clock.Now(), 999u * 60000u);
  EXPECT_EQ(State(), static_cast<DWORD>(SERVICE_RUNNING));
}

TEST_F(SnmpRestartTest, AServiceThatStoppedByItselfBeforeTheStopRequestIsStarted) {
  winsim::Service& snmp = Snmp();
  machine().faults.BeforeCall("ControlService", 1, [&snmp] {
    snmp.status = ServiceState{SERVICE_STOPPED, 0, 0};
  });

  EXPECT_EQ(RestartSnmpService(), 1);

  EXPECT_EQ(snmp.controls, Controls{SERVICE_CONTROL_STOP});
  EXPECT_EQ(snmp.starts, 1);
  EXPECT_EQ(State(), static_cast<DWORD>(SERVICE_RUNNING));
}

TEST_F(SnmpRestartTest, AStopThatMakesNoProgressIsGivenUpWithServiceSpecificError) {
  winsim::Service& snmp = Snmp();
  snmp.onStop = {{SERVICE_STOP_PENDING, 3, 0}};

  EXPECT_EQ(RestartSnmpService(), 0);

  EXPECT_STREQ(LastErrorText(), "The service has returned a service-specific error code.");
  EXPECT_EQ(SleptFor(), Sleeps{0});  // one hint of 0, one further query
  EXPECT_EQ(snmp.starts, 0);
  EXPECT_EQ(State(), static_cast<DWORD>(SERVICE_STOP_PENDING));
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(SnmpRestartTest, AStartThatStallsLeavesTheServiceWhereItGot) {
  winsim::Service& snmp = Snmp();
  snmp.onStart = {{SERVICE_START_PENDING, 1, 250}, {SERVICE_START_PENDING, 1, 250}};

  EXPECT_EQ(RestartSnmpService(), 0);

  EXPECT_STREQ(LastErrorText(), "The service has returned a service-specific error code.");
  EXPECT_EQ(snmp.starts, 1);
  EXPECT_EQ(State(), static_cast<DWORD>(SERVICE_START_PENDING));
}

TEST_F(SnmpRestartTest, RunningDependentsRefuseTheStopAndNothingIsStarted) {
  winsim::Service& snmp = Snmp();
  machine().services.Install("Orvik NetWatch", SERVICE_RUNNING, {"SNMP"});

  EXPECT_EQ(RestartSnmpService(), 0);

  EXPECT_STREQ(
      LastErrorText(),
      "A stop control has been sent to a service that other running services are dependent on.");
  EXPECT_EQ(snmp.starts, 0);
  EXPECT_EQ(State(), static_cast<DWORD>(SERVICE_RUNNING));
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(SnmpRestartTest, AFailedStartIsRecorded) {
  winsim::Service& snmp = Snmp();
  snmp.startError = ERROR_SERVICE_DISABLED;

  EXPECT_EQ(RestartSnmpService(), 0);

  EXPECT_STREQ(LastErrorText(),
               "The service cannot be started, either because it is disabled or because it has no "
               "enabled devices associated with it.");
  EXPECT_EQ(State(), static_cast<DWORD>(SERVICE_STOPPED));
}

TEST_F(SnmpRestartTest, WithoutTheManagerNothingElseHappens) {
  winsim::Service& snmp = Snmp();
  machine().services.deniedAccess = SC_MANAGER_CONNECT;

  EXPECT_EQ(RestartSnmpService(), 0);

  EXPECT_STREQ(LastErrorText(), "Access is denied.");
  EXPECT_TRUE(snmp.controls.empty());
}

TEST_F(SnmpRestartTest, AServiceGoneSinceDetectionClosesTheManager) {
  EXPECT_EQ(RestartSnmpService(), 0);

  EXPECT_STREQ(LastErrorText(), "The specified service does not exist as an installed service.");
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(SnmpRestartTest, AStatusThatCannotBeReadEndsTheRestart) {
  winsim::Service& snmp = Snmp();
  snmp.queryError = ERROR_ACCESS_DENIED;

  EXPECT_EQ(RestartSnmpService(), 0);

  EXPECT_STREQ(LastErrorText(), "Access is denied.");
  EXPECT_TRUE(snmp.controls.empty());
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(SnmpRestartTest, AFailedLaterQueryEndsTheWaitWithTheLastStatus) {
  winsim::Service& snmp = Snmp();
  snmp.onStop = {
      {SERVICE_STOP_PENDING, 1, 100}, {SERVICE_STOP_PENDING, 2, 100}, {SERVICE_STOPPED, 0, 0}};
  machine().faults.FailCall("QueryServiceStatus", 3, ERROR_ACCESS_DENIED);

  EXPECT_EQ(RestartSnmpService(), 0);

  EXPECT_STREQ(LastErrorText(), "The service has returned a service-specific error code.");
  EXPECT_EQ(snmp.starts, 0);
}

TEST_F(SnmpRestartTest, TheWaitKeepsTheErrorOfItsFirstQuery) {
  Snmp();
  ServiceHandle manager;
  ServiceHandle service;
  ASSERT_EQ(OpenSNMPService(manager, service), 1);
  // A code the system has no message for: reporting it must not change the last error.
  machine().faults.FailCall("QueryServiceStatus", 1, 0x20004711u);

  EXPECT_EQ(WaitForServiceState(service.Get(), SERVICE_STOPPED), 0);

  EXPECT_EQ(GetLastError(), 0x20004711u);
}

}  // namespace
