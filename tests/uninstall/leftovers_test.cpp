// Runs with RemoveLeftovers=1 over a product that lost its App Paths entry and its record.
// What every state of a cut-off run leaves is in the cut sweep (tests/reliability).
#include "uninstall/leftovers.h"

#include "common/machine_test.h"
#include "common/product.h"
#include "reliability/whole_run.h"
#include "uninstall/sequence.h"

namespace {

const std::string kDirectory = SampleProduct().directory;
const char kAgentKey[] = "SOFTWARE\\Velmora\\Varden\\Anti-Virus\\SNMP Agent\\CurrentVersion";

class LeftoversTest : public MachineTest {
 protected:
  // The product with its SNMP agent, running, its App Paths entry gone; every box is
  // answered as a removal goes on (Yes, Yes to the agent, OK).
  void InstallHalfRemoved(const std::string& agentDll) {
    InstallProduct({.withSnmp = true, .settings = {"RemoveLeftovers=1"}});
    StartProductRunning();
    machine().registry.DeleteTree(HKEY_LOCAL_MACHINE, kAppPaths);
    machine().registry.SetString(HKEY_LOCAL_MACHINE, kAgentKey, "Pathname", agentDll);
    machine().ui.answerer = [](const winsim::MessageBoxRecord& box) { return AnswerForRemoval(box.style); };
  }
  std::vector<std::string> TracedValues(const std::string& label) {
    std::vector<std::string> values;
    for (std::size_t i = 0; i + 1 < trace().size(); ++i) {
      if (trace()[i] == label) values.push_back(trace()[i + 1]);
    }
    return values;
  }
};

// A machine with nothing of the product: the setting finds nothing, and nothing changes.
TEST_F(LeftoversTest, ACleanMachineGivesNotInstalledAndChangesNothing) {
  InstallWindowsPlaces();
  machine().files.AddFile(kProfile, "[Settings]\r\nRemoveLeftovers=1\r\nUnattended=1\r\n");
  const std::string before = machine().Snapshot();
  EXPECT_EQ(RunUninstall(""), kExitNoProductDirectory);
  EXPECT_EQ(machine().Snapshot(), before);
  EXPECT_TRUE(Traced({"Looking for what VDAV left...\n"}));
  EXPECT_TRUE(TracedValues("Leftover found: ").empty());
}

// Everything but the directory goes; the directories where the product's files were
// seen are named, the agent's DLL goes only from a directory the run could remove.
TEST_F(LeftoversTest, EverythingButTheDirectoryGoesAndWhereItsFilesWereSeenIsNamed) {
  struct Case {
    std::string agentDll;
    bool dllRemoved;
    std::vector<std::string> places;  // in the order they are looked at: the agent's, the Run values'
  };
  for (const Case& c : {Case{kDirectory + "\\vlalag32.dll", true, {kDirectory}},
                        Case{"C:\\WINNT\\system32\\vlalag32.dll", false, {"C:\\WINNT\\system32", kDirectory}},
                        Case{kDirectory + "\\other.dll", false, {kDirectory}},
                        Case{"vlalag32.dll", false, {kDirectory}}}) {
    SCOPED_TRACE(c.agentDll);
    winsim::Reset();
    machine().files.AddFile("C:\\WINNT\\system32\\vlalag32.dll", "not the product's");
    InstallHalfRemoved(c.agentDll);
    machine().files.AddFile(kDirectory + "\\other.dll");
    EXPECT_EQ(RunUninstall(""), IDYES);
    const std::vector<std::string> found = TracedValues("Leftover found: ");
    for (const std::string& what :
         {std::string("HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Varden Tessor"),
          std::string("HKEY_LOCAL_MACHINE\\") + kAgentKey, std::string("HKEY_CLASSES_ROOT\\TESSOR"),
          std::string("a running program of the window class VFW_MainWindow")}) {
      EXPECT_NE(std::find(found.begin(), found.end(), what), found.end()) << what;
    }
    // The agent service's image, started from a folder of its own, comes first.
    std::vector<std::string> places = {"C:\\e2e\\fixtures"};
    places.insert(places.end(), c.places.begin(), c.places.end());
    EXPECT_EQ(TracedValues("Left in place: "), places);
    EXPECT_FALSE(machine().registry.KeyExists(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\Varden Tessor"));
    EXPECT_FALSE(machine().registry.KeyExists(HKEY_LOCAL_MACHINE, keys::kProductKey));
    EXPECT_FALSE(machine().registry.KeyExists(HKEY_CLASSES_ROOT, "TESSOR"));
    EXPECT_TRUE(machine().files.Exists(kDirectory + "\\TESSORNT.EXE"));
    EXPECT_EQ(machine().files.ReadFile("C:\\WINNT\\system32\\vlalag32.dll"), "not the product's");
    EXPECT_EQ(machine().files.Exists(kDirectory + "\\vlalag32.dll"), !c.dllRemoved);
    EXPECT_TRUE(machine().files.Exists(kDirectory + "\\other.dll"));
  }
}

}  // namespace
