// Base of every test that runs program code on the simulated machine: a fresh machine
// per test, and winsim's complaints (an unexpected message box, a handle left open when
// the test ends or starts over with winsim::Reset()) reported as failures.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>
#include <winsim/machine.h>

#include <algorithm>
#include <string>
#include <vector>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandTail, int);  // the program's entry

class MachineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    winsim::Reset();
    winsim::SetFailureHook([](const std::string& message) { ADD_FAILURE() << message; });
  }
  // Starting over reports what the test's last machine leaked.
  void TearDown() override {
    winsim::Reset();
    winsim::SetFailureHook(nullptr);
  }

  // The current machine; a test may start over with winsim::Reset().
  winsim::Machine& machine() { return winsim::machine(); }
  const std::vector<std::string>& trace() { return machine().debug.pieces; }

  // Whether the trace holds these pieces one after the other.
  bool Traced(const std::vector<std::string>& pieces) {
    return std::search(trace().begin(), trace().end(), pieces.begin(), pieces.end()) != trace().end();
  }

  // How the program starts another program: shown in a window of its own, sharing no
  // handles, with the program's environment and directory, and waited for.
  static void ExpectStartedAndWaitedFor(const winsim::Launch& launch, const std::string& application,
                                        const std::string& commandLine) {
    EXPECT_EQ(launch.application, application);
    EXPECT_EQ(launch.commandLine, commandLine);
    EXPECT_EQ(launch.creationFlags, static_cast<DWORD>(NORMAL_PRIORITY_CLASS));
    EXPECT_FALSE(launch.inheritHandles);
    EXPECT_TRUE(launch.ownEnvironment && launch.ownCurrentDirectory);
    EXPECT_EQ(launch.startupSize, sizeof(STARTUPINFOA));
    EXPECT_EQ(launch.startupFlags, static_cast<DWORD>(STARTF_USESHOWWINDOW));
    EXPECT_EQ(launch.showWindow, SW_SHOW);
    EXPECT_TRUE(launch.waitedFor);
  }

  // A whole run through the program's entry, answering Yes to the removal prompt and OK
  // to the final message; boxes in between must have been answered before.
  int RunConsentedUninstall() {
    machine().ui.Answer(IDYES);
    machine().ui.Answer(IDOK);
    char tail[] = "";
    return WinMain(nullptr, nullptr, tail, SW_SHOW);
  }
};
