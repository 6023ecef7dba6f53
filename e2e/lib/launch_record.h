// The record that the stand-in Install Shield uninstaller keeps of its launches: the
// command line of each, as values Launch1, Launch2, ... of the profile "uninst.rec" in
// the Windows directory. The stand-in (e2e/fixtures/uninst_main.cpp) writes it under
// Wine; the native tests have winsim's child process write it the same way. A power
// cut's request is kept there too (power_cut.h).
#pragma once

#include <string>
#include <vector>

inline const char kLaunchRecordName[] = "uninst.rec";
std::string LaunchRecordPath();
void RecordLaunch(const std::string& commandLine);
std::vector<std::string> RecordedLaunches();
