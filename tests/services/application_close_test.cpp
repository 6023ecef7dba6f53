#include "services/application_close.h"

#include <gtest/gtest.h>

#include "common/machine_test.h"

namespace {

class CloseApplicationTest : public MachineTest {
 protected:
  winsim::Desktop& desktop() { return machine().desktop; }
  std::uint64_t Now() { return machine().clock.Now(); }
};

TEST_F(CloseApplicationTest, NoWindowOfTheClassGivesOneWithoutPostingAnything) {
  desktop().StartProgram("Other");
  EXPECT_EQ(CloseApplicationByClass("VFW_MainWindow", kCloseTimeoutMs), kCloseNoWindow);
  EXPECT_EQ(machine().faults.CallCount("PostThreadMessageA"), 0u);
}

TEST_F(CloseApplicationTest, QuitIsPostedToTheOwningThreadAndTheCloseAwaited) {
  HWND window = desktop().StartProgram("VFW_MainWindow", 700);
  const DWORD thread = desktop().ThreadOf(window);
  const std::uint64_t start = Now();
  EXPECT_EQ(CloseApplicationByClass("VFW_MainWindow", kCloseTimeoutMs), kCloseWindowWent);
  EXPECT_EQ(desktop().Thread(thread)->quitsReceived, 1);
  EXPECT_FALSE(desktop().HasWindow("VFW_MainWindow"));
  EXPECT_GE(Now() - start, 700u);
  EXPECT_LT(Now() - start, 710u);
  EXPECT_TRUE(machine().clock.sleeps.empty());  // a busy wait, not a pause
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

TEST_F(CloseApplicationTest, AProgramIgnoringQuitTimesOutJustAfterTheTimeout) {
  desktop().StartProgram("VFW_MainWindow", std::nullopt);
  const std::uint64_t start = Now();
  EXPECT_EQ(CloseApplicationByClass("VFW_MainWindow", kCloseTimeoutMs), kCloseTimedOut);
  EXPECT_GT(Now() - start, kCloseTimeoutMs);
  EXPECT_LT(Now() - start, kCloseTimeoutMs + 10);
  EXPECT_TRUE(desktop().HasWindow("VFW_MainWindow"));
}

// Each look-up takes 1 ms: the look-up that sees the window gone at 10 001 ms is made
// only because an elapsed time equal to the time-out still begins another pass.
TEST_F(CloseApplicationTest, AnElapsedTimeEqualToTheTimeoutStillLooksOnceMore) {
  desktop().StartProgram("VFW_MainWindow", kCloseTimeoutMs + 1);
  EXPECT_EQ(CloseApplicationByClass("VFW_MainWindow", kCloseTimeoutMs), kCloseWindowWent);
  desktop().StartProgram("V-Agent", kCloseTimeoutMs + 2);
  EXPECT_EQ(CloseApplicationByClass("V-Agent", kCloseTimeoutMs), kCloseTimedOut);
}

TEST_F(CloseApplicationTest, ATickCounterWrappingDuringTheWaitDoesNoHarm) {
  machine().clock.SetTickCount(0xFFFFFFFFu - 3000);
  desktop().StartProgram("VFW_MainWindow", 6000);
  EXPECT_EQ(CloseApplicationByClass("VFW_MainWindow", kCloseTimeoutMs), kCloseWindowWent);

  machine().clock.SetTickCount(0xFFFFFFFFu - 3000);
  desktop().StartProgram("V-Agent", std::nullopt);
  const std::uint64_t start = Now();
  EXPECT_EQ(CloseApplicationByClass("V-Agent", kCloseTimeoutMs), kCloseTimedOut);
  EXPECT_GT(Now() - start, kCloseTimeoutMs);
}

TEST_F(CloseApplicationTest, OnlyTheFirstWindowsThreadIsAskedAndAllWindowsAreAwaited) {
  HWND first = desktop().StartProgram("VFW_MainWindow", 100);
  HWND second = desktop().StartProgram("VFW_MainWindow", 100);
  EXPECT_EQ(CloseApplicationByClass("VFW_MainWindow", kCloseTimeoutMs), kCloseTimedOut);
  EXPECT_EQ(desktop().Thread(desktop().ThreadOf(second))->quitsReceived, 0);
  EXPECT_EQ(desktop().ThreadOf(first), 0u);  // gone

  EXPECT_EQ(CloseApplicationByClass("VFW_MainWindow", kCloseTimeoutMs), kCloseWindowWent);
  EXPECT_FALSE(desktop().HasWindow("VFW_MainWindow"));
}

TEST_F(CloseApplicationTest, AWindowGoingWhileLookedForCountsAsClosed) {
  HWND window = desktop().StartProgram("V-Agent", std::nullopt);
  desktop().VanishAfterLookups(window, 1);
  EXPECT_EQ(CloseApplicationByClass("V-Agent", kCloseTimeoutMs), kCloseWindowWent);
  EXPECT_FALSE(desktop().HasWindow("V-Agent"));
}

}  // namespace
