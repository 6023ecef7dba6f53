// Restarting the SNMP service, following the service's own checkpoints and wait hints.
#include "snmp/service_restart.h"

#include <windows.h>

#include <functional>

#include "common/machine_test.h"
#include "support/failure_text.h"

namespace {

using Sleeps = std::vector<DWORD>;

const char kNoProgress[] = "The service has returned a service-specific error code.";
const char kDenied[] = "Access is denied.";

class SnmpRestartTest : public MachineTest {};

TEST_F(SnmpRestartTest, StopsAndStartsARunningServiceAndRecordsWhatFails) {
  std::vector<winsim::ServiceState> advancing;
  for (DWORD checkPoint = 1; checkPoint <= 1000; ++checkPoint) {
    advancing.push_back({SERVICE_STOP_PENDING, checkPoint, 60000});
  }
  advancing.push_back({SERVICE_STOPPED, 0, 0});
  struct Case {
    const char* what;
    DWORD installed;  // 0: no SNMP service at all
    std::function<void(winsim::Machine&, winsim::Service&)> arrange;
    int result;
    const char* text;  // the failure text afterwards; null when nothing failed
    bool stopAsked;
    int starts;
    DWORD state;  // 0: not looked at
    Sleeps sleeps;
  };
  for (const Case& c : std::vector<Case>{
           {"a stopped service is left alone", SERVICE_STOPPED, nullptr, 1, nullptr, false, 0,
            SERVICE_STOPPED, {}},
           // Each pause is the latest status's hint; the stopped and running states count
           // although their checkpoints went back to 0.
           {"stop and start follow the hints", SERVICE_RUNNING,
            [](winsim::Machine&, winsim::Service& s) {
              s.onStop = {{SERVICE_STOP_PENDING, 1, 500}, {SERVICE_STOP_PENDING, 2, 700}, {SERVICE_STOPPED, 0, 0}};
              s.onStart = {{SERVICE_START_PENDING, 1, 300}, {SERVICE_START_PENDING, 2, 400}, {SERVICE_RUNNING, 0, 0}};
            },
            1, nullptr, true, 1, SERVICE_RUNNING, {700, 300, 400}},
           {"a service that keeps advancing is waited for without limit", SERVICE_RUNNING,
            [&advancing](winsim::Machine&, winsim::Service& s) { s.onStop = advancing; }, 1, nullptr,
            true, 1, SERVICE_RUNNING, Sleeps(999, 60000)},
           {"stopped by itself before the request", SERVICE_RUNNING,
            [](winsim::Machine& m, winsim::Service& s) {
              m.faults.BeforeCall("ControlService", 1, [&s] { s.status = {SERVICE_STOPPED, 0, 0}; });
            },
            1, nullptr, true, 1, SERVICE_RUNNING, {}},
           {"a stop without progress is given up", SERVICE_RUNNING,
            [](winsim::Machine&, winsim::Service& s) { s.onStop = {{SERVICE_STOP_PENDING, 3, 0}}; }, 0,
            kNoProgress, true, 0, SERVICE_STOP_PENDING, {0}},
           {"a start that stalls stays where it got", SERVICE_RUNNING,
            [](winsim::Machine&, winsim::Service& s) {
              s.onStart = {{SERVICE_START_PENDING, 1, 250}, {SERVICE_START_PENDING, 1, 250}};
            },
            0, kNoProgress, true, 1, SERVICE_START_PENDING, {250}},
           {"running dependents refuse the stop", SERVICE_RUNNING,
            [](winsim::Machine& m, winsim::Service&) { m.services.Install("Orvik NetWatch", SERVICE_RUNNING, {"SNMP"}); },
            0, "A stop control has been sent to a service that other running services are dependent on.",
            true, 0, SERVICE_RUNNING, {}},
           {"a failed start", SERVICE_RUNNING,
            [](winsim::Machine&, winsim::Service& s) { s.startError = ERROR_SERVICE_DISABLED; }, 0,
            "The service cannot be started, either because it is disabled or because it has no "
            "enabled devices associated with it.",
            true, 0, SERVICE_STOPPED, {}},
           {"no service manager", SERVICE_RUNNING,
            [](winsim::Machine& m, winsim::Service&) { m.services.deniedAccess = SC_MANAGER_CONNECT; }, 0,
            kDenied, false, 0, SERVICE_RUNNING, {}},
           {"a service gone since detection", 0, nullptr, 0,
            "The specified service does not exist as an installed service.", false, 0, 0, {}},
           {"a status that cannot be read", SERVICE_RUNNING,
            [](winsim::Machine&, winsim::Service& s) { s.queryError = ERROR_ACCESS_DENIED; }, 0, kDenied,
            false, 0, SERVICE_RUNNING, {}},
           {"a failed later query ends the wait", SERVICE_RUNNING,
            [](winsim::Machine& m, winsim::Service& s) {
              s.onStop = {{SERVICE_STOP_PENDING, 1, 100}, {SERVICE_STOP_PENDING, 2, 100}, {SERVICE_STOPPED, 0, 0}};
              m.faults.FailCall("QueryServiceStatus", 3, ERROR_ACCESS_DENIED);
            },
            0, kNoProgress, true, 0, 0, {100}},
       }) {
    SCOPED_TRACE(c.what);
    winsim::Machine& m = winsim::Reset();
    FormatSystemError("earlier", ERROR_INVALID_HANDLE);
    winsim::Service scratch;
    winsim::Service& snmp = c.installed ? m.services.Install("SNMP", c.installed) : scratch;
    if (c.arrange) c.arrange(m, snmp);

    EXPECT_EQ(RestartSnmpService(), c.result);

    EXPECT_STREQ(LastErrorText(), c.text ? c.text : "The handle is invalid.");
    EXPECT_EQ(snmp.controls, c.stopAsked ? std::vector<DWORD>{SERVICE_CONTROL_STOP} : std::vector<DWORD>{});
    EXPECT_EQ(snmp.starts, c.starts);
    if (c.state) { EXPECT_EQ(snmp.status.state, c.state); }
    EXPECT_EQ(m.clock.sleeps, c.sleeps);
  }
}

TEST_F(SnmpRestartTest, TheWaitRecordsAFailedQuery) {
  winsim::Service& snmp = machine().services.Install("SNMP", SERVICE_RUNNING);
  ServiceHandle manager;
  ServiceHandle service;
  ASSERT_EQ(OpenSNMPService(manager, service), 1);
  // A code the system has no message for: reporting it must not change the last error.
  machine().faults.FailCall("QueryServiceStatus", 1, 0x20004711u);

  EXPECT_EQ(WaitForServiceState(service.Get(), SERVICE_STOPPED), 0);

  EXPECT_EQ(GetLastError(), 0x20004711u);

  // A later query that fails is recorded too; the wait then ends without the state.
  snmp.status = {SERVICE_STOP_PENDING, 1, 0};
  machine().faults.FailCall("QueryServiceStatus", machine().faults.CallCount("QueryServiceStatus") + 2,
                            ERROR_ACCESS_DENIED);
  EXPECT_EQ(WaitForServiceState(service.Get(), SERVICE_STOPPED), 0);
  EXPECT_STREQ(LastErrorText(), kDenied);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_SPECIFIC_ERROR));
}

}  // namespace
