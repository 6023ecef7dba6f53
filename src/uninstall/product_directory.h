// The product directory: registered by the product's setup in its App Paths entry, or
// kept in the removal record of a run that was cut off.
#pragma once

#include <string>

#include "support/path_values.h"

// The directory as registered: setups write the main program's full path as the App
// Paths key's default value and its directory as "Path" (the first of several separated
// by ";"); without "Path", the data of the key's first value, whatever that value's name
// and type. Read whole or not at all.
PathValue ReadRegisteredDirectory(std::string& directory);

// `value`, read as `read`, as the product directory: resolved by the system, in the one
// spelling that every later step uses, so that the one that is checked is the one shown,
// removed and scheduled. Only a fully qualified path is one: a relative one would name
// whatever folder the program was started from. Empty, with the reason traced, when the
// value is missing, empty or could not be read, does not fit a path, is not such a path or cannot be
// resolved.
std::string CheckedProductDirectory(PathValue read, const std::string& value);

// True when `a` and `b` are fully qualified paths of one directory: the same directory
// on its volume, or, once neither is there any more, the same resolved path.
bool IsSameDirectory(const std::string& a, const std::string& b);
