// The vendor's management product, removed along with the anti-virus product.
#pragma once

// Capacity of the vendor's common directory, terminator included.
constexpr unsigned kCommonDirectoryCapacity = 260;

// 1 when the management product is installed.
int ManagerInstalled();

// Reads the vendor's common directory into `buffer` (kCommonDirectoryCapacity
// characters). 1 when its registry key could be opened; the buffer then holds the
// directory, or is emptied when the value does not fit it, or keeps what it held when
// there is no value. 0 leaves the buffer untouched.
int ReadCommonDirectory(char* buffer);

// Runs the management product's uninstaller from the common directory and waits for it
// to end. Without a common directory nothing is started. Always 1.
int RemoveManager();
