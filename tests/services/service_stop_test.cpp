#include "services/service_stop.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "common/machine_test.h"
#include "services/agent_service.h"
#include "services/on_access.h"
#include "services/platform.h"
#include "services/service_scripts.h"
#include "support/handles.h"

namespace {

const char kWardel[] = "Tessor Wardel";

struct StopCase {
  const char* what;
  DWORD state;  // 0: not installed
  std::function<void(winsim::Service&)> script;
  int result;
  std::size_t polls;  // pauses of 500 ms
  std::vector<DWORD> controls;
};

class StopServiceTest : public MachineTest {};

TEST_F(StopServiceTest, TheStopIsRequestedOnlyFromAnActiveStateAndPolledUpToThirtyTimes) {
  const std::vector<DWORD> kStop = {SERVICE_CONTROL_STOP};
  const auto none = [](winsim::Service&) {};
  const StopCase cases[] = {
      {"stopped", SERVICE_STOPPED, none, kStopDone, 0, {}},
      {"paused", SERVICE_PAUSED, none, kStopDone, 0, {}},
      {"already stopping", SERVICE_STOP_PENDING, none, kStopDone, 0, {}},
      {"stops at once", SERVICE_START_PENDING, none, kStopDone, 1, kStop},
      {"slow", SERVICE_RUNNING, [](winsim::Service& s) { StopPendingFor(s, 5); }, kStopDone, 6, kStop},
      {"still stopping after thirty polls", SERVICE_RUNNING, NeverStops, kStopDone, 30, kStop},
      {"a poll that cannot be read ends the polling", SERVICE_RUNNING,
       [](winsim::Service& s) {
         NeverStops(s);
         winsim::machine().faults.FailCall("QueryServiceStatus", 3, ERROR_ACCESS_DENIED);
       },
       kStopDone, 2, kStop},
      // Whatever the polling saw afterwards.
      {"refused", SERVICE_RUNNING, [](winsim::Service& s) { s.stopError = ERROR_SERVICE_CANNOT_ACCEPT_CTRL; },
       kStopRefused, 1, kStop},
      // It may well be running: not taken for stopped.
      {"state unreadable", SERVICE_RUNNING, [](winsim::Service& s) { s.queryError = ERROR_ACCESS_DENIED; },
       kStopRefused, 0, {}},
      {"not installed", 0, none, kStopCannotOpen, 0, {}},
      {"no access", SERVICE_RUNNING, [](winsim::Service& s) { s.deniedAccess = SERVICE_STOP; }, kStopCannotOpen, 0,
       {}},
  };
  for (const StopCase& c : cases) {
    SCOPED_TRACE(c.what);
    winsim::Reset();
    winsim::Service* service = c.state ? &machine().services.Install(kWardel, c.state) : nullptr;
    if (service) c.script(*service);
    {
      const ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
      EXPECT_EQ(StopServiceAndWait(manager.Get(), kWardel), c.result);
    }
    EXPECT_EQ(machine().clock.sleeps, std::vector<DWORD>(c.polls, 500));
    EXPECT_EQ(service ? service->controls : std::vector<DWORD>{}, c.controls);
  }
}

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
         StopPendingFor(InstallAgent(SERVICE_RUNNING), 30);
         machine().services.Get(kAgent)->onStop.back() = {SERVICE_RUNNING, 0, 0};
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
    if (c.check) c.check();
  }
}

// Installed means its key exists on Windows NT (RemovalOutcomes' key unknown to the
// manager, and the scenarios components-running and full-uninstall); elsewhere it counts
// as installed and is left alone.
TEST_F(AgentServiceTest, InstalledAndLeftAloneOffWindowsNt) {
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
  machine().services.deniedAccess = GENERIC_READ;  // not even the manager opens: nothing runs
  EXPECT_EQ(AgentServiceRunning(), 0);
}

}  // namespace
