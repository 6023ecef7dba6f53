// The program that a registered command line or a service's image path names.
#pragma once

#include <string>

// The program a command line starts: the quoted text, or the text up to the first
// blank that follows a program's extension, or, without one, the whole line (which
// names a directory at or below the program's).
std::string ProgramOf(const std::string& command);

// A service's image as NT writes it: "\SystemRoot\..." and "System32\..." lie in the
// Windows directory, "\??\C:\..." is a plain path in the system's own namespace.
std::string ServiceImage(const std::string& imagePath, const std::string& windowsDirectory);
