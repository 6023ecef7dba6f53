// WritePrivateProfileStringA and WritePrivateProfileSectionA over profile files on the
// simulated file system: the key (or the section's whole content) is replaced in place,
// a key added at the end of its section, or the section is added at the end of the
// file; a missing file is created. Deleting keys or sections (null key or value) is not
// simulated.
#include <windows.h>
#include <winsim/text.h>

#include <cstring>
#include <string>
#include <vector>

#include "api.h"

namespace {

std::vector<std::string> Lines(const std::string& content) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < content.size()) {
    std::size_t end = content.find('\n', start);
    if (end == std::string::npos) end = content.size();
    lines.push_back(winsim::TrimBlanks(std::string_view(content).substr(start, end - start)));
    start = end + 1;
  }
  return lines;
}

bool IsSection(const std::string& line) { return !line.empty() && line[0] == '['; }

bool IsSectionNamed(const std::string& line, std::string_view name) {
  std::size_t close = line.find(']');
  return IsSection(line) && winsim::SameName(winsim::TrimBlanks(line.substr(1, close - 1)), name);
}

bool IsKeyNamed(const std::string& line, std::string_view name) {
  std::size_t equals = line.find('=');
  return equals != std::string::npos && winsim::SameName(winsim::TrimBlanks(line.substr(0, equals)), name);
}

}  // namespace

// The profile's lines with `edit` applied to those of the section `name` (its header
// excluded; added at the end when missing), written back.
template <typename Edit>
BOOL EditSection(LPCSTR lpAppName, LPCSTR lpFileName, Edit edit) {
  winsim::FileSystem& files = winsim::machine().files;
  std::string leaf;
  if (!files.ParentOf(lpFileName, &leaf)) return winsim::api::Fail(ERROR_PATH_NOT_FOUND);
  std::vector<std::string> lines = Lines(files.ReadFile(lpFileName).value_or(""));
  std::size_t section = 0;
  while (section < lines.size() && !IsSectionNamed(lines[section], lpAppName)) ++section;
  if (section == lines.size()) lines.push_back("[" + std::string(lpAppName) + "]");
  std::size_t end = section + 1;
  while (end < lines.size() && !IsSection(lines[end])) ++end;
  while (end > section + 1 && lines[end - 1].empty()) --end;  // before the blank line
  std::vector<std::string> body(lines.begin() + static_cast<std::ptrdiff_t>(section + 1),
                                lines.begin() + static_cast<std::ptrdiff_t>(end));
  edit(body);
  lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(section + 1),
              lines.begin() + static_cast<std::ptrdiff_t>(end));
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(section + 1), body.begin(), body.end());
  std::string content;
  for (const std::string& line : lines) content += line + "\r\n";
  files.AddFile(lpFileName, content);
  return TRUE;
}

BOOL WINAPI WritePrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString,
                                       LPCSTR lpFileName) {
  if (auto e = winsim::api::Enter("WritePrivateProfileStringA")) return winsim::api::Fail(*e);
  if (!lpAppName || !lpKeyName || !lpString || !lpFileName) {
    return winsim::api::Fail(ERROR_INVALID_PARAMETER);
  }
  const std::string entry = std::string(lpKeyName) + "=" + lpString;
  return EditSection(lpAppName, lpFileName, [&](std::vector<std::string>& body) {
    for (std::string& line : body) {
      if (IsKeyNamed(line, lpKeyName)) {
        line = entry;
        return;
      }
    }
    body.push_back(entry);
  });
}

// `lpString` holds the section's new lines, each ended by a null, the last by two.
BOOL WINAPI WritePrivateProfileSectionA(LPCSTR lpAppName, LPCSTR lpString, LPCSTR lpFileName) {
  if (auto e = winsim::api::Enter("WritePrivateProfileSectionA")) return winsim::api::Fail(*e);
  if (!lpAppName || !lpString || !lpFileName) return winsim::api::Fail(ERROR_INVALID_PARAMETER);
  return EditSection(lpAppName, lpFileName, [&](std::vector<std::string>& body) {
    body.clear();
    for (const char* line = lpString; *line; line += std::strlen(line) + 1) body.push_back(line);
  });
}
