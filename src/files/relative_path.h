// Which [Files] entries the listed-file removal may touch.
#pragma once

#include <string_view>

// True for a plain path relative to the product directory: not empty, no drive letter
// or other colon, no leading backslash or slash (root, UNC or device paths), and no
// segment made of dots (such as "..") that could climb out of the directory.
bool IsPlainRelativePath(std::string_view entry);
