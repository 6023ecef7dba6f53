#include "services/component_stop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/machine_test.h"
#include "services/application_close.h"
#include "services/service_scripts.h"
#include "services/stop_test_support.h"

namespace {

using Texts = std::vector<std::string>;
using Sleeps = std::vector<DWORD>;

const char kOnAccessKey[] = "SYSTEM\\CurrentControlSet\\Services\\Tessor Wardel";

class StopComponentsTest : public MachineTest {
 protected:
  winsim::Desktop& desktop() { return machine().desktop; }
  winsim::Service& InstallOnAccessService(DWORD state = SERVICE_RUNNING) {
    machine().files.devices.insert("WARDELDEV");
    winsim::Service& service = machine().services.Install("Tessor Wardel", state);
    service.type = SERVICE_KERNEL_DRIVER;
    return service;
  }
  int Stop(int removable) { return StopRunningComponents(prompts_, removable); }
  Texts Prompts() { return StopPromptsShown(machine()); }
  const Sleeps& sleeps() { return machine().clock.sleeps; }

  ProfileTexts profile_ = StopPromptProfile();
  ::Prompts prompts_{profile_};
};

TEST_F(StopComponentsTest, NothingRunningAndNotRemovableReturnsAtOnce) {
  InstallOnAccessService();
  EXPECT_EQ(Stop(0), 0);
  EXPECT_TRUE(Prompts().empty());
  EXPECT_TRUE(sleeps().empty());
  EXPECT_EQ(machine().faults.CallCount("OpenSCManagerA"), 0u);
  EXPECT_EQ(machine().faults.CallCount("CreateFileA"), 0u);
}

TEST_F(StopComponentsTest, TheMainProgramClosingNeedsNoPauseAndTheAgentIsHandledNext) {
  HWND main = desktop().StartProgram("VFW_MainWindow", 400);
  HWND agent = desktop().StartProgram("V-Agent", 200);
  const DWORD mainThread = desktop().ThreadOf(main);
  const DWORD agentThread = desktop().ThreadOf(agent);
  EXPECT_EQ(Stop(0), 0);
  EXPECT_EQ(desktop().Thread(mainThread)->quitsReceived, 1);
  EXPECT_EQ(desktop().Thread(agentThread)->quitsReceived, 1);
  EXPECT_FALSE(desktop().HasWindow("VFW_MainWindow"));
  EXPECT_FALSE(desktop().HasWindow("V-Agent"));
  EXPECT_EQ(sleeps(), Sleeps{3000});  // after the agent only
  EXPECT_TRUE(Prompts().empty());
}

TEST_F(StopComponentsTest, TheAgentClosingIsFollowedByAPauseBeforeTheOnAccessComponent) {
  desktop().StartProgram("V-Agent", 0);
  EXPECT_EQ(Stop(0), 0);
  EXPECT_EQ(sleeps(), Sleeps{3000});

  // With the on-access component to stop, the pause comes first.
  desktop().StartProgram("V-Agent", 0);
  InstallOnAccessService(SERVICE_STOPPED);
  EXPECT_EQ(Stop(1), 0);
  EXPECT_EQ(sleeps(), (Sleeps{3000, 3000}));
}

TEST_F(StopComponentsTest, AProgramIgnoringQuitIsPromptedForAndRetried) {
  HWND main = desktop().StartProgram("VFW_MainWindow", std::nullopt);
  const DWORD thread = desktop().ThreadOf(main);
  // On the retry the program has been told to close by other means.
  int boxes = 0;
  machine().ui.answerer = [&](const winsim::MessageBoxRecord&) {
    if (++boxes == 2) desktop().VanishAfterLookups(main, 1);
    return IDRETRY;
  };
  const std::uint64_t start = machine().clock.Now();
  EXPECT_EQ(Stop(0), 0);
  EXPECT_EQ(Prompts(), (Texts{texts::kStopErrorMain, texts::kStopErrorMain}));
  EXPECT_EQ(desktop().Thread(thread)->quitsReceived, 2);
  EXPECT_GT(machine().clock.Now() - start, 2 * kCloseTimeoutMs);
  EXPECT_FALSE(desktop().HasWindow("VFW_MainWindow"));
  EXPECT_TRUE(sleeps().empty());
}

TEST_F(StopComponentsTest, IgnoreLeavesTheProgramRunningAndGoesOn) {
  desktop().StartProgram("VFW_MainWindow", std::nullopt);
  HWND agent = desktop().StartProgram("V-Agent", std::nullopt);
  machine().ui.Answer(IDIGNORE);
  machine().ui.Answer(IDIGNORE);
  EXPECT_EQ(Stop(0), 0);
  EXPECT_EQ(Prompts(), (Texts{texts::kStopErrorMain, texts::kStopErrorAgent}));
  EXPECT_TRUE(desktop().HasWindow("VFW_MainWindow"));
  EXPECT_EQ(desktop().Thread(desktop().ThreadOf(agent))->quitsReceived, 1);
  EXPECT_TRUE(sleeps().empty());  // an ignored agent did not close: no pause
}

TEST_F(StopComponentsTest, AbortLeavesTheLaterComponentsUntouched) {
  desktop().StartProgram("VFW_MainWindow", std::nullopt);
  HWND agent = desktop().StartProgram("V-Agent", 0);
  InstallOnAccessService();
  machine().ui.Answer(IDABORT);
  EXPECT_EQ(Stop(1), 1);
  EXPECT_EQ(Prompts(), Texts{texts::kStopErrorMain});
  EXPECT_EQ(desktop().Thread(desktop().ThreadOf(agent))->quitsReceived, 0);
  EXPECT_EQ(machine().services.Get("Tessor Wardel")->status.state, static_cast<DWORD>(SERVICE_RUNNING));
  EXPECT_EQ(machine().faults.CallCount("CreateFileA"), 0u);
  EXPECT_TRUE(sleeps().empty());
}

TEST_F(StopComponentsTest, AbortAtTheAgentPromptReturnsOne) {
  desktop().StartProgram("V-Agent", std::nullopt);
  InstallOnAccessService();
  machine().ui.Answer(IDABORT);
  EXPECT_EQ(Stop(1), 1);
  EXPECT_EQ(Prompts(), Texts{texts::kStopErrorAgent});
  EXPECT_EQ(machine().faults.CallCount("OpenSCManagerA"), 0u);
}

TEST_F(StopComponentsTest, APromptThatCannotBeShownCountsAsAbort) {
  desktop().StartProgram("VFW_MainWindow", std::nullopt);
  machine().faults.FailCall("MessageBoxA", 1, ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_EQ(Stop(0), 1);
  EXPECT_EQ(machine().faults.CallCount("MessageBoxA"), 1u);
  EXPECT_TRUE(desktop().HasWindow("VFW_MainWindow"));
}

TEST_F(StopComponentsTest, AWindowGoneBeforeTheClosingAttemptCountsAsClosed) {
  HWND agent = desktop().StartProgram("V-Agent", std::nullopt);
  desktop().VanishAfterLookups(agent, 1);  // seen by the first test only
  EXPECT_EQ(Stop(0), 0);
  EXPECT_EQ(machine().faults.CallCount("PostThreadMessageA"), 0u);
  EXPECT_EQ(sleeps(), Sleeps{3000});
  EXPECT_TRUE(Prompts().empty());
}

TEST_F(StopComponentsTest, ARetryAfterTheProgramWentMakesNoFurtherAttempt) {
  HWND main = desktop().StartProgram("VFW_MainWindow", std::nullopt);
  machine().ui.answerer = [&](const winsim::MessageBoxRecord&) {
    desktop().VanishAfterLookups(main, 0);
    return IDRETRY;
  };
  EXPECT_EQ(Stop(0), 0);
  EXPECT_EQ(Prompts().size(), 1u);
  EXPECT_EQ(machine().faults.CallCount("PostThreadMessageA"), 1u);
}

TEST_F(StopComponentsTest, AnAgentGoneBeforeARetryIsNotPausedFor) {
  HWND agent = desktop().StartProgram("V-Agent", std::nullopt);
  machine().ui.answerer = [&](const winsim::MessageBoxRecord&) {
    desktop().VanishAfterLookups(agent, 0);
    return IDRETRY;
  };
  EXPECT_EQ(Stop(0), 0);
  EXPECT_EQ(Prompts(), Texts{texts::kStopErrorAgent});
  EXPECT_TRUE(sleeps().empty());
}

TEST_F(StopComponentsTest, SeveralWindowsOfOneClassAreClosedOneRetryAtATime) {
  HWND first = desktop().StartProgram("VFW_MainWindow", 100);
  HWND second = desktop().StartProgram("VFW_MainWindow", 100);
  const DWORD secondThread = desktop().ThreadOf(second);
  machine().ui.Answer(IDRETRY);
  EXPECT_EQ(Stop(0), 0);
  EXPECT_EQ(Prompts(), Texts{texts::kStopErrorMain});
  EXPECT_EQ(desktop().ThreadOf(first), 0u);
  EXPECT_EQ(desktop().Thread(secondThread)->quitsReceived, 1);
  EXPECT_FALSE(desktop().HasWindow("VFW_MainWindow"));
}

TEST_F(StopComponentsTest, TheOnAccessServiceIsStoppedWhenRemovable) {
  winsim::Service& service = InstallOnAccessService();
  StopPendingFor(service, 2);
  EXPECT_EQ(Stop(1), 0);
  EXPECT_EQ(service.status.state, static_cast<DWORD>(SERVICE_STOPPED));
  EXPECT_EQ(service.controls, std::vector<DWORD>{SERVICE_CONTROL_STOP});
  EXPECT_EQ(sleeps(), (Sleeps{500, 500, 500}));
  EXPECT_TRUE(Prompts().empty());
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(StopComponentsTest, TheDeviceWithoutTheServiceKeyCountsAsStopped) {
  machine().files.devices.insert("WARDELDEV");
  EXPECT_EQ(Stop(1), 0);
  EXPECT_TRUE(Prompts().empty());
  EXPECT_EQ(machine().faults.CallCount("OpenServiceA"), 0u);
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(StopComponentsTest, ARefusingOnAccessServiceIsPromptedForAfterOnePause) {
  winsim::Service& service = InstallOnAccessService();
  service.stopError = ERROR_SERVICE_CANNOT_ACCEPT_CTRL;
  machine().ui.Answer(IDIGNORE);
  EXPECT_EQ(Stop(1), 0);
  EXPECT_EQ(Prompts(), Texts{texts::kStopErrorOnAccess});
  EXPECT_EQ(sleeps(), Sleeps{500});
  EXPECT_EQ(service.status.state, static_cast<DWORD>(SERVICE_RUNNING));
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(StopComponentsTest, RetryAtTheOnAccessPromptTestsTheDeviceAgain) {
  winsim::Service& service = InstallOnAccessService();
  service.stopError = ERROR_SERVICE_CANNOT_ACCEPT_CTRL;
  machine().ui.answerer = [&](const winsim::MessageBoxRecord&) {
    machine().files.devices.clear();  // the driver went meanwhile
    return IDRETRY;
  };
  EXPECT_EQ(Stop(1), 0);
  EXPECT_EQ(Prompts().size(), 1u);
  EXPECT_EQ(service.controls.size(), 1u);  // no second stop
}

TEST_F(StopComponentsTest, AbortAtTheOnAccessPromptReturnsOne) {
  InstallOnAccessService().stopError = ERROR_SERVICE_CANNOT_ACCEPT_CTRL;
  machine().ui.Answer(IDRETRY);
  machine().ui.Answer(IDABORT);
  EXPECT_EQ(Stop(1), 1);
  EXPECT_EQ(Prompts(), (Texts{texts::kStopErrorOnAccess, texts::kStopErrorOnAccess}));
  EXPECT_EQ(machine().services.Get("Tessor Wardel")->controls.size(), 2u);
}

TEST_F(StopComponentsTest, AManagerThatCannotBeOpenedIsAFailedStopWhenTheKeyExists) {
  InstallOnAccessService();
  machine().services.deniedAccess = SC_MANAGER_ALL_ACCESS;
  machine().ui.Answer(IDIGNORE);
  EXPECT_EQ(Stop(1), 0);
  EXPECT_EQ(Prompts(), Texts{texts::kStopErrorOnAccess});
}

TEST_F(StopComponentsTest, OnWindows95TheOnAccessComponentIsAProgram) {
  machine().system.platformId = VER_PLATFORM_WIN32_WINDOWS;
  machine().files.devices.insert("WARDELDEV");
  const DWORD monitor = desktop().ThreadOf(desktop().StartProgram("KVX95MainWnd", 250));
  EXPECT_EQ(Stop(1), 0);
  EXPECT_EQ(desktop().Thread(monitor)->quitsReceived, 1);
  EXPECT_FALSE(desktop().HasWindow("KVX95MainWnd"));
  EXPECT_EQ(machine().faults.CallCount("CreateFileA"), 0u);
  EXPECT_TRUE(Prompts().empty());
}

TEST_F(StopComponentsTest, OnWindows95AStubbornOnAccessProgramIsPromptedFor) {
  machine().system.platformId = VER_PLATFORM_WIN32_WINDOWS;
  desktop().StartProgram("KVX95MainWnd", std::nullopt);
  machine().ui.Answer(IDIGNORE);
  EXPECT_EQ(Stop(1), 0);
  EXPECT_EQ(Prompts(), Texts{texts::kStopErrorOnAccess});
  EXPECT_TRUE(desktop().HasWindow("KVX95MainWnd"));
}

}  // namespace
