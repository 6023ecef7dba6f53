// Where the run's log goes: the profile's LogFile, unless the removal would take it.
#pragma once

#include <string>

#include "support/trace.h"

// Opens `log` on `path` (none when empty). A path inside `productDirectory` (a full path,
// or empty while the directory is not known) is refused with a trace line: removing the
// directory would remove the log with it.
void OpenRunLog(RunLog& log, const std::string& path, const std::string& productDirectory);
