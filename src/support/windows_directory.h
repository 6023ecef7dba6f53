// Paths of the uninstaller's own files, which all lie in the Windows directory.
#pragma once

#include <string>

// The Windows directory, then "\", then the file name; empty when the system cannot
// tell its Windows directory, so that no caller ever falls back on the drive's root.
std::string WindowsDirectoryPath(const char* fileName);
