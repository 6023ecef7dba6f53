// A second copy of the uninstaller started while the first runs (a scenario's
// "second-copy" line): the Install Shield uninstaller's stand-in starts it from within
// the first copy's wait, waits for it and keeps its exit code in the stand-ins' record
// (launch_record.h), where the checks read it.
#pragma once

#include <optional>

// Has the stand-in's next launch start a second copy.
void RequestSecondCopy();
bool SecondCopyRequested();

void RecordSecondCopyExit(long exitCode);
// The second copy's exit code; none when no second copy ran.
std::optional<long> RecordedSecondCopyExit();

// Runs the second copy to its end and gives its exit code (second_copy_wine.cpp,
// second_copy_winsim.cpp).
long RunSecondCopy();
