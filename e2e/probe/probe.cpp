#include "probe.h"

void ProbeBeforeRestart(const std::string& childProgram) {
  ProbeFiles();
  ProbeFind();
  ProbePathNames();
  ProbeRegistry();
  ProbeProfile();
  ProbeMessages();
  ProbeEnvironment();
  ProbeProcesses(childProgram);
  ProbeServices();
  ProbeScheduling();
}
