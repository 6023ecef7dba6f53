// Running another program and waiting for it, as the uninstaller does for the Install
// Shield uninstaller and the management product's uninstaller.
#pragma once

#include <string>

// Starts `application` with `commandLine`, shown normally, with this program's
// environment and current directory, and waits for it without a time limit.
// False when it could not be started.
bool RunAndWait(const std::string& application, std::string commandLine);
