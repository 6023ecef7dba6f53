// docs/removal-list.md names everything the program removes: each entry of the program's
// tables must stand in it in backticks, and each name its tables lead with must be one
// of the program's, so that the page cannot drift from the code.
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "common/machine_test.h"
#include "services/agent_service.h"
#include "services/component_stop.h"
#include "services/product_services.h"
#include "snmp/registry_cleanup.h"
#include "snmp/snmp_agent.h"
#include "uninstall/cleanup_tables.h"
#include "uninstall/product_files.h"

namespace {

std::set<std::string> Backticked(const std::string& text) {
  static const std::regex kCode("`([^`]+)`");
  std::set<std::string> names;
  for (std::sregex_iterator it(text.begin(), text.end(), kCode), end; it != end; ++it) names.insert((*it)[1]);
  return names;
}

template <std::size_t N>
void Add(std::set<std::string>& names, const char* const (&table)[N]) {
  names.insert(std::begin(table), std::end(table));
}

// Every name of the program's tables, as the page must spell it, with `driverFiles`.
std::set<std::string> ProgramNames(const std::vector<std::string>& driverFiles) {
  std::set<std::string> names{kRunKey, kServicesKey, kExtensionAgentsKey, std::string("SOFTWARE\\") + kSnmpAgentKeyPath};
  Add(names, kScannerServiceKeys);
  Add(names, kOnAccessDriverKeys);
  Add(names, kApplicationKeys);
  Add(names, kShellKeys);
  Add(names, kStartupValues);
  Add(names, kProductServiceKeys);
  Add(names, kSupplementaryFiles);
  Add(names, kProductProgramClasses);
  // "HKEY_LOCAL_MACHINE\<key>\\<subkey>|" in the program's registry path notation.
  const std::string source = std::regex_replace(AgentEventSourceKey(), std::regex(R"(^HKEY_LOCAL_MACHINE\\|\|$)"), "");
  names.insert(std::regex_replace(source, std::regex(R"(\\\\)"), "\\"));
  for (const std::string& path : driverFiles) names.insert(path.substr(path.rfind('\\') + 1));
  return names;
}

class RemovalListPage : public MachineTest {};

TEST_F(RemovalListPage, NamesEveryEntryOfTheProgramsTablesAndNoOther) {
  std::ifstream file(REMOVAL_LIST_PAGE);
  ASSERT_TRUE(file) << REMOVAL_LIST_PAGE;
  std::stringstream page;
  page << file.rdbuf();
  machine().registry.SetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Velmora\\Common\\Paths", "Common", "C:\\Common");
  const std::vector<std::string> driverFiles = DriverFilePaths();
  ASSERT_FALSE(driverFiles.empty());
  const std::set<std::string> names = ProgramNames(driverFiles);

  const std::set<std::string> onPage = Backticked(page.str());
  for (const std::string& name : names) EXPECT_TRUE(onPage.count(name)) << "not on the page: " << name;

  // A table row that leads with a name: the first cell's names must be the program's.
  std::string line;
  for (std::istringstream lines(page.str()); std::getline(lines, line);) {
    if (line.rfind("| `", 0) != 0) continue;
    for (const std::string& name : Backticked(line.substr(0, line.find('|', 1)))) {
      EXPECT_TRUE(names.count(name)) << "not one of the program's: " << name;
    }
  }
}

}  // namespace
