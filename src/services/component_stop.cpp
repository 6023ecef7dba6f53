#include "services/component_stop.h"

#include <windows.h>

#include "services/application_close.h"
#include "services/on_access.h"
#include "support/trace.h"

namespace {

const char* const kMainProgramClass = kProductProgramClasses[0];
const char* const kAgentProgramClass = kProductProgramClasses[1];

constexpr int kMainProgramPrompt = 0;
constexpr int kAgentProgramPrompt = 1;
constexpr int kOnAccessPrompt = 2;

// Lets the agent finish its own shutdown before the on-access component goes.
constexpr DWORD kAfterAgentPauseMs = 3000;

enum class Outcome {
  kNotRunning,  // no window of the program at a test, so no attempt was made
  kClosed,      // a closing attempt saw it go
  kIgnored,
  kAborted,
};

// Asks the program to quit until it has gone or the user ignores it or gives up. Every
// attempt, also after a Retry, begins by testing whether the program is still there.
Outcome CloseProgram(Prompts& prompts, const char* windowClass, int promptIndex) {
  while (WindowOfClassExists(windowClass)) {
    if (CloseApplicationByClass(windowClass, kCloseTimeoutMs) != kCloseTimedOut) return Outcome::kClosed;
    const int answer = prompts.PromptStopFailure(promptIndex);
    if (answer == kPromptAbort) return Outcome::kAborted;
    if (answer == kPromptIgnore) return Outcome::kIgnored;
  }
  return Outcome::kNotRunning;
}

}  // namespace

int StopRunningComponents(Prompts& prompts, int onAccessRemovable) {
  if (CloseProgram(prompts, kMainProgramClass, kMainProgramPrompt) == Outcome::kAborted) return 1;

  const Outcome agent = CloseProgram(prompts, kAgentProgramClass, kAgentProgramPrompt);
  if (agent == Outcome::kAborted) return 1;
  if (agent == Outcome::kClosed) {
    FlushRunLog();
    Sleep(kAfterAgentPauseMs);
  }

  if (onAccessRemovable != 1) return 0;
  while (OnAccessComponentRunning()) {
    if (StopOnAccessComponent() == 0) return 0;
    const int answer = prompts.PromptStopFailure(kOnAccessPrompt);
    if (answer == kPromptAbort) return 1;
    if (answer == kPromptIgnore) return 0;
  }
  return 0;
}
