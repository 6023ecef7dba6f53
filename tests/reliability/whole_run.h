// A whole run of the uninstaller over a machine with the product installed, answered as
// an administrator who wants the product gone, with what the checks of a run need.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "reliability/collateral.h"

// Answers every box: Yes to the prompts, Ignore to a component that will not stop (so
// the run goes on), OK to the messages.
int AnswerForRemoval(UINT style);

struct RunRecord {
  int exitCode = 0;
  MachineItems beforeInstall;
  MachineItems installed;
  MachineItems afterRun;
};

// Resets the machine, runs `setUp` (which installs), then the whole uninstaller with
// the box answers of `answer` and, when `beforeRun` is given, after it has run (it
// arms the fault of the run).
RunRecord RunOverInstall(const std::function<void()>& setUp, const std::function<int(UINT)>& answer,
                         const std::function<void()>& beforeRun = {});

// Whether the exit code is one the run defines: an early exit or a completed run.
bool IsDefinedExit(int exitCode);
