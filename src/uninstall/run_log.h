// Where the run's log goes: the profile's LogFile, unless the removal would take it.
#pragma once

#include <string>
#include <vector>

#include "support/profile_texts.h"
#include "support/trace.h"

// Opens `log` on the profile's LogFile (none when empty). A path that does not fit or is
// not fully qualified is refused with a trace line: a relative path would depend on
// where the program was started.
void OpenRunLog(RunLog& log, const ProfileTexts& profile);

// Before the run's first change: stops the log with a trace line when it lies in what the
// run removes, inside `productDirectory` or as one of `files`, compared by what the
// files and directories are, so that no other spelling of them escapes; and when that
// cannot be made sure of (without a product directory, only `files` count). A run that
// ends before then keeps its log wherever it lies.
void RefuseLogInRemoval(RunLog& log, const std::string& productDirectory,
                        const std::vector<std::string>& files);
