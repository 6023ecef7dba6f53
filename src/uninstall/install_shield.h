// The Install Shield uninstaller "uninst.exe" in the Windows directory, which removes
// the product's application entries on NT 4.x and later.
#pragma once

#include <string>

// "uninst.exe -y -f" immediately followed by the program's own command-line tail.
std::string InstallShieldCommandLine(const char* commandTail);

// Runs the uninstaller and waits for it without a time limit; a failed start is not
// reported.
void RunInstallShieldUninstaller(const char* commandTail);
