#include "reliability/collateral.h"

#include <winsim/text.h>

#include <sstream>
#include <string_view>

namespace {

// The identity of an item from its snapshot line, prefixed with its section: the
// registry key path or key path and value name, the file path, the service name, or the
// path a pending deletion names (which is also the file's own identity, so that a
// scheduled deletion counts against the file it names).
std::string IdentityOf(const std::string& section, const std::string& line) {
  auto before = [&](std::string_view marker) {
    std::size_t at = line.find(marker);
    return at == std::string::npos ? line : line.substr(0, at);
  };
  if (section == "[registry]") {
    std::size_t at = line.find(" = ");  // a value: key : "name" type N = data
    return "registry " + (at == std::string::npos ? line : before(" type "));
  }
  if (section == "[files]") return "file " + before(" attr ");
  if (section == "[services]") return "service " + before(" state ");
  if (section == "[pending]") return "pending " + before(" -> ");
  return section + " " + line;  // an item that is only there or not
}

std::string FileOfPending(const std::string& identity) {
  return "file " + identity.substr(std::string("pending ").size());
}

}  // namespace

MachineItems ItemsOf(const std::string& snapshot) {
  MachineItems items;
  std::istringstream lines(snapshot);
  std::string section;
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.front() == '[' && line.back() == ']') {
      section = line;
      continue;
    }
    items[IdentityOf(section, line)] = line;
  }
  return items;
}

Collateral CheckCollateral(const MachineItems& beforeInstall, const MachineItems& installed,
                           const MachineItems& afterRun, const std::set<std::string>& mayRestart) {
  Collateral result;
  for (const auto& [identity, line] : beforeInstall) {
    if (installed.count(identity) == 0 || installed.at(identity) != line) continue;  // setup's
    ++result.foreignChecked;
    auto after = afterRun.find(identity);
    if (after == afterRun.end()) {
      result.touched.push_back("removed: " + line);
    } else if (after->second != line &&
               !(identity.rfind("service ", 0) == 0 &&
                 mayRestart.count(identity.substr(std::string("service ").size())) != 0 &&
                 after->second.find("marked for delete") == std::string::npos)) {
      result.touched.push_back("changed: " + line + " => " + after->second);
    }
  }
  for (const auto& [identity, line] : afterRun) {
    if (installed.count(identity) != 0) continue;
    if (identity.rfind("pending ", 0) == 0) {
      // A file or a directory, in whatever letter case the run spelled it.
      const std::string file = FileOfPending(identity);
      for (const auto& [named, state] : beforeInstall) {
        if (!winsim::SameName(named, file) && !winsim::SameName(named, file + "\\")) continue;
        const auto kept = installed.find(named);
        if (kept != installed.end() && kept->second == state) {
          result.touched.push_back("scheduled: " + line);
        }
      }
      continue;  // the product's own file, or nothing at all
    }
    result.created.push_back(line);
  }
  return result;
}

std::string Lines(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) text += "  " + item + "\n";
  return text;
}
