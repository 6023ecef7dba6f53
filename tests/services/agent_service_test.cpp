#include "services/agent_service.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/machine_test.h"
#include "services/service_scripts.h"
#include "services/service_stop.h"

namespace {

using Sleeps = std::vector<DWORD>;

const char kAgent[] = "Tessor Anti-Virus Service";
const char kAgentKey[] = "SYSTEM\\CurrentControlSet\\Services\\Tessor Anti-Virus Service";
const char kApplicationLog[] = "System\\CurrentControlSet\\Services\\EventLog\\Application";
const std::string kEventSource = std::string(kApplicationLog) + "\\" + kAgent;

class AgentServiceTest : public MachineTest {
 protected:
  winsim::Service& InstallAgent(DWORD state) {
    machine().registry.CreateKey(HKEY_LOCAL_MACHINE, kEventSource);
    return machine().services.Install(kAgent, state);
  }
  bool EventSourceExists() { return machine().registry.KeyExists(HKEY_LOCAL_MACHINE, kEventSource); }
  bool AgentInstalled() { return machine().services.Get(kAgent) != nullptr; }
  const Sleeps& sleeps() { return machine().clock.sleeps; }
};

TEST_F(AgentServiceTest, InstalledMeansItsKeyExistsOnWindowsNt) {
  EXPECT_EQ(AgentServiceInstalled(), 0);
  machine().registry.CreateKey(HKEY_LOCAL_MACHINE, kAgentKey);
  EXPECT_EQ(AgentServiceInstalled(), 1);
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(AgentServiceTest, OffWindowsNtItCountsAsInstalledAndIsLeftAlone) {
  InstallAgent(SERVICE_RUNNING);
  machine().system.platformId = VER_PLATFORM_WIN32_WINDOWS;
  machine().registry.DeleteTree(HKEY_LOCAL_MACHINE, kAgentKey);
  EXPECT_EQ(AgentServiceInstalled(), 1);
  EXPECT_EQ(RemoveAgentService(), 0);
  EXPECT_EQ(AgentServiceRunning(), 0);
  EXPECT_EQ(machine().faults.CallCount("OpenSCManagerA"), 0u);
  EXPECT_TRUE(EventSourceExists());
}

TEST_F(AgentServiceTest, AStoppedServiceIsDeletedWithItsEventSourceWithoutAStop) {
  InstallAgent(SERVICE_STOPPED);
  EXPECT_EQ(RemoveAgentService(), 0);
  EXPECT_FALSE(AgentInstalled());
  EXPECT_FALSE(machine().registry.KeyExists(HKEY_LOCAL_MACHINE, kAgentKey));
  EXPECT_FALSE(EventSourceExists());
  EXPECT_TRUE(machine().registry.KeyExists(HKEY_LOCAL_MACHINE, kApplicationLog));
  EXPECT_EQ(machine().faults.CallCount("ControlService"), 0u);
  EXPECT_TRUE(machine().registry.flushes.empty());
  EXPECT_TRUE(sleeps().empty());
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(AgentServiceTest, ARunningServiceIsStoppedPolledAndDeleted) {
  StopPendingFor(InstallAgent(SERVICE_RUNNING), 3);
  EXPECT_EQ(RemoveAgentService(), 0);
  EXPECT_EQ(machine().faults.CallCount("ControlService"), 1u);
  EXPECT_EQ(sleeps(), Sleeps(4, 500));
  EXPECT_FALSE(AgentInstalled());
  EXPECT_FALSE(EventSourceExists());
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(AgentServiceTest, ARefusedStopLeavesTheServiceAndItsEventSource) {
  winsim::Service& service = InstallAgent(SERVICE_RUNNING);
  service.stopError = ERROR_SERVICE_CANNOT_ACCEPT_CTRL;
  EXPECT_EQ(RemoveAgentService(), 1);
  EXPECT_EQ(sleeps(), Sleeps{500});
  EXPECT_FALSE(service.markedForDelete);
  EXPECT_EQ(service.status.state, static_cast<DWORD>(SERVICE_RUNNING));
  EXPECT_TRUE(EventSourceExists());
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(AgentServiceTest, AKeyUnknownToTheManagerIsNotDeletedAndItsEventSourceStays) {
  machine().registry.CreateKey(HKEY_LOCAL_MACHINE, kAgentKey);
  machine().registry.CreateKey(HKEY_LOCAL_MACHINE, kEventSource);
  EXPECT_EQ(AgentServiceInstalled(), 1);
  EXPECT_EQ(RemoveAgentService(), 1);
  EXPECT_TRUE(machine().registry.KeyExists(HKEY_LOCAL_MACHINE, kAgentKey));
  EXPECT_TRUE(EventSourceExists());
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(AgentServiceTest, ARefusedDeletionReturnsTheSystemErrorAndKeepsTheEventSource) {
  InstallAgent(SERVICE_STOPPED).deleteError = ERROR_ACCESS_DENIED;
  EXPECT_EQ(StopAndDeleteService(kAgent), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RemoveAgentService(), 1);
  EXPECT_TRUE(AgentInstalled());
  EXPECT_TRUE(EventSourceExists());
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(AgentServiceTest, AServiceAlreadyMarkedForDeletionKeepsItsEventSource) {
  winsim::Service& service = InstallAgent(SERVICE_STOP_PENDING);
  service.markedForDelete = true;
  EXPECT_EQ(RemoveAgentService(), 1);
  EXPECT_EQ(machine().faults.CallCount("ControlService"), 0u);
  EXPECT_TRUE(EventSourceExists());
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(AgentServiceTest, ARefusedDeletionWithoutAnErrorCodeIsStillAFailure) {
  InstallAgent(SERVICE_STOPPED);
  machine().faults.FailCall("DeleteService", 1, ERROR_SUCCESS);
  EXPECT_NE(UnregisterAgentService(), 0);
  EXPECT_TRUE(AgentInstalled());
  EXPECT_TRUE(EventSourceExists());
}

TEST_F(AgentServiceTest, AManagerThatCannotBeOpenedStopsNothing) {
  InstallAgent(SERVICE_RUNNING);
  machine().services.deniedAccess = SC_MANAGER_ALL_ACCESS;
  EXPECT_NE(StopAndDeleteService(kAgent), 0);
  EXPECT_EQ(RemoveAgentService(), 1);
  EXPECT_EQ(StopAgentService(), 2);  // running, and no manager to stop it with
  EXPECT_EQ(machine().faults.CallCount("ControlService"), 0u);
  EXPECT_TRUE(EventSourceExists());
}

TEST_F(AgentServiceTest, AMissingEventSourceStillCountsAsRemoved) {
  machine().services.Install(kAgent, SERVICE_STOPPED);
  EXPECT_EQ(RemoveAgentService(), 0);
  EXPECT_FALSE(AgentInstalled());
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(AgentServiceTest, RunningMeansAnActiveState) {
  EXPECT_EQ(AgentServiceRunning(), 0);  // not installed
  winsim::Service& service = InstallAgent(SERVICE_RUNNING);
  for (DWORD state : {SERVICE_START_PENDING, SERVICE_RUNNING, SERVICE_CONTINUE_PENDING}) {
    service.status.state = state;
    EXPECT_EQ(AgentServiceRunning(), 1) << state;
  }
  for (DWORD state : {SERVICE_STOPPED, SERVICE_STOP_PENDING, SERVICE_PAUSED}) {
    service.status.state = state;
    EXPECT_EQ(AgentServiceRunning(), 0) << state;
  }
  service.deniedAccess = SERVICE_QUERY_STATUS;
  service.status.state = SERVICE_RUNNING;
  EXPECT_EQ(AgentServiceRunning(), 0);
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(AgentServiceTest, AStateThatCannotBeReadCountsAsRunningAndIsNotReportedStopped) {
  winsim::Service& service = InstallAgent(SERVICE_STOPPED);
  service.queryError = ERROR_ACCESS_DENIED;
  EXPECT_EQ(AgentServiceRunning(), 1);
  EXPECT_EQ(StopAgentService(), 2);
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(AgentServiceTest, AServiceStillActiveAtTheEndGivesTwo) {
  // Still stopping when deleted, it is running again at the final check and refuses
  // the second stop request.
  winsim::Service& service = InstallAgent(SERVICE_RUNNING);
  service.onStop.assign(31, {SERVICE_STOP_PENDING, 1, 1000});
  service.onStop.push_back({SERVICE_RUNNING, 0, 0});
  machine().faults.FailCall("ControlService", 2, ERROR_SERVICE_CANNOT_ACCEPT_CTRL);
  EXPECT_EQ(RemoveAgentService(), 2);
  EXPECT_TRUE(service.markedForDelete);
  EXPECT_FALSE(EventSourceExists());
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

}  // namespace
