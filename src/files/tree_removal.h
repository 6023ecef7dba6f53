// The product directory as a whole: the warning for directories that must not be
// removed lightly, and the removal of a whole tree.
#pragma once

#include <string>

// Removes one trailing backslash, if there is one.
void StripTrailingBackslash(char* path);

// Tells whether the user must be warned before `directory` (a full path as
// FullDirectoryPath spells it) is removed: 1 the Windows directory, a directory that
// holds it, or its system or system32 subdirectory, in any spelling that resolves to
// them; 2 the root of a drive or of a share; 0 otherwise.
int DirectoryNeedsWarning(const std::string& directory);

// Removes `directory` (a full path without a trailing backslash) with everything below
// it; what cannot be removed now and is still there is scheduled for removal at the
// next system start, except `directory` itself. Read-only files and directories are
// removed too. Junctions and symbolic links are removed without ever being entered.
void RemoveDirectoryTree(const char* directory);
