#include "services/component_stop.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/machine_test.h"
#include "common/product.h"
#include "services/application_close.h"
#include "services/on_access.h"
#include "services/service_scripts.h"
#include "support/profile_texts.h"

namespace {

using Texts = std::vector<std::string>;

const char kMain[] = "VFW_MainWindow";
const char kAgent[] = "V-Agent";
const char kMonitor[] = "KVX95MainWnd";  // the on-access component off Windows NT
const char kWardel[] = "Tessor Wardel";
const std::string kMainPrompt = texts::kStopErrorMain;
const std::string kAgentPrompt = texts::kStopErrorAgent;
const std::string kOnAccessPrompt = texts::kStopErrorOnAccess;

using Windows = std::vector<HWND>;
constexpr std::optional<DWORD> kNever = std::nullopt;  // a program that ignores WM_QUIT

using Program = std::pair<const char*, std::optional<DWORD>>;  // a window class, its closing after WM_QUIT

struct StopCase {
  const char* what;
  std::vector<Program> programs;  // started in this order
  std::vector<int> answers;
  std::function<void(const Windows&)> setup;  // more of the machine, after the programs
  int onAccessRemovable;
  int result;
  Texts prompts;
  std::vector<DWORD> sleeps;
  std::vector<int> quits;  // the WM_QUITs each program received
  Texts windowsLeft;
  std::function<void()> check = nullptr;
};

class StopComponentsTest : public MachineTest {
 protected:
  winsim::Desktop& desktop() { return machine().desktop; }
  winsim::Service& InstallOnAccessService() {
    machine().files.devices.insert("WARDELDEV");
    return machine().services.Install(kWardel, SERVICE_RUNNING);
  }
  winsim::Service& Wardel() { return *machine().services.Get(kWardel); }
  std::size_t Calls(const char* function) { return machine().faults.CallCount(function); }
  // Answers Retry, after `change` on the machine.
  void RetryAfter(std::function<void()> change) {
    machine().ui.answerer = [change](const winsim::MessageBoxRecord&) {
      change();
      return IDRETRY;
    };
  }

  void Run(const StopCase& c) {
    SCOPED_TRACE(c.what);
    winsim::Reset();
    Windows windows;
    std::vector<DWORD> threads;
    for (const Program& p : c.programs) {
      windows.push_back(desktop().StartProgram(p.first, p.second));
      threads.push_back(desktop().ThreadOf(windows.back()));
    }
    for (int answer : c.answers) machine().ui.Answer(answer);
    if (c.setup) c.setup(windows);
    ::Prompts prompts(profile_);
    EXPECT_EQ(StopRunningComponents(prompts, c.onAccessRemovable), c.result);
    // Every box is an Abort/Retry/Ignore box with the profile's caption and no owner.
    Texts shown;
    for (const winsim::MessageBoxRecord& box : machine().ui.boxes) {
      const bool stopPrompt = !box.owner && box.caption == texts::kCaption && box.style == MB_ABORTRETRYIGNORE;
      shown.push_back(stopPrompt ? box.text : "(not a stop prompt) " + box.text);
    }
    EXPECT_EQ(shown, c.prompts);
    EXPECT_EQ(machine().clock.sleeps, c.sleeps);
    std::vector<int> quits;
    for (DWORD thread : threads) quits.push_back(desktop().Thread(thread)->quitsReceived);
    EXPECT_EQ(quits, c.quits);
    Texts left;
    for (const char* windowClass : {kMain, kAgent, kMonitor}) {
      if (desktop().HasWindow(windowClass)) left.push_back(windowClass);
    }
    EXPECT_EQ(left, c.windowsLeft);
    if (c.check) c.check();
  }

