#include "program_groups.h"

#include <windows.h>
#include <shlobj.h>

std::optional<bool> ProgramManagerHas(const std::string& group,
                                      const std::optional<std::string>& item) {
  char programs[MAX_PATH] = "";
  if (SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, programs) != S_OK)
    return std::nullopt;
  std::string path = std::string(programs) + "\\" + group;
  if (item) path += "\\" + *item + ".lnk";
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  return item.has_value() == ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0);
}
