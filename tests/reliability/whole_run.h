// A whole run of the uninstaller over a machine with the product installed, with what
// the checks of a run need: the machine before the product, with it, and after the run.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "reliability/collateral.h"

// Answers every box: Yes to the prompts, Ignore to a component that will not stop (so
// the run goes on), OK to the messages.
int AnswerForRemoval(UINT style);

struct WholeRun {
  std::function<void()> foreign;  // other software, there before the product
  std::function<void()> install;  // the product
  std::function<int(UINT style)> answer = AnswerForRemoval;
  std::function<void()> beforeRun;  // arms what the run is to meet (a fault)
  std::function<std::string()> snapshot;  // the machine's state; Snapshot() when none
  std::string log;  // the run's own log file, which it may make: not counted as made
};

struct RunRecord {
  int exitCode = 0;
  MachineItems beforeInstall;
  MachineItems installed;
  MachineItems afterRun;
};

// Resets the machine and makes `run` on it.
RunRecord RunOverInstall(const WholeRun& run);

// Whether the exit code is one the run defines: an early exit or a completed run.
bool IsDefinedExit(int exitCode);
