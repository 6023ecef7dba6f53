// Paths as the system resolves them. A directory can be registered in many spellings
// ("D:/", "C:\WINNT\system32\..", "//?/C:/WINNT/.", an 8.3 alias) that all name the same
// place; decisions about what may be removed are taken on the resolved path, and only
// on a fully qualified one: a relative path would name whatever folder the program
// happens to be started from.
#pragma once

#include <string>
#include <string_view>

// `path` with "/" as "\" and its device prefixes ("\\?\", "\\.\", repeated; "\\?\UNC\"
// for a share) dropped, when it then names a drive's root ("D:" alone or "D:\"), a path
// on a drive ("D:\...") or one on a share ("\\server\share..."). Empty for everything
// else: relative and drive-relative paths ("work\..", "C:.", "C:WINNT", "\WINNT") and
// other devices ("\\.\PhysicalDrive0", "\\?\GLOBALROOT\...", "\??\...", "\\.\pipe\x").
std::string FullyQualifiedPath(std::string_view path);

// True when `path` is already in the one strict form FullyQualifiedPath gives: "D:\..."
// or "\\server\share...", without device prefixes or forward slashes.
bool IsStrictFullPath(std::string_view path);

// The full path of `path` as GetFullPathNameA resolves its fully qualified form ("."
// and ".." resolved, runs of separators folded), without a trailing backslash: a
// drive's root is "D:", a share's root "\\server\share". Empty when `path` is not fully
// qualified, the system cannot resolve it or the result does not fit MAX_PATH.
std::string FullDirectoryPath(const char* path);

// True for a drive's root ("D:") or a share's root ("\\server\share"), as
// FullDirectoryPath spells them.
bool IsRootDirectory(const std::string& directory);

// The root that `directory` (as FullDirectoryPath spells it) lies on, in the same form.
std::string RootOf(const std::string& directory);

// The directory that holds `directory`; empty for a root.
std::string ParentOf(const std::string& directory);

// A directory as a path the system takes on its own: "D:" alone would name the current
// directory of drive D, so a drive's root gets its backslash back.
std::string CallablePath(const std::string& directory);

// True when `path` is `directory` or lies below it, both as FullDirectoryPath spells
// them, comparing letters without case and, where the system has them, also by their
// 8.3 aliases.
bool IsAtOrBelow(const std::string& path, const std::string& directory);