  ProfileTexts profile_{.caption = texts::kCaption, .stopErrors = {kMainPrompt, kAgentPrompt, kOnAccessPrompt}};
};

// The main program, then the agent program, each asked to quit and prompted for until it
// has gone, is ignored or the user aborts; the agent's closing is followed by a pause.
TEST_F(StopComponentsTest, TheProgramsAreClosedInTurn) {
  const auto onAccess = [&](const Windows&) { InstallOnAccessService(); };
  const StopCase cases[] = {
      {"nothing running, on-access not removable: at once", {}, {}, onAccess, 0, 0, {}, {}, {}, {},
       [&] { EXPECT_EQ(Calls("OpenSCManagerA") + Calls("CreateFileA"), 0u); }},
      {"the main program closing needs no pause", {{kMain, 400}, {kAgent, 200}}, {}, nullptr, 0, 0, {}, {3000},
       {1, 1}, {}},
      {"the agent's pause comes before the on-access component", {{kAgent, 0}}, {}, onAccess, 1, 0, {},
       {3000, 500}, {1}, {}},
      // On the second prompt the program has been told to close by other means; the clock started at 0.
      {"a program ignoring quit is prompted for and retried", {{kMain, kNever}}, {IDRETRY},
       [&](const Windows& w) { RetryAfter([&, w] { desktop().VanishAfterLookups(w[0], 1); }); }, 0, 0,
       {kMainPrompt, kMainPrompt}, {}, {2}, {}, [&] { EXPECT_GT(machine().clock.Now(), 2 * kCloseTimeoutMs); }},
      // An ignored agent did not close: no pause.
      {"ignore leaves the program running and goes on", {{kMain, kNever}, {kAgent, kNever}}, {IDIGNORE, IDIGNORE},
       nullptr, 0, 0, {kMainPrompt, kAgentPrompt}, {}, {1, 1}, {kMain, kAgent}},
      {"abort leaves the later components untouched", {{kMain, kNever}, {kAgent, 0}}, {IDABORT}, onAccess, 1, 1,
       {kMainPrompt}, {}, {1, 0}, {kMain, kAgent},
       [&] { EXPECT_TRUE(Wardel().status.state == SERVICE_RUNNING && Calls("CreateFileA") == 0); }},
      {"abort at the agent's prompt", {{kAgent, kNever}}, {IDABORT}, onAccess, 1, 1, {kAgentPrompt}, {}, {1},
       {kAgent}, [&] { EXPECT_EQ(Calls("OpenSCManagerA"), 0u); }},
      {"a prompt that cannot be shown counts as abort", {{kMain, kNever}}, {},
       [&](const Windows&) { machine().faults.FailCall("MessageBoxA", 1, ERROR_NOT_ENOUGH_MEMORY); }, 0, 1, {},
       {}, {1}, {kMain}, [&] { EXPECT_EQ(Calls("MessageBoxA"), 1u); }},
      {"a window gone before the closing attempt counts as closed", {{kAgent, kNever}}, {},
       [&](const Windows& w) { desktop().VanishAfterLookups(w[0], 1); }, 0, 0, {}, {3000}, {0}, {}},
      {"a retry after the program went makes no further attempt", {{kMain, kNever}}, {},
       [&](const Windows& w) { RetryAfter([&, w] { desktop().VanishAfterLookups(w[0], 0); }); }, 0, 0,
       {kMainPrompt}, {}, {1}, {}},
      {"an agent gone before a retry is not paused for", {{kAgent, kNever}}, {},
       [&](const Windows& w) { RetryAfter([&, w] { desktop().VanishAfterLookups(w[0], 0); }); }, 0, 0,
       {kAgentPrompt}, {}, {1}, {}},
      {"several windows of one class are closed one retry at a time", {{kMain, 100}, {kMain, 100}}, {IDRETRY},
       nullptr, 0, 0, {kMainPrompt}, {}, {1, 1}, {}},
  };
  for (const StopCase& c : cases) Run(c);
}

// The on-access component: the driver's service on Windows NT, a program elsewhere.
TEST_F(StopComponentsTest, TheOnAccessComponentIsStoppedWhenRemovable) {
  const auto refusing = [&](const Windows&) { InstallOnAccessService().stopError = ERROR_SERVICE_CANNOT_ACCEPT_CTRL; };
  const auto win95 = [&](const Windows&) { machine().system.platformId = VER_PLATFORM_WIN32_WINDOWS; };
  const std::vector<DWORD> kStopControl = {SERVICE_CONTROL_STOP};
  const StopCase cases[] = {
      {"the service stops", {}, {}, [&](const Windows&) { StopPendingFor(InstallOnAccessService(), 2); }, 1, 0, {},
       {500, 500, 500}, {}, {},
       [&] { EXPECT_TRUE(Wardel().status.state == SERVICE_STOPPED && Wardel().controls == kStopControl); }},
      {"the device without the service key counts as stopped", {}, {},
       [&](const Windows&) { machine().files.devices.insert("WARDELDEV"); }, 1, 0, {}, {}, {}, {},
       [&] {
         EXPECT_EQ(Calls("OpenServiceA"), 0u);
         EXPECT_EQ(OnAccessComponentRunning(), 1);
         EXPECT_EQ(OnAccessServiceInstalled(), 0);
       }},
      {"a refusing service is prompted for after one pause", {}, {IDIGNORE}, refusing, 1, 0, {kOnAccessPrompt},
       {500}, {}, {}, [&] { EXPECT_EQ(Wardel().status.state, static_cast<DWORD>(SERVICE_RUNNING)); }},
      // The driver went meanwhile: no second stop.
      {"retry tests the device again", {}, {},
       [&](const Windows& w) { refusing(w); RetryAfter([&] { machine().files.devices.clear(); }); }, 1, 0,
       {kOnAccessPrompt}, {500}, {}, {}, [&] { EXPECT_EQ(Wardel().controls.size(), 1u); }},
      {"abort after a retry", {}, {IDRETRY, IDABORT}, refusing, 1, 1, {kOnAccessPrompt, kOnAccessPrompt},
       {500, 500}, {}, {}, [&] { EXPECT_EQ(Wardel().controls.size(), 2u); }},
      {"a manager that cannot be opened is a failed stop when the key exists", {}, {IDIGNORE},
       [&](const Windows&) { InstallOnAccessService(); machine().services.deniedAccess = SC_MANAGER_ALL_ACCESS; }, 1,
       0, {kOnAccessPrompt}, {}, {}, {}, [] {
         EXPECT_EQ(OnAccessServiceInstalled(), 1);
         EXPECT_EQ(StopOnAccessService(), 2);
       }},
      {"off Windows NT a program", {{kMonitor, 250}}, {},
       [&](const Windows& w) { win95(w); machine().files.devices.insert("WARDELDEV"); }, 1, 0, {}, {}, {1}, {},
       [&] { EXPECT_EQ(Calls("CreateFileA"), 0u); }},
      {"off Windows NT a stubborn program is prompted for", {{kMonitor, kNever}}, {IDIGNORE}, win95, 1, 0,
       {kOnAccessPrompt}, {}, {1}, {kMonitor}},
  };
  for (const StopCase& c : cases) Run(c);
}

// The close is awaited busily, each look-up taking 1 ms: a window gone at 10 001 ms is
// still seen to go, because an elapsed time equal to the time-out begins another pass.
TEST_F(StopComponentsTest, TheCloseIsAwaitedUpToTheTimeoutWhileTheTickCounterWraps) {
  for (const auto& [closesAfterMs, result] :
       {std::pair{kCloseTimeoutMs + 1, kCloseWindowWent}, std::pair{kCloseTimeoutMs + 2, kCloseTimedOut}}) {
    winsim::Reset();
    machine().clock.SetTickCount(0xFFFFFFFFu - 3000);
    desktop().StartProgram(kMain, closesAfterMs);
    EXPECT_EQ(CloseApplicationByClass(kMain, kCloseTimeoutMs), result) << closesAfterMs;
    EXPECT_TRUE(machine().clock.sleeps.empty());  // not a pause
  }
}

// While it waits for a program to close, its own messages are still handled.
TEST_F(StopComponentsTest, ItsOwnQueueIsDrainedWhileAProgramCloses) {
  desktop().StartProgram("V-Agent", 50);
  for (UINT message : {WM_NULL, WM_CLOSE, WM_NULL}) {
    desktop().ownQueue.push_back(MSG{nullptr, message, 0, 0, 0, {0, 0}});
  }
  EXPECT_EQ(CloseApplicationByClass("V-Agent", kCloseTimeoutMs), kCloseWindowWent);
  EXPECT_TRUE(desktop().ownQueue.empty());
  EXPECT_EQ(desktop().translated, 3);
  EXPECT_EQ(desktop().dispatched, 3);
}

}  // namespace
