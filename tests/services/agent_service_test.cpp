#include "services/agent_service.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "common/machine_test.h"
#include "services/service_scripts.h"
#include "services/service_stop.h"

namespace {

const char kAgent[] = "Tessor Anti-Virus Service";
const char kAgentKey[] = "SYSTEM\\CurrentControlSet\\Services\\Tessor Anti-Virus Service";
const char kApplicationLog[] = "System\\CurrentControlSet\\Services\\EventLog\\Application";
const std::string kEventSource = std::string(kApplicationLog) + "\\" + kAgent;

struct RemovalCase {
  const char* what;
  std::function<void()> setup;
  int result;
  std::string left;  // the manager's services afterwards
  bool eventSourceStays;
  std::size_t stopRequests;
  std::size_t polls;  // pauses of 500 ms
  std::function<void()> check = nullptr;
};

class AgentServiceTest : public MachineTest {
 protected:
  void CreateKey(const std::string& key) { machine().registry.CreateKey(HKEY_LOCAL_MACHINE, key); }
  winsim::Service& InstallAgent(DWORD state) {
    CreateKey(kEventSource);
    return machine().services.Install(kAgent, state);
  }
  bool KeyExists(const std::string& key) { return machine().registry.KeyExists(HKEY_LOCAL_MACHINE, key); }
};

// The service goes with its event-log source only when it could be stopped and deleted.
TEST_F(AgentServiceTest, RemovalOutcomes) {
  const RemovalCase cases[] = {
      {"stopped: deleted without a stop", [&] { InstallAgent(SERVICE_STOPPED); }, 0, "", false, 0, 0,
       [&] { EXPECT_TRUE(!KeyExists(kAgentKey) && KeyExists(kApplicationLog)); }},
      {"running: stopped, polled, deleted", [&] { StopPendingFor(InstallAgent(SERVICE_RUNNING), 3); }, 0, "",
       false, 1, 4},
      {"event source missing", [&] { machine().services.Install(kAgent, SERVICE_STOPPED); }, 0, "", false, 0, 0},
      {"stop refused", [&] { InstallAgent(SERVICE_RUNNING).stopError = ERROR_SERVICE_CANNOT_ACCEPT_CTRL; }, 1,
       Listed(kAgent, SERVICE_RUNNING), true, 1, 1},
      {"a key unknown to the manager", [&] { CreateKey(kAgentKey); CreateKey(kEventSource); }, 1, "", true, 0, 0,
       [&] { EXPECT_TRUE(AgentServiceInstalled() == 1 && KeyExists(kAgentKey)); }},
      {"deletion refused: the system's error", [&] { InstallAgent(SERVICE_STOPPED).deleteError = ERROR_ACCESS_DENIED; },
       1, Listed(kAgent, SERVICE_STOPPED), true, 0, 0,
       [] { EXPECT_EQ(StopAndDeleteService(kAgent), ERROR_ACCESS_DENIED); }},
      {"deletion refused without an error code",
       [&] { InstallAgent(SERVICE_STOPPED); machine().faults.FailCall("DeleteService", 1, ERROR_SUCCESS); }, 1,
       Listed(kAgent, SERVICE_STOPPED), true, 0, 0},
      {"already marked for deletion", [&] { InstallAgent(SERVICE_STOP_PENDING).markedForDelete = true; }, 1,
       Listed(kAgent, SERVICE_STOP_PENDING, true), true, 0, 0},
      {"no manager", [&] { InstallAgent(SERVICE_RUNNING); machine().services.deniedAccess = SC_MANAGER_ALL_ACCESS; },
       1, Listed(kAgent, SERVICE_RUNNING), true, 0, 0,
       [] { EXPECT_TRUE(StopAndDeleteService(kAgent) != 0 && StopAgentService() == 2); }},
      // Still stopping when deleted, it is running again at the final check and refuses
      // the second stop request.
      {"still active at the end",
       [&] {
         winsim::Service& service = InstallAgent(SERVICE_RUNNING);
         service.onStop.assign(31, {SERVICE_STOP_PENDING, 1, 1000});
         service.onStop.push_back({SERVICE_RUNNING, 0, 0});
         machine().faults.FailCall("ControlService", 2, ERROR_SERVICE_CANNOT_ACCEPT_CTRL);
       },
       2, Listed(kAgent, SERVICE_RUNNING, true), false, 2, 31},
  };
  for (const RemovalCase& c : cases) {
    SCOPED_TRACE(c.what);
    winsim::Reset();
    c.setup();
    EXPECT_EQ(RemoveAgentService(), c.result);
    EXPECT_EQ(machine().services.Dump(), c.left);
    EXPECT_EQ(KeyExists(kEventSource), c.eventSourceStays);
    EXPECT_EQ(machine().faults.CallCount("ControlService"), c.stopRequests);
    EXPECT_EQ(machine().clock.sleeps, std::vector<DWORD>(c.polls, 500));
    EXPECT_TRUE(machine().registry.flushes.empty());
    EXPECT_EQ(machine().OpenHandles(), 0u);
    if (c.check) c.check();
  }
}

TEST_F(AgentServiceTest, InstalledMeansItsKeyExistsOnWindowsNt) {
  EXPECT_EQ(AgentServiceInstalled(), 0);
  CreateKey(kAgentKey);
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
  EXPECT_TRUE(KeyExists(kEventSource));
}

// Running means an active state; a state that cannot be read counts as running.
TEST_F(AgentServiceTest, RunningMeansAnActiveState) {
  EXPECT_EQ(AgentServiceRunning(), 0);  // not installed
  winsim::Service& service = InstallAgent(SERVICE_RUNNING);
  const std::pair<DWORD, int> states[] = {{SERVICE_START_PENDING, 1}, {SERVICE_RUNNING, 1},
                                          {SERVICE_CONTINUE_PENDING, 1}, {SERVICE_STOPPED, 0},
                                          {SERVICE_STOP_PENDING, 0}, {SERVICE_PAUSED, 0}};
  for (const auto& [state, running] : states) {
    service.status.state = state;
    EXPECT_EQ(AgentServiceRunning(), running) << state;
  }
  service.status.state = SERVICE_RUNNING;
  service.deniedAccess = SERVICE_QUERY_STATUS;
  EXPECT_EQ(AgentServiceRunning(), 0);
  service.deniedAccess = 0;
  service.status.state = SERVICE_STOPPED;
  service.queryError = ERROR_ACCESS_DENIED;
  EXPECT_EQ(AgentServiceRunning(), 1);
  EXPECT_EQ(StopAgentService(), 2);
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

}  // namespace
