// The sample product on the simulated machine: the Win32 installer of the Wine run,
// copying from a distribution folder on the machine, and the product's parts running.
#pragma once

#include <winsim/machine.h>

#include "sample_product.h"
#include "scenario.h"

#include <string>
#include <vector>

namespace texts = sample_texts;
namespace keys = sample_keys;

// Where the product's setup leaves the uninstaller's profile.
inline const char kProfile[] = "C:\\WINNT\\tvuninst.ini";

// Installs the product as its setup leaves it, its programs scripted to come up as
// StartProductRunning() shows them when started and the Windows directory's
// "uninst.exe" as the Install Shield uninstaller's stand-in; what does not go in is
// reported to winsim (a failure of the test).
void InstallProduct(const SampleProduct& product = {});

// Starts what a scenario's "setup" lines name; returns what did not start.
std::vector<std::string> StartRunningParts(const std::vector<SetupStep>& steps);

// Everything of a full install running: the scanner services on top of the on-access
// driver, the driver with its device, the agent service with its event-log source, and
// the main program and the agent program, which close soon after WM_QUIT.
void StartProductRunning();
