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
// handle left open. A running service stopped and removed, and one not installed, are
// the scenarios components-running and full-uninstall.
TEST_F(RemoveServiceTest, EachOutcomeHasItsResultAndTrace) {
  const auto none = [](winsim::Service&) {};
  const std::string running = Listed(kName, SERVICE_RUNNING);
  const RemovalCase cases[] = {
      {"stopped: no stop request, no pause", SERVICE_STOPPED, none, 0, {kFound, kRemoving, kRemoved}, {}, ""},
      // Deleted after the one pause all the same, it goes once it has stopped.
      {"slow to stop", SERVICE_RUNNING, NeverStops, 0, {kFound, kStopping, "Done.\n", kRemoving, kRemoved}, {500},
       Listed(kName, SERVICE_STOP_PENDING, true)},
      // The manager compares service names without case: the same service.
      {"installed in other letters", SERVICE_STOPPED, none, 0, {kFound, kRemoving, kRemoved}, {}, "",
       "varden tessor"},
      {"manager denied", SERVICE_RUNNING,
       [](winsim::Service&) { winsim::machine().services.deniedAccess = SC_MANAGER_CREATE_SERVICE; }, -1,
       {"Can't open service...\n"}, {}, running},
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
  }
}

const char kWardel[] = "Varden Wardel";
const std::string kRemovable = "Service doesn't have dependencies else VDAV's\n";
const std::string kNotRemovable = "Service has dependencies\n";
const std::string kOpening = "Open service...\n";
const std::string kEnumerating = "Enumarate service dependencies...\n";

struct Dependent {
  const char* name;
  DWORD state;
  const char* on = kWardel;
};

struct DependencyCase {
  const char* what;
  std::vector<Dependent> dependents;
  std::function<void(winsim::ServiceManager&)> more;
  int removable;
  Pieces traceAfterManager;  // the pieces after "Open service manager...\n", when checked
};

class DependencyCheckTest : public MachineTest {
 protected:
  // A machine with the on-access driver running.
  winsim::ServiceManager& FreshMachine() {
    winsim::Reset();
    machine().services.Install(kWardel, SERVICE_RUNNING).type = SERVICE_KERNEL_DRIVER;
    return machine().services;
  }
};

// The driver without dependents, and not installed at all, are the scenarios
// demo-everything and full-uninstall.
TEST_F(DependencyCheckTest, OnlyTheProductScannersMayDependOnTheOnAccessDriver) {
  const DWORD kRunning = SERVICE_RUNNING;
  const DWORD kStopped = SERVICE_STOPPED;
  const auto failingEnumeration = [](int call) {
    return [call](winsim::ServiceManager&) {
      winsim::machine().faults.FailCall("EnumDependentServicesA", call, ERROR_ACCESS_DENIED);
    };
  };
  const DependencyCase cases[] = {
      {"the scanners, running or not", {{"Varden Tessor", kRunning}, {"Varden Mirel", kStopped}}, nullptr, 1,
       {kOpening, kEnumerating, kRemovable}},
      {"a record without a name names no service", {{"Varden Tessor", kRunning}},
       [](winsim::ServiceManager& s) { s.dependentsLeaveNamesUnfilled = true; }, 1, {}},
      {"a running foreign dependent", {{"Varden Tessor", kRunning}, {"Backup Filter", kRunning}}, nullptr, 0,
       {kOpening, kEnumerating, kNotRemovable}},
      {"an inactive foreign dependent", {{"Backup Filter", kStopped}, {"Varden Mirel", kStopped}}, nullptr, 0, {}},
      {"a dependent of a dependent", {{"Varden Tessor", kRunning}, {"Report Uploader", kStopped, "Varden Tessor"}},
       nullptr, 0, {}},
      // Key names compare exactly, and the display name does not count.
      {"a name in other letters", {{"varden tessor", kRunning}}, nullptr, 0, {}},
      {"a scanner's display name only", {{"VTessor2", kRunning}},
       [](winsim::ServiceManager& s) { s.Get("VTessor2")->displayName = "Varden Tessor"; }, 0, {}},
      // A failure of the size query or of the listing itself is not taken for no dependents.
      {"the size query fails", {{"Varden Tessor", kRunning}}, failingEnumeration(1), 0,
       {kOpening, kEnumerating, kNotRemovable}},
      {"the listing fails", {{"Varden Tessor", kRunning}}, failingEnumeration(2), 0,
       {kOpening, kEnumerating, kNotRemovable}},
      {"the driver that cannot be opened otherwise", {},
       [](winsim::ServiceManager& s) { s.Get(kWardel)->deniedAccess = SERVICE_ENUMERATE_DEPENDENTS; }, 0,
       {kOpening, "Can't open service\n", kNotRemovable}},
      {"the manager that cannot be opened: the run-together line", {},
       [](winsim::ServiceManager& s) { s.deniedAccess = SC_MANAGER_ALL_ACCESS; }, 0,
       {"Can't open service manager", kNotRemovable}},
  };
  for (const DependencyCase& c : cases) {
    SCOPED_TRACE(c.what);
    winsim::ServiceManager& services = FreshMachine();
    for (const Dependent& d : c.dependents) services.Install(d.name, d.state, {d.on});
    if (c.more) c.more(services);
    EXPECT_EQ(OnAccessDriversRemovable(), c.removable);
    if (!c.traceAfterManager.empty()) {
      Pieces expected = {"Checking service dependencies for: ", kWardel, "\n", "Open service manager...\n"};
      expected.insert(expected.end(), c.traceAfterManager.begin(), c.traceAfterManager.end());
      EXPECT_EQ(trace(), expected);
    }
    EXPECT_EQ(trace().back(), c.removable ? kRemovable : kNotRemovable);
  }
}

}  // namespace
