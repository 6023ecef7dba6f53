// Paths as the system resolves them. A directory can be registered in many spellings
// ("D:/", "C:\WINNT\system32\..", "\\?\C:\WINNT\.", an 8.3 alias) that all name the same
// place; decisions about what may be removed are taken on the resolved path.
#pragma once

#include <string>

// The full path of `path` as GetFullPathNameA resolves it ("/" as "\", "." and ".."
// resolved, runs of separators folded), after dropping a "\\?\" or "\\.\" prefix, and
// without a trailing backslash: a drive's root is "D:", a share's root "\\server\share".
// Empty when the system cannot resolve it or the result does not fit MAX_PATH.
std::string FullDirectoryPath(const char* path);

// True for a drive's root ("D:") or a share's root ("\\server\share"), as
// FullDirectoryPath spells them.
bool IsRootDirectory(const std::string& directory);

// True when `path` is `directory` or lies below it, both as FullDirectoryPath spells
// them, comparing letters without case and, where the system has them, also by their
// 8.3 aliases.
bool IsAtOrBelow(const std::string& path, const std::string& directory);

// True when `a` and `b` name the same directory, in the same sense.
bool IsSameDirectory(const std::string& a, const std::string& b);
