#include "services/application_close.h"

#include <gtest/gtest.h>

#include <optional>

#include "common/machine_test.h"

namespace {

struct CloseCase {
  const char* what;
  DWORD startTick;
  std::optional<DWORD> closesAfterQuitMs;  // none: ignores the quit
  int result;
};

class CloseApplicationTest : public MachineTest {
 protected:
  winsim::Desktop& desktop() { return machine().desktop; }
  std::uint64_t Now() { return machine().clock.Now(); }
};

// Quit goes to the window's thread and the close is awaited busily, up to the time-out.
// Each look-up takes 1 ms: the look-up that sees the window gone at 10 001 ms is made
// only because an elapsed time equal to the time-out still begins another pass.
TEST_F(CloseApplicationTest, TheCloseIsAwaitedUpToTheTimeout) {
  const DWORD kWrapsSoon = 0xFFFFFFFFu - 3000;
  const CloseCase cases[] = {
      {"closes", 0, 700, kCloseWindowWent},
      {"ignores the quit", 0, std::nullopt, kCloseTimedOut},
      {"closes when the time-out is reached", 0, kCloseTimeoutMs + 1, kCloseWindowWent},
      {"closes just after the time-out", 0, kCloseTimeoutMs + 2, kCloseTimedOut},
      {"closes while the tick counter wraps", kWrapsSoon, 6000, kCloseWindowWent},
      {"ignores the quit while the tick counter wraps", kWrapsSoon, std::nullopt, kCloseTimedOut},
  };
  for (const CloseCase& c : cases) {
    SCOPED_TRACE(c.what);
    winsim::Reset();
    machine().clock.SetTickCount(c.startTick);
    const DWORD thread = desktop().ThreadOf(desktop().StartProgram("VFW_MainWindow", c.closesAfterQuitMs));
    const std::uint64_t start = Now();
    EXPECT_EQ(CloseApplicationByClass("VFW_MainWindow", kCloseTimeoutMs), c.result);
    const std::uint64_t least = c.result == kCloseTimedOut ? kCloseTimeoutMs + 1 : *c.closesAfterQuitMs;
    EXPECT_GE(Now() - start, least);
    EXPECT_LT(Now() - start, least + 10);
    EXPECT_EQ(desktop().Thread(thread)->quitsReceived, 1);
    EXPECT_EQ(desktop().HasWindow("VFW_MainWindow"), c.result == kCloseTimedOut);
    EXPECT_TRUE(machine().clock.sleeps.empty());  // a busy wait, not a pause
  }
}

TEST_F(CloseApplicationTest, ItsOwnQueueIsDrainedWhileItWaits) {
  desktop().StartProgram("V-Agent", 50);
  for (UINT message : {WM_NULL, WM_CLOSE, WM_NULL}) {
    desktop().ownQueue.push_back(MSG{nullptr, message, 0, 0, 0, {0, 0}});
  }
  EXPECT_EQ(CloseApplicationByClass("V-Agent", kCloseTimeoutMs), kCloseWindowWent);
  EXPECT_TRUE(desktop().ownQueue.empty());
  EXPECT_EQ(desktop().translated, 3);
  EXPECT_EQ(desktop().dispatched, 3);
}

TEST_F(CloseApplicationTest, WhichWindowsAreAskedAndAwaited) {
  desktop().StartProgram("Other");
  EXPECT_EQ(CloseApplicationByClass("VFW_MainWindow", kCloseTimeoutMs), kCloseNoWindow);
  EXPECT_EQ(machine().faults.CallCount("PostThreadMessageA"), 0u);
  HWND first = desktop().StartProgram("VFW_MainWindow", 100);
  HWND second = desktop().StartProgram("VFW_MainWindow", 100);
  EXPECT_EQ(CloseApplicationByClass("VFW_MainWindow", kCloseTimeoutMs), kCloseTimedOut);
  EXPECT_EQ(desktop().Thread(desktop().ThreadOf(second))->quitsReceived, 0);
  EXPECT_EQ(desktop().ThreadOf(first), 0u);  // gone
  EXPECT_EQ(CloseApplicationByClass("VFW_MainWindow", kCloseTimeoutMs), kCloseWindowWent);
  EXPECT_FALSE(desktop().HasWindow("VFW_MainWindow"));

  // A window going while looked for counts as closed.
  desktop().VanishAfterLookups(desktop().StartProgram("V-Agent", std::nullopt), 1);
  EXPECT_EQ(CloseApplicationByClass("V-Agent", kCloseTimeoutMs), kCloseWindowWent);
  EXPECT_FALSE(desktop().HasWindow("V-Agent"));
}

}  // namespace
