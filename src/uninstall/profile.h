// The uninstaller profile "tvuninst.ini" in the Windows directory: every text the user
// sees and the few settings. Loaded once at the start of the run, read-only afterwards;
// the program has no wording of its own.
#pragma once

#include <string>

#include "support/profile_texts.h"

// The profile's path: the Windows directory and "tvuninst.ini".
std::string ProfilePath();

// Reads the profile in its fixed order, with its trace lines. The removal mode
// (EnableWholeDirRemove) is read from `removalPath`, which is the profile itself unless
// the run finishes a recorded removal: that removal goes on as it began. The start-up
// group name is read only in NT 3.x mode.
ProfileTexts LoadProfile(const std::string& profilePath, const std::string& removalPath, bool nt3Mode);
