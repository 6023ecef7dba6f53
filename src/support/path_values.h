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
