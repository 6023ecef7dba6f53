// Removal of the files that the profile's [Files] list names.
#pragma once

#include <string>
#include <vector>

// Paths relative to the product directory, in the profile's order.
using FileList = std::vector<std::string>;

// Reads File1, File2, ... from the profile's [Files] section up to the first missing or
// empty key.
void ReadFileList(const char* profilePath, FileList& list);

// Deletes the listed files, then the directories of the product tree left empty, the
// product directory last.
void RemoveListedFiles(const char* productDirectory, FileList& list);
