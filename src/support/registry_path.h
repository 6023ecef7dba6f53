// A registry location written as one string: ROOT\KEY PATH\\NAME|DATA, or ROOT\\NAME|DATA
// for a subkey of the root key itself. ROOT is one of the four root key names in any
// letter case; DATA is optional and ignored by the key deletion.
#pragma once

#include <windows.h>

#include <string>

// Result codes of the notation's operations.
constexpr int kRegPathOk = 0;
constexpr int kRegPathCannotOpenParent = 1;
constexpr int kRegPathDeleteFailed = 2;
constexpr int kRegPathMalformed = 4;  // also a root name that is not known
constexpr int kRegPathNoMemory = 100;

// The predefined key for a root name (ASCII letter case ignored), or null.
HKEY RegRootFromName(const char* text);

// Parses the notation and opens the parent key, creating what is missing of it. On 0,
// `key` is open (the caller closes it unless `isRoot`) and `name` holds NAME; on any
// other result no key is open and `name` is empty. Returns 0, 1, 4 or 100.
int RegPathOpen(const char* notation, HKEY* key, std::string* name, bool* isRoot);

// Deletes the subkey NAME of the parent the notation names; 0 also when it did not
// exist or NAME is empty. Flushes the parent when asked. Returns 0, 1, 2, 4 or 100.
int RegPathDeleteKey(const char* notation, bool flush);
