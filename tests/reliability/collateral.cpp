#include <winsim/text.h>

#include <sstream>

#include "reliability/whole_run.h"

namespace {

// The identity of an item from its snapshot line, prefixed with its section: the
// registry key path or key path and value name, the file path, the service name, or the
// path a pending deletion names.
std::string IdentityOf(const std::string& section, const std::string& line) {
  auto before = [&](const char* marker) { return line.substr(0, line.find(marker)); };
  if (section == "[registry]") return "registry " + (line.find(" = ") == std::string::npos ? line : before(" type "));
  if (section == "[files]") return "file " + before(" attr ");
  if (section == "[services]") return "service " + before(" state ");
  if (section == "[pending]") return "pending " + before(" -> ");
  return section + " " + line;  // an item that is only there or not
}

bool StartsWith(const std::string& text, const std::string& start) { return text.rfind(start, 0) == 0; }

}  // namespace

MachineItems ItemsOf(const std::string& snapshot) {
  MachineItems items;
  std::istringstream lines(snapshot);
  std::string section;
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.front() == '[' && line.back() == ']') {
      section = line;
    } else {
      items[IdentityOf(section, line)] = line;
    }
  }
  return items;
}

Collateral CheckCollateral(const MachineItems& beforeInstall, const MachineItems& installed,
                           const MachineItems& afterRun) {
  Collateral result;
  // A foreign item is one the setup left as it was.
  auto foreign = [&](const std::string& identity, const std::string& line) {
    const auto kept = installed.find(identity);
    return kept != installed.end() && kept->second == line;
  };
  for (const auto& [identity, line] : beforeInstall) {
    if (!foreign(identity, line)) continue;
    ++result.foreignChecked;
    const auto after = afterRun.find(identity);
    const bool restarted = identity == "service SNMP" && after != afterRun.end() &&
                           after->second.find("marked for delete") == std::string::npos;
    if (after == afterRun.end()) {
      result.touched.push_back("removed: " + line);
    } else if (after->second != line && !restarted) {
      result.touched.push_back("changed: " + line + " => " + after->second);
    }
  }
  for (const auto& [identity, line] : afterRun) {
    if (installed.count(identity) != 0) continue;
    if (!StartsWith(identity, "pending ")) {
      // What the run made for itself and left for the restart to delete is no leftover.
      const bool goesAtRestart =
          StartsWith(identity, "file ") && afterRun.count("pending " + identity.substr(5)) != 0;
      if (!goesAtRestart) result.created.push_back(line);
      continue;
    }
    // A deletion counts against the file or directory it names, in whatever letter case.
    const std::string file = "file " + identity.substr(std::string("pending ").size());
    for (const auto& [named, state] : beforeInstall) {
      if ((winsim::SameName(named, file) || winsim::SameName(named, file + "\\")) && foreign(named, state)) {
        result.touched.push_back("scheduled: " + line);
      }
    }
  }
  return result;
}
