// The vendor's management product, removed along with the anti-virus product.
#pragma once

// Capacity of the vendor's common directory, terminator included.
constexpr unsigned kCommonDirectoryCapacity = 260;

// 1 when the management product is installed.
int ManagerInstalled();

// Reads the vendor's common directory into `buffer` (kCommonDirectoryCapacity
// characters). 1 when its registry key could be opened; the buffer is then terminated.
int ReadCommonDirectory(char* buffer);

// Runs the management product's uninstaller and waits for it. Always 1.
int RemoveManager();
