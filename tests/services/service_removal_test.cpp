#include "services/service_removal.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "common/machine_test.h"
#include "services/service_scripts.h"

namespace {

using Pieces = std::vector<std::string>;

const char kName[] = "Varden Tessor";
const char kServiceKey[] = "SYSTEM\\CurrentControlSet\\Services\\Varden Tessor";
const std::string kFound = "Service was found.\n";
const std::string kStopping = "Stopping service...\n";
const std::string kRemoving = "Removing service... \n";
const std::string kRemoved = "Service was removed sucessfully\n";

struct RemovalCase {
  const char* what;
  DWORD state;  // 0: not installed
  std::function<void(winsim::Service&)> script;
  int result;
  Pieces traceAfterSearch;  // the pieces after "Searching for service: <name>\n"
  std::vector<DWORD> sleeps;
  std::string left;  // the manager's services afterwards
  const char* installedAs = kName;
};

class RemoveServiceTest : public MachineTest {};

// Each outcome of the removal: its result, its trace word for word, its pause, and no
// handle left open.
TEST_F(RemoveServiceTest, EachOutcomeHasItsResultAndTrace) {
  const auto none = [](winsim::Service&) {};
  const std::string running = Listed(kName, SERVICE_RUNNING);
  const RemovalCase cases[] = {
      {"stopped: no stop request, no pause", SERVICE_STOPPED, none, 0, {kFound, kRemoving, kRemoved}, {}, ""},
      {"running: stopped once and paused for", SERVICE_RUNNING, none, 0,
       {kFound, kStopping, "Done.\n", kRemoving, kRemoved}, {500}, ""},
      // Deleted after the one pause all the same, it goes once it has stopped.
      {"slow to stop", SERVICE_RUNNING, NeverStops, 0, {kFound, kStopping, "Done.\n", kRemoving, kRemoved}, {500},
       Listed(kName, SERVICE_STOP_PENDING, true)},
      // The manager compares service names without case: the same service.
      {"installed in other letters", SERVICE_STOPPED, none, 0, {kFound, kRemoving, kRemoved}, {}, "",
       "varden tessor"},
      {"manager denied", SERVICE_RUNNING,
       [](winsim::Service&) { winsim::machine().services.deniedAccess = SC_MANAGER_CREATE_SERVICE; }, -1,
       {"Can't open service...\n"}, {}, running},
      {"not installed: the unended line", 0, none, -2, {"Service was not foundn"}, {}, ""},
      {"no access", SERVICE_RUNNING, [](winsim::Service& s) { s.deniedAccess = DELETE; }, -2,
       {"Service was not foundn"}, {}, running},
      {"status unreadable", SERVICE_RUNNING, [](winsim::Service& s) { s.queryError = ERROR_ACCESS_DENIED; }, -3,
       {kFound, "Error in querying service status.\n"}, {}, running},
      {"stop refused", SERVICE_RUNNING, [](winsim::Service& s) { s.stopError = ERROR_SERVICE_CANNOT_ACCEPT_CTRL; },
       -4, {kFound, kStopping, "Error in ControlService...\n"}, {}, running},
      // Deleted before: the manager refuses a second deletion.
      {"deletion refused", SERVICE_STOPPED, [](winsim::Service& s) { s.markedForDelete = true; }, -5,
       {kFound, kRemoving, "Can't delete service...\n"}, {}, ""},
  };
  for (const RemovalCase& c : cases) {
    SCOPED_TRACE(c.what);
    winsim::Reset();
    if (c.state) c.script(machine().services.Install(c.installedAs, c.state));
    EXPECT_EQ(RemoveServiceByName(kName), c.result);
    Pieces expected = {"Searching for service: ", kName, "\n"};
    expected.insert(expected.end(), c.traceAfterSearch.begin(), c.traceAfterSearch.end());
    EXPECT_EQ(trace(), expected);
    EXPECT_EQ(machine().clock.sleeps, c.sleeps);
    EXPECT_EQ(machine().services.Dump(), c.left);
    EXPECT_EQ(machine().registry.KeyExists(HKEY_LOCAL_MACHINE, kServiceKey), !c.left.empty());
    EXPECT_EQ(machine().OpenHandles(), 0u);
  }
}

}  // namespace
