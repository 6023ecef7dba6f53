// The profile texts that the stop prompts show, and the prompts a test saw.
#pragma once

#include <winsim/machine.h>

#include <string>
#include <vector>

#include "common/product.h"
#include "support/profile_texts.h"

inline ProfileTexts StopPromptProfile() {
  ProfileTexts profile;
  profile.caption = texts::kCaption;
  profile.stopErrors = {texts::kStopErrorMain, texts::kStopErrorAgent, texts::kStopErrorOnAccess};
  return profile;
}

// The texts of the message boxes shown so far, each checked to be an Abort/Retry/Ignore
// box with the profile's caption and no owner.
inline std::vector<std::string> StopPromptsShown(const winsim::Machine& machine) {
  std::vector<std::string> shown;
  for (const winsim::MessageBoxRecord& box : machine.ui.boxes) {
    const bool stopPrompt = box.owner == nullptr && box.caption == texts::kCaption &&
                            box.style == MB_ABORTRETRYIGNORE;
    shown.push_back(stopPrompt ? box.text : "(not a stop prompt) " + box.text);
  }
  return shown;
}
