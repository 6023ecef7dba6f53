// The probe: the Win32 calls the uninstaller relies on, made with the arguments and in
// the states that matter to it, each result written as one line. The same probe runs
// on the simulated machine and under Wine, and the two outputs are compared.
#pragma once

#include <string>

// Before the restart: lays out its own folder, files, keys and services, probes them and
// schedules deletions and a move for the restart. `childProgram` is a program that ends
// at once when started with the argument "child"; the probe copies it to start it.
void ProbeBeforeRestart(const std::string& childProgram);
// After the restart: what became of what was scheduled.
void ProbeAfterRestart();

// The areas, in the order ProbeBeforeRestart runs them.
void ProbeFiles();
void ProbeFind();
void ProbePathNames();
void ProbeRegistry();
void ProbeProfile();
void ProbeMessages();
void ProbeEnvironment();
void ProbeProcesses(const std::string& childProgram);
void ProbeServices();
void ProbeScheduling();
