// The whole run of the uninstaller, in its fixed order of steps.
#pragma once

// Exit codes of the run.
constexpr int kExitNoProductDirectory = -1;  // the product directory is not registered
constexpr int kExitDeclined = 0;             // the user answered No (or no answer)
constexpr int kExitNoRights = -2;            // the user may not manage services
constexpr int kExitAborted = 3;              // IDABORT: the user gave up on stopping a component
constexpr int kExitAnotherRun = -3;          // another run of the uninstaller is in progress
constexpr int kExitItemsLeft = 4;            // completed, but something could be neither deleted nor scheduled
// A completed run that left nothing returns the answer to the removal prompt: 6 (IDYES).

// Runs the uninstallation; `commandTail` is handed on to the Install Shield uninstaller.
int RunUninstall(const char* commandTail);
