// Stopping the product's running programs and its on-access component.
#pragma once

#include "support/prompts.h"

// The window classes of the product's programs: the main program and the agent program.
inline constexpr const char* kProductProgramClasses[] = {"VFW_MainWindow", "V-Agent"};

// Stops the main program, the agent program and, when `onAccessRemovable` is 1, the
// on-access component, asking through `prompts` (Abort/Retry/Ignore) when one will not
// stop. 1 when the answer was Abort, else 0.
int StopRunningComponents(Prompts& prompts, int onAccessRemovable);
