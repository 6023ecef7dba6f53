// The product's files outside its directory, by their names: the on-access driver files
// in the vendor's common directory and the supplementary files in the Windows directory.
#pragma once

#include <string>
#include <vector>

inline constexpr const char* kSupplementaryFiles[] = {"tvsetup.log", "tvuninst.ini", "tessorw.cfg"};

// The driver files' paths in the registered common directory; none without one.
std::vector<std::string> DriverFilePaths();
