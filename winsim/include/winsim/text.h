// Text helpers of the simulated machine: Windows compares names without regard to case.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace winsim {

std::string Upper(std::string_view text);
bool SameName(std::string_view a, std::string_view b);
// The text without the blanks, tabs and carriage returns around it, as profiles are read.
std::string TrimBlanks(std::string_view text);
// Splits a backslash-separated path into its components; empty components are kept.
std::vector<std::string> SplitPath(std::string_view path);

}  // namespace winsim
