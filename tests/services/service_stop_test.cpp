#include "services/service_stop.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "common/machine_test.h"
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
    EXPECT_EQ(machine().OpenHandles(), 0u);
  }
}

// The on-access component runs while its device opens; its service is stopped only when
// its key exists.
TEST_F(StopServiceTest, TheOnAccessComponent) {
  machine().registry.CreateKey(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\Tessor Wardel");
  EXPECT_EQ(StopOnAccessService(), 2);  // a key without its service is a failed stop
  EXPECT_EQ(machine().OpenHandles(), 0u);

  winsim::Reset();
  EXPECT_EQ(OnAccessComponentRunning(), 0);
  machine().files.devices.insert("WARDELDEV");
  EXPECT_EQ(OnAccessComponentRunning(), 1);
  EXPECT_EQ(machine().OpenHandles(), 0u);  // the device is closed at once
  EXPECT_EQ(StopOnAccessComponent(), 0);   // device there, service key missing
  EXPECT_EQ(OnAccessServiceInstalled(), 0);
  EXPECT_EQ(StopOnAccessService(), 0);
  winsim::Service& service = machine().services.Install(kWardel, SERVICE_RUNNING);
  EXPECT_EQ(OnAccessServiceInstalled(), 1);
  EXPECT_EQ(StopOnAccessService(), 0);
  EXPECT_EQ(service.status.state, static_cast<DWORD>(SERVICE_STOPPED));
  EXPECT_EQ(machine().OpenHandles(), 0u);
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
