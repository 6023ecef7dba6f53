// GetPrivateProfileStringA and GetPrivateProfileIntA over profile files on the simulated
// file system, with Windows' rules: sections and keys compared without case, blanks
// around names and values trimmed, a value in matching quotes unquoted, the result cut
// to the capacity less one, and the default for a missing file, section or key.
#include <windows.h>

#include <winsim/text.h>

#include <cctype>
#include <cstring>
#include <optional>
#include <string>

#include "api.h"

namespace {

std::optional<std::string> Lookup(LPCSTR file, LPCSTR section, LPCSTR key) {
  std::optional<std::string> content = winsim::machine().files.ReadFile(file ? file : "");
  if (!content) return std::nullopt;
  bool inSection = false;
  std::size_t start = 0;
  while (start <= content->size()) {
    std::size_t end = content->find('\n', start);
    if (end == std::string::npos) end = content->size();
    std::string line = winsim::TrimBlanks(std::string_view(*content).substr(start, end - start));
    start = end + 1;
    if (!line.empty() && line[0] == '[') {
      std::size_t close = line.find(']');
      inSection = winsim::SameName(winsim::TrimBlanks(line.substr(1, close - 1)), winsim::TrimBlanks(section));
      continue;
    }
    std::size_t equals = line.find('=');
    if (!inSection || equals == std::string::npos) continue;
    if (!winsim::SameName(winsim::TrimBlanks(line.substr(0, equals)), winsim::TrimBlanks(key))) continue;
    std::string value = winsim::TrimBlanks(line.substr(equals + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
      value = value.substr(1, value.size() - 2);
    }
    return value;
  }
  return std::nullopt;
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
  std::string value = Lookup(lpFileName, lpAppName, lpKeyName)
                          .value_or(winsim::TrimBlanks(lpDefault ? lpDefault : ""));
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
