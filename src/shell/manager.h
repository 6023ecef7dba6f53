// The vendor's management product, removed along with the anti-virus product.
#pragma once

// Capacity of the vendor's common directory, terminator included.
constexpr unsigned kCommonDirectoryCapacity = 260;

// 1 when the management product is installed.
int ManagerInstalled();

#include <string>

#include "support/path_values.h"

// Reads the vendor's common directory into `buffer` (kCommonDirectoryCapacity
// characters). 1 when its registry key could be opened; the buffer then holds the
// directory, or is emptied when the value does not fit it, or keeps what it held when
// there is no value or it is not a fully qualified path in the one strict form. 0 leaves the buffer untouched.
int ReadCommonDirectory(char* buffer);

// The vendor's common directory and the management product's directory as registered,
// for what must not be removed with the product. A value that is not a fully qualified
// path in the one strict form counts as missing, as it does for ReadCommonDirectory and
// ManagerInstalled.
PathValue ReadCommonDirectoryPath(std::string& directory);
PathValue ReadManagerDirectory(std::string& directory);

// Runs the management product's uninstaller from the common directory and waits for it
// to end. Without a common directory nothing is started. Always 1.
int RemoveManager();
