// Values that name a path, read whole or not at all. A path cut to fit a buffer names
// another file or directory: "C:\Data\.\V" cut by one character is "C:\Data\.\", which
// is C:\Data. So a value that fills its MAX_PATH buffer without a terminator, or does not
// fit it at all, is too long and is never used.
#pragma once

#include <windows.h>

#include <string>

enum class PathValue { kRead, kMissing, kTooLong, kFailed };

// The data of the registry value `name` of `key`, as text.
PathValue ReadRegistryPath(HKEY key, const char* name, std::string& path);

// The data of the first value of `key` (RegEnumValueA index 0), whatever its name and
// type, as text.
PathValue ReadFirstRegistryValue(HKEY key, std::string& path);

// `key` of `section` in the profile `profilePath`; an empty value is missing.
PathValue ReadProfilePath(const std::string& profilePath, const char* section, const char* key,
                          std::string& path);

// `value` with its environment variables expanded (ExpandEnvironmentStringsA), as
// registry values of the kind REG_EXPAND_SZ are meant: kTooLong when the result does not
// fit MAX_PATH, kFailed when the system cannot expand it or a variable is left that it
// does not know ("%NAME%" stays as it was).
PathValue ExpandPath(const std::string& value, std::string& path);
