// Stopping the product's running programs and its on-access component.
#pragma once

#include "uninstall/profile.h"

// Stops the main program, the agent program and, when `onAccessRemovable` is 1, the
// on-access component, asking the user (Abort/Retry/Ignore) when one will not stop.
// 1 when the user chose Abort, else 0.
int StopRunningComponents(const ProfileTexts& profile, int onAccessRemovable);
