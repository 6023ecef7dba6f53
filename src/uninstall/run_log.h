// Where the run's log goes: the profile's LogFile, unless the removal would take it.
#pragma once

#include <string>

#include "support/profile_texts.h"
#include "support/trace.h"

// Opens `log` on the profile's LogFile (none when empty). A path that does not fit, is
// not fully qualified, or lies inside `productDirectory` (a full path, or empty while
// the directory is not known) is refused with a trace line: a relative path would
// depend on where the program was started, and removing the directory would remove the
// log with it.
void OpenRunLog(RunLog& log, const ProfileTexts& profile, const std::string& productDirectory);
