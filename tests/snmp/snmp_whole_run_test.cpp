// Whole runs of the uninstaller on a machine where the product's SNMP agent is
// registered between two agents of other vendors.
#include <windows.h>

#include <algorithm>

#include "common/machine_test.h"
#include "common/product.h"
#include "uninstall/sequence.h"

namespace {

using Names = std::vector<std::string>;

class SnmpWholeRunTest : public MachineTest {
 protected:
  void Install(bool withSnmp = true) {
    install.withSnmp = withSnmp;
    // Listed-file removal that does not list the agent DLL: whatever happens to the DLL
    // is the SNMP step's doing.
    install.wholeDirectoryRemoval = false;
    install.listedFiles = {"TESSORNT.EXE", "VAGENT.EXE"};
    InstallProduct(machine(), install);
  }

  // Consent, the SNMP question and what follows it, the restart text.
  int Run(std::initializer_list<int> snmpAnswers) {
    machine().ui.Answer(IDYES);
    for (int answer : snmpAnswers) machine().ui.Answer(answer);
    machine().ui.Answer(IDOK);
    return RunUninstall("");
  }

  // The trace pieces from the SNMP step's first line up to the next step's.
  Names SnmpTrace() {
    auto first = std::find(trace().begin(), trace().end(), "Checking if SNMP is installed...\n");
    auto next = std::find(first, trace().end(), "Launch Install Shield's uninst.exe...\n");
    return Names(first, next);
  }
  Names Texts() {
    Names texts;
    for (const auto& box : machine().ui.boxes) texts.push_back(box.text);
    return texts;
  }
  std::string Restart() const { return std::string(texts::kRestart1) + "\n" + texts::kRestart2; }
  bool Dll() { return machine().files.Exists(install.directory + "\\vlalag32.dll"); }

  // The other vendors' agents: their list entries (names and data) and their keys.
  void ExpectForeignAgentsUntouched() {
    winsim::Registry& registry = machine().registry;
    EXPECT_EQ(registry.Value(HKEY_LOCAL_MACHINE, snmp::kExtensionAgents, "1")->Text(),
              snmp::kForeignAgentKey1);
    EXPECT_EQ(registry.Value(HKEY_LOCAL_MACHINE, snmp::kExtensionAgents, "3")->Text(),
              snmp::kForeignAgentKey2);
    EXPECT_TRUE(
        registry.Value(HKEY_LOCAL_MACHINE, snmp::kForeignAgentKey1, "Pathname").has_value());
    EXPECT_TRUE(
        registry.Value(HKEY_LOCAL_MACHINE, snmp::kForeignAgentKey2, "Pathname").has_value());
  }

  ProductInstall install;
};

TEST_F(SnmpWholeRunTest, YesRemovesTheAgentAndItsDll) {
  Install();
  EXPECT_EQ(Run({IDYES, IDOK}), IDYES);

  EXPECT_EQ(SnmpTrace(),
            (Names{"Checking if SNMP is installed...\n", "Uninstalling SNMP Agent...\n"}));
  EXPECT_EQ(Texts(),
            (Names{texts::kRemovePrompt, texts::kSnmpPrompt, texts::kSnmpDone, Restart()}));
  EXPECT_EQ(machine().registry.ValueNames(HKEY_LOCAL_MACHINE, snmp::kExtensionAgents),
            (Names{"1", "3"}));
  EXPECT_FALSE(machine().registry.KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Velmora\\Varden"));
  EXPECT_TRUE(machine().registry.KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Velmora\\Common\\Paths"));
  ExpectForeignAgentsUntouched();
  winsim::Service& snmpService = *machine().services.Get("SNMP");
  EXPECT_EQ(snmpService.starts, 1);
  EXPECT_EQ(snmpService.status.state, static_cast<DWORD>(SERVICE_RUNNING));
  EXPECT_FALSE(Dll());
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(SnmpWholeRunTest, NoRemovesTheAgentButKeepsItsDll) {
  Install();
  EXPECT_EQ(Run({IDNO, IDOK}), IDYES);

  EXPECT_EQ(Texts(),
            (Names{texts::kRemovePrompt, texts::kSnmpPrompt, texts::kSnmpDone, Restart()}));
  EXPECT_EQ(machine().registry.ValueNames(HKEY_LOCAL_MACHINE, snmp::kExtensionAgents),
            (Names{"1", "3"}));
  EXPECT_FALSE(machine().registry.KeyExists(HKEY_LOCAL_MACHINE, snmp::kAgentKey));
  ExpectForeignAgentsUntouched();
  EXPECT_EQ(machine().services.Get("SNMP")->starts, 1);
  EXPECT_TRUE(Dll());
}

TEST_F(SnmpWholeRunTest, CancelLeavesTheAgentAsItWas) {
  Install();
  EXPECT_EQ(Run({IDCANCEL}), IDYES);

  EXPECT_EQ(SnmpTrace(),
            (Names{"Checking if SNMP is installed...\n", "Uninstalling SNMP Agent...\n"}));
  EXPECT_EQ(Texts(), (Names{texts::kRemovePrompt, texts::kSnmpPrompt, Restart()}));
  EXPECT_EQ(machine().registry.ValueNames(HKEY_LOCAL_MACHINE, snmp::kExtensionAgents),
            (Names{"1", "2", "3"}));
  EXPECT_TRUE(
      machine().registry.Value(HKEY_LOCAL_MACHINE, snmp::kAgentKey, "Pathname").has_value());
  ExpectForeignAgentsUntouched();
  EXPECT_TRUE(machine().services.Get("SNMP")->controls.empty());
  EXPECT_TRUE(Dll());
}

TEST_F(SnmpWholeRunTest, WithoutTheAgentKeyNothingIsAsked) {
  Install();
  machine().registry.DeleteTree(HKEY_LOCAL_MACHINE,
                                "SOFTWARE\\Velmora\\Varden\\Anti-Virus\\SNMP Agent");

  EXPECT_EQ(Run({}), IDYES);

  EXPECT_EQ(SnmpTrace(), Names{"Checking if SNMP is installed...\n"});
  EXPECT_EQ(Texts(), (Names{texts::kRemovePrompt, Restart()}));
  EXPECT_EQ(machine().registry.ValueNames(HKEY_LOCAL_MACHINE, snmp::kExtensionAgents),
            (Names{"1", "2", "3"}));
}

TEST_F(SnmpWholeRunTest, WithoutTheSnmpServiceNothingIsAsked) {
  Install(false);
  machine().registry.CreateKey(HKEY_LOCAL_MACHINE, snmp::kAgentKey);

  EXPECT_EQ(Run({}), IDYES);

  EXPECT_EQ(SnmpTrace(), Names{"Checking if SNMP is installed...\n"});
  EXPECT_TRUE(machine().registry.KeyExists(HKEY_LOCAL_MACHINE, snmp::kAgentKey));
}

}  // namespace
