// The warning before a directory is removed that must not be removed lightly.
#pragma once

#include <string>

// Tells whether the user must be warned before `directory` (a full path as
// FullDirectoryPath spells it) is removed: 1 when it is the Windows directory, its
// system or system32 subdirectory, or a directory that holds the Windows directory, or
// when that cannot be made sure of; 2 when it is the root of a drive, of a share or of
// the volume it lies on; 0 otherwise. It compares both the path and what the directory
// is (FileIdentity), so that a link, an 8.3 alias, a share or a SUBST drive that
// reaches one of these directories is caught too. A directory that does not exist is
// judged by its path alone: nothing of it can be removed.
int DirectoryNeedsWarning(const std::string& directory);
