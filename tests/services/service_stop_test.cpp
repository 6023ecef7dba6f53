#include "services/service_stop.h"

#include <gtest/gtest.h>

#include <vector>

#include "common/machine_test.h"
#include "services/on_access.h"
#include "services/platform.h"
#include "services/service_scripts.h"
#include "support/handles.h"

namespace {

using Sleeps = std::vector<DWORD>;

class StopServiceTest : public MachineTest {
 protected:
  int StopAndWait(const char* name) {
    const ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    return StopServiceAndWait(manager.Get(), name);
  }
  winsim::Service& Install(DWORD state) { return machine().services.Install("Tessor Wardel", state); }
  const Sleeps& sleeps() { return machine().clock.sleeps; }
};

TEST_F(StopServiceTest, AServiceNotActiveIsLeftAlone) {
  for (DWORD state : {SERVICE_STOPPED, SERVICE_PAUSED, SERVICE_STOP_PENDING}) {
    winsim::Service& service = machine().services.Install("State " + std::to_string(state), state);
    EXPECT_EQ(StopAndWait(service.name.c_str()), kStopDone);
    EXPECT_TRUE(service.controls.empty());
  }
  EXPECT_TRUE(sleeps().empty());
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(StopServiceTest, AServiceThatStopsAtOnceIsPolledOnce) {
  winsim::Service& service = Install(SERVICE_START_PENDING);
  EXPECT_EQ(StopAndWait("Tessor Wardel"), kStopDone);
  EXPECT_EQ(service.controls, std::vector<DWORD>{SERVICE_CONTROL_STOP});
  EXPECT_EQ(sleeps(), Sleeps{500});
  EXPECT_EQ(service.status.state, static_cast<DWORD>(SERVICE_STOPPED));
}

TEST_F(StopServiceTest, ASlowServiceIsPolledUntilItHasStopped) {
  winsim::Service& service = Install(SERVICE_RUNNING);
  StopPendingFor(service, 5);
  EXPECT_EQ(StopAndWait("Tessor Wardel"), kStopDone);
  EXPECT_EQ(sleeps(), Sleeps(6, 500));
  EXPECT_EQ(service.status.state, static_cast<DWORD>(SERVICE_STOPPED));
}

TEST_F(StopServiceTest, AServiceStillStoppingAfterThirtyPollsCountsAsDone) {
  NeverStops(Install(SERVICE_RUNNING));
  EXPECT_EQ(StopAndWait("Tessor Wardel"), kStopDone);
  EXPECT_EQ(sleeps(), Sleeps(30, 500));
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(StopServiceTest, ARefusedStopIsReportedWhateverThePollingSaw) {
  winsim::Service& service = Install(SERVICE_RUNNING);
  service.stopError = ERROR_SERVICE_CANNOT_ACCEPT_CTRL;
  EXPECT_EQ(StopAndWait("Tessor Wardel"), kStopRefused);
  EXPECT_EQ(sleeps(), Sleeps{500});
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(StopServiceTest, AServiceThatCannotBeOpenedGivesOne) {
  EXPECT_EQ(StopAndWait("Tessor Wardel"), kStopCannotOpen);
  Install(SERVICE_RUNNING).deniedAccess = SERVICE_STOP;
  EXPECT_EQ(StopAndWait("Tessor Wardel"), kStopCannotOpen);
}

TEST_F(StopServiceTest, AStateThatCannotBeReadIsNotTakenForStopped) {
  winsim::Service& service = Install(SERVICE_RUNNING);
  service.queryError = ERROR_ACCESS_DENIED;
  EXPECT_EQ(StopAndWait("Tessor Wardel"), kStopRefused);
  EXPECT_TRUE(service.controls.empty());
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(StopServiceTest, APollThatCannotBeReadEndsThePolling) {
  winsim::Service& service = Install(SERVICE_RUNNING);
  NeverStops(service);
  machine().faults.FailCall("QueryServiceStatus", 3, ERROR_ACCESS_DENIED);
  EXPECT_EQ(StopAndWait("Tessor Wardel"), kStopDone);
  EXPECT_EQ(sleeps(), (Sleeps{500, 500}));
}

TEST_F(StopServiceTest, TheOnAccessServiceIsStoppedOnlyWhenItsKeyExists) {
  EXPECT_EQ(OnAccessServiceInstalled(), 0);
  EXPECT_EQ(StopOnAccessService(), 0);
  winsim::Service& service = Install(SERVICE_RUNNING);
  EXPECT_EQ(OnAccessServiceInstalled(), 1);
  EXPECT_EQ(StopOnAccessService(), 0);
  EXPECT_EQ(service.status.state, static_cast<DWORD>(SERVICE_STOPPED));
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(StopServiceTest, AnOnAccessKeyWithoutItsServiceIsAFailedStop) {
  machine().registry.CreateKey(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\Tessor Wardel");
  EXPECT_EQ(StopOnAccessService(), 2);
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(StopServiceTest, TheOnAccessComponentRunsWhileItsDeviceOpens) {
  EXPECT_EQ(OnAccessComponentRunning(), 0);
  machine().files.devices.insert("WARDELDEV");
  EXPECT_EQ(OnAccessComponentRunning(), 1);
  EXPECT_EQ(machine().OpenHandles(), 0u);  // the device is closed at once
  EXPECT_EQ(StopOnAccessComponent(), 0);  // device there, service key missing
}

TEST_F(StopServiceTest, ThePlatformIsReadAtEveryCall) {
  EXPECT_EQ(QueryPlatform(), kPlatformNt);
  machine().system.platformId = VER_PLATFORM_WIN32_WINDOWS;
  EXPECT_EQ(QueryPlatform(), kPlatformWindows);
  machine().system.platformId = VER_PLATFORM_WIN32s;
  EXPECT_EQ(QueryPlatform(), kPlatformOther);
  machine().system.platformId = VER_PLATFORM_WIN32_NT;
  machine().system.versionFails = true;
  EXPECT_EQ(QueryPlatform(), kPlatformOther);
}

}  // namespace
