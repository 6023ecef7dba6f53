// The product directory as a whole tree.
#pragma once

#include <string>

// Removes one trailing backslash, if there is one.
void StripTrailingBackslash(char* path);

// Removes `directory` (a full path without a trailing backslash) with everything below
// it; what cannot be removed now and is still there is scheduled for removal at the
// next system start, except `directory` itself. Read-only files and directories are
// removed too. Junctions and symbolic links are removed without ever being entered.
// What became of each path is noted in the run's RemovalTally.
void RemoveDirectoryTree(const char* directory);
