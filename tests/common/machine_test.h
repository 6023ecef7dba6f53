// Base of every test that runs program code on the simulated machine: a fresh machine
// per test, and winsim's complaints (an unexpected message box) reported as failures.
#pragma once

#include <gtest/gtest.h>
#include <winsim/machine.h>

class MachineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    winsim::Reset();
    winsim::SetFailureHook([](const std::string& message) { ADD_FAILURE() << message; });
  }
  void TearDown() override { winsim::SetFailureHook(nullptr); }

  // The current machine; a test may start over with winsim::Reset().
  winsim::Machine& machine() { return winsim::machine(); }
  const std::vector<std::string>& trace() { return machine().debug.pieces; }
};
