// Listings of registry keys: the names of a key's subkeys and the text values of a key,
// read whole or reported as failed, so that a caller that must see everything a key
// holds never takes a key it could not read for an empty one.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "support/path_values.h"

struct NamedText {
  std::string name;
  std::string text;
};

// The names of the direct subkeys of `path` under `root`. kMissing when the key is not
// there; kFailed when it, or one of its names, cannot be read.
PathValue ReadSubkeyNames(HKEY root, const std::string& path, std::vector<std::string>& names);

// The values of the open `key` that hold text (REG_SZ, REG_EXPAND_SZ), by name. kFailed
// when one of them cannot be read whole.
PathValue ReadTextValues(HKEY key, std::vector<NamedText>& values);
