// Compares what a run did with what its scenario expects. Each function returns the
// differences, one readable line each; none means the scenario holds. The machine is
// read through Win32, so the same checks run under Wine and over winsim.
#pragma once

#include <string>
#include <vector>

#include "observed.h"
#include "scenario.h"

// Exit code, message boxes (caption, text, buttons, order), the trace word for word (a
// rerun's only when the scenario lists it), and the log: a first line of the run, the
// trace, and the exit code's line.
std::vector<std::string> CompareRun(const Scenario& scenario, const Observed& observed);

// Registry keys and values, files, services and windows, launches of the Install Shield uninstaller, and the
// delete-at-restart list (`pending`: the paths, as the backend lists them).
std::vector<std::string> CompareMachine(const Scenario& scenario,
                                        const std::vector<std::string>& pending);

// After a restart: the list is empty and everything it named is gone.
std::vector<std::string> CompareAfterRestart(const Scenario& scenario,
                                             const std::vector<std::string>& pending);

// The services (state and start type) and windows the scenario names, then its registry
// entries and files, each as "present" or "absent" followed by its path (and a value's
// data), as they are now: for showing a machine rather than checking it.
std::vector<std::string> DescribeMachine(const Scenario& scenario);

// A path from the delete-at-restart list in the form the program passed it: without the
// "\??\" prefix that Windows stores with it.
std::string PendingPath(std::string path);
