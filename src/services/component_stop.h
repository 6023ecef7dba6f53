// Stopping the product's running programs and its on-access component.
#pragma once

#include "uninstall/profile.h"

// Stops the main program, the agent program and, when `onAccessRemovable` is 1, the
// on-access component, asking the user (Abort/Retry/Ignore) when one will not stop.
// 1 when the user chose Abort, else 0.
int StopRunningComponents(const ProfileTexts& profile, int onAccessRemovable);

// Answers of PromptStopFailure.
constexpr int kPromptAbort = 0;
constexpr int kPromptRetry = 1;
constexpr int kPromptIgnore = 2;

// Shows the stop-error text of a component (0 the main program, 1 the agent program,
// 2 the on-access component) with Abort, Retry and Ignore. A box that cannot be shown
// counts as Abort: nothing of a component still running goes without the user's say.
int PromptStopFailure(const ProfileTexts& profile, int index);
