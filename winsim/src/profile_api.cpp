// GetPrivateProfileStringA and GetPrivateProfileIntA over profile files on the simulated
// file system, with Windows' rules: sections and keys compared without case, blanks
// around names and values trimmed, a value in matching quotes unquoted, the result cut
// to the capacity less one, and the default for a missing file, section or key.
#include <windows.h>

#include <winsim/text.h>

#include <cctype>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "api.h"

namespace {

// Every value of a profile by upper-cased section and key, as a search from the top
// finds them: the first section of a name is the only one read, and in it the first
// key of a name wins. The last profile parsed is kept: the program reads a profile of
// thousands of keys one key per call.
using ProfileValues = std::map<std::pair<std::string, std::string>, std::string>;

const ProfileValues& Parse(const std::string& content) {
  static std::string parsedContent;
  static ProfileValues values;
  static bool parsed = false;
  if (parsed && parsedContent == content) return values;
  values.clear();
  std::string section;
  bool inSection = false;
  std::set<std::string> sectionsSeen;
  std::string_view text = content;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string line = winsim::TrimBlanks(text.substr(start, end - start));
    start = end + 1;
    if (!line.empty() && line[0] == '[') {
      std::size_t close = line.find(']');
      section = winsim::Upper(winsim::TrimBlanks(line.substr(1, close - 1)));
      inSection = sectionsSeen.insert(section).second;  // a section named again is not read
      continue;
    }
    std::size_t equals = line.find('=');
    if (!inSection || equals == std::string::npos) continue;
    std::string value = winsim::TrimBlanks(line.substr(equals + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
      value = value.substr(1, value.size() - 2);
    }
    values.emplace(std::make_pair(section, winsim::Upper(winsim::TrimBlanks(line.substr(0, equals)))), value);
  }
  parsedContent = content;
  parsed = true;
  return values;
}

std::optional<std::string> Lookup(LPCSTR file, LPCSTR section, LPCSTR key) {
  const winsim::FileNode* node = winsim::machine().files.Lookup(file ? file : "");
  if (!node || node->IsDirectory()) return std::nullopt;
  const ProfileValues& values = Parse(node->content);
  auto found = values.find({winsim::Upper(winsim::TrimBlanks(section ? section : "")),
                           winsim::Upper(winsim::TrimBlanks(key ? key : ""))});
  if (found == values.end()) return std::nullopt;
  return found->second;
}

}  // namespace

DWORD WINAPI GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault,
                                      LPSTR lpReturnedString, DWORD nSize, LPCSTR lpFileName) {
  if (auto e = winsim::api::Enter("GetPrivateProfileStringA")) {
    if (lpReturnedString && nSize) lpReturnedString[0] = '\0';
    return winsim::api::FailWith(*e, 0u);
  }
  if (!lpReturnedString || nSize == 0) return 0;
  if (!lpAppName || !lpKeyName) {  // section and key listings are not used by the program
    lpReturnedString[0] = '\0';
    return 0;
  }
  // A missing file sets the last error; the default loses its trailing blanks only.
  const winsim::FileNode* file = winsim::machine().files.Lookup(lpFileName ? lpFileName : "");
  if (!file) SetLastError(ERROR_FILE_NOT_FOUND);
  std::string fallback = lpDefault ? lpDefault : "";
  fallback.erase(fallback.find_last_not_of(' ') + 1);
  std::string value = Lookup(lpFileName, lpAppName, lpKeyName).value_or(fallback);
  std::size_t length = std::min<std::size_t>(value.size(), nSize - 1);
  std::memcpy(lpReturnedString, value.data(), length);
  lpReturnedString[length] = '\0';
  return static_cast<DWORD>(length);
}

UINT WINAPI GetPrivateProfileIntA(LPCSTR lpAppName, LPCSTR lpKeyName, INT nDefault,
                                  LPCSTR lpFileName) {
  if (auto e = winsim::api::Enter("GetPrivateProfileIntA")) {
    return winsim::api::FailWith(*e, static_cast<UINT>(nDefault));
  }
  std::optional<std::string> value = Lookup(lpFileName, lpAppName, lpKeyName);
  if (!value || value->empty()) return static_cast<UINT>(nDefault);
  // As the system converts it: an optional sign, then digits in base 10, or in base 16,
  // 8 or 2 after "0x", "0o" or "0b"; the number ends at the first other character.
  std::string_view text = *value;
  bool negative = false;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  UINT base = 10;
  if (text.size() >= 2 && text[0] == '0') {
    char prefix = static_cast<char>(std::tolower(static_cast<unsigned char>(text[1])));
    base = prefix == 'x' ? 16 : prefix == 'o' ? 8 : prefix == 'b' ? 2 : 10;
    if (base != 10) text.remove_prefix(2);
  }
  UINT number = 0;
  for (char c : text) {
    int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                : std::isalpha(static_cast<unsigned char>(c)) ? std::tolower(static_cast<unsigned char>(c)) - 'a' + 10
                                                              : 99;
    if (digit >= static_cast<int>(base)) break;
    number = number * base + static_cast<UINT>(digit);
  }
  return negative ? 0u - number : number;
}
