// The product directory as a whole: the warning for directories that must not be
// removed lightly, and the removal of a whole tree.
#pragma once

// Removes one trailing backslash, if there is one.
void StripTrailingBackslash(char* path);

// Normalises `directory` in place (no trailing backslash) and tells whether the user
// must be warned before it is removed: 1 the Windows directory or its system or
// system32 subdirectory, 2 a drive's root, 0 otherwise.
int DirectoryNeedsWarning(char* directory);

// Normalises `directory` in place and removes it with everything below it; what cannot
// be removed now and is still there is scheduled for removal at the next system start,
// except `directory` itself. Read-only files are deleted too. Junctions and symbolic
// links are removed without ever being entered.
void RemoveDirectoryTree(char* directory);
