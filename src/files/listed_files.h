// Removal of the files that the profile's [Files] list names.
#pragma once

#include <string>
#include <vector>

// Paths relative to the product directory, in the profile's order.
using FileList = std::vector<std::string>;

// Full directory paths, each after every directory below it.
using DirectoryList = std::vector<std::string>;

// Reads File1, File2, ... from the profile's [Files] section up to the first missing or
// empty key; an entry too long for a path is refused with a trace line, and the list
// goes on.
void ReadFileList(const char* profilePath, FileList& list);

// Deletes the listed files, then the directories of the product tree left empty, the
// product directory last; releases the list. Entries that are not plain relative paths
// inside the product directory, or that lead through a link, are refused.
void RemoveListedFiles(const char* productDirectory, FileList& list);

// Appends `directory` and every directory below it to `list` in post-order, sibling
// directories in listing order. A link is appended itself but never entered.
void CollectDirectories(const std::string& directory, DirectoryList& list);
