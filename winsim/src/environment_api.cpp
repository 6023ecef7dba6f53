// The program's environment and ExpandEnvironmentStringsA, over the machine's settings.
#include <windows.h>

#include <winsim/text.h>

#include <cstring>
#include <string>

#include "api.h"

using winsim::machine;

namespace {

// The variables every NT machine sets from where Windows is installed.
std::optional<std::string> WindowsVariable(const winsim::SystemInfo& system, std::string_view name) {
  if (winsim::SameName(name, "SystemRoot") || winsim::SameName(name, "windir")) {
    return system.windowsDirectory;
  }
  if (winsim::SameName(name, "SystemDrive")) return system.windowsDirectory.substr(0, 2);
  return std::nullopt;
}

// `source` with each "%NAME%" of a defined variable replaced by its value. A name that
// is not defined stays as written, its percent signs too, and the text goes on after
// them; a percent sign without a partner is copied as it is.
std::string Expanded(std::string_view source) {
  std::string out;
  std::size_t at = 0;
  while (at < source.size()) {
    const std::size_t open = source.find('%', at);
    const std::size_t close = open == std::string_view::npos ? open : source.find('%', open + 1);
    if (close == std::string_view::npos) break;
    out += source.substr(at, open - at);
    const std::string_view name = source.substr(open + 1, close - open - 1);
    const auto value = winsim::EnvironmentVariable(machine().system, name);
    out += value ? *value : std::string(source.substr(open, close - open + 1));
    at = close + 1;
  }
  out += source.substr(at);
  return out;
}

}  // namespace

namespace winsim {

std::optional<std::string> EnvironmentVariable(const SystemInfo& system, std::string_view name) {
  for (const auto& [variable, value] : system.environment) {
    if (SameName(variable, name)) return value;
  }
  return WindowsVariable(system, name);
}

}  // namespace winsim

// Gives the size the expansion needs, terminator included; a buffer too small for it is
// left as it was, which callers must not read.
DWORD WINAPI ExpandEnvironmentStringsA(LPCSTR lpSrc, LPSTR lpDst, DWORD nSize) {
  if (auto e = winsim::api::Enter("ExpandEnvironmentStringsA")) return winsim::api::FailWith(*e, 0ul);
  if (!lpSrc) return winsim::api::FailWith(ERROR_INVALID_PARAMETER, 0ul);
  const std::string expanded = Expanded(lpSrc);
  const DWORD needed = static_cast<DWORD>(expanded.size() + 1);
  if (lpDst && nSize >= needed) std::memcpy(lpDst, expanded.c_str(), needed);
  return needed;
}
