// Removing the agent's registration: its entry in the SNMP service's list of extension
// agents, and its key with the parents it leaves empty.
#include "snmp/registry_cleanup.h"

#include <windows.h>

#include "common/machine_test.h"
#include "common/product.h"
#include "snmp/snmp_agent.h"
#include "support/failure_text.h"

namespace {

using Names = std::vector<std::string>;

// The helpers follow the current machine, also after a test started over.
class ExtensionAgentListTest : public MachineTest {
 protected:
  void Agent(const char* name, const std::string& keyPath) {
    winsim::machine().registry.SetString(HKEY_LOCAL_MACHINE, keys::kExtensionAgents, name, keyPath);
  }
  Names Values() {
    return winsim::machine().registry.ValueNames(HKEY_LOCAL_MACHINE, keys::kExtensionAgents);
  }
  std::string Data(const char* name) {
    return winsim::machine()
        .registry.Value(HKEY_LOCAL_MACHINE, keys::kExtensionAgents, name)
        ->Text();
  }
};

TEST_F(ExtensionAgentListTest, TheMiddleOfThreeGoesAndTheOthersKeepTheirNames) {
  Agent("1", keys::kForeignAgentKey1);
  Agent("2", keys::kAgentKey);
  Agent("3", keys::kForeignAgentKey2);

  EXPECT_EQ(RegRemoveExtAgentParameters(kSnmpAgentKeyPath), 1);

  EXPECT_EQ(Values(), (Names{"1", "3"}));
  EXPECT_EQ(Data("1"), keys::kForeignAgentKey1);
  EXPECT_EQ(Data("3"), keys::kForeignAgentKey2);
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(ExtensionAgentListTest, OnlyTheFirstExactMatchGoes) {
  Agent("1", "software\\velmora\\varden\\anti-virus\\snmp agent\\currentversion");
  Agent("2", std::string(keys::kAgentKey) + "2");
  Agent("3", keys::kAgentKey);
  Agent("4", keys::kAgentKey);

  EXPECT_EQ(RegRemoveExtAgentParameters(kSnmpAgentKeyPath), 1);

  EXPECT_EQ(Values(), (Names{"1", "2", "4"}));
}

TEST_F(ExtensionAgentListTest, DataIsComparedAsTextWhateverItsType) {
  // Binary data without a terminator, followed by an entry the match must not reach.
  const std::string target = keys::kAgentKey;
  machine().registry.SetValue(HKEY_LOCAL_MACHINE, keys::kExtensionAgents, "1", REG_BINARY,
                              std::vector<BYTE>(target.begin(), target.end()));
  Agent("2", keys::kAgentKey);

  EXPECT_EQ(RegRemoveExtAgentParameters(kSnmpAgentKeyPath), 1);

  EXPECT_EQ(Values(), (Names{"2"}));
}

TEST_F(ExtensionAgentListTest, NoEntryForTheAgentIsNoFailure) {
  Agent("1", keys::kForeignAgentKey1);
  FormatSystemError("earlier", ERROR_ACCESS_DENIED);

  EXPECT_EQ(RegRemoveExtAgentParameters(kSnmpAgentKeyPath), 1);

  EXPECT_EQ(Values(), (Names{"1"}));
  EXPECT_STREQ(LastErrorText(), "Access is denied.");
}

TEST_F(ExtensionAgentListTest, AMissingListIsAFailureWithTheOpenError) {
  EXPECT_EQ(RegRemoveExtAgentParameters(kSnmpAgentKeyPath), 0);
  EXPECT_STREQ(LastErrorText(), "The system cannot find the file specified.");
}

TEST_F(ExtensionAgentListTest, EachFailingRegistryCallIsRecordedWithItsOwnResult) {
  struct Case {
    const char* api;
    DWORD error;
    const char* text;
  };
  for (const Case& c :
       {Case{"RegQueryInfoKeyA", ERROR_ACCESS_DENIED, "Access is denied."},
        Case{"RegEnumValueA", ERROR_MORE_DATA, "More data is available."},
        Case{"RegDeleteValueA", ERROR_KEY_DELETED,
             "Illegal operation attempted on a registry key that has been marked for deletion."}}) {
    SCOPED_TRACE(c.api);
    winsim::Machine& fresh = winsim::Reset();
    Agent("1", keys::kAgentKey);
    fresh.faults.FailCall(c.api, 1, c.error);

    EXPECT_EQ(RegRemoveExtAgentParameters(kSnmpAgentKeyPath), 0);

    EXPECT_STREQ(LastErrorText(), c.text);
    EXPECT_EQ(Values(), (Names{"1"}));
    EXPECT_EQ(fresh.OpenHandles(), 0u);
  }
}

class AgentKeyTest : public MachineTest {
 protected:
  void SetUp() override {
    MachineTest::SetUp();
    machine().registry.SetString(HKEY_LOCAL_MACHINE, keys::kAgentKey, "Pathname", "vlalag32.dll");
    machine().registry.CreateKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft");
  }
  bool Exists(const std::string& path) {
    return machine().registry.KeyExists(HKEY_LOCAL_MACHINE, path);
  }
};

TEST_F(AgentKeyTest, EveryParentLeftWithoutSubkeysGoesButNeverSoftware) {
  // Values do not keep a parent.
  machine().registry.SetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Velmora\\Varden\\Anti-Virus",
                               "Version", "3.0");

  EXPECT_EQ(RegRemoveExtAgentSOFTWARE(kSnmpAgentKeyPath), 1);

  EXPECT_FALSE(Exists("SOFTWARE\\Velmora"));
  EXPECT_TRUE(Exists("SOFTWARE\\Microsoft"));
  EXPECT_EQ(machine().registry.SubkeyNames(HKEY_LOCAL_MACHINE, "SOFTWARE"), (Names{"Microsoft"}));
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(AgentKeyTest, SoftwareStaysWhenItsLastSubkeyGoes) {
  machine().registry.DeleteTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft");

  EXPECT_EQ(RegRemoveExtAgentSOFTWARE(kSnmpAgentKeyPath), 1);

  EXPECT_TRUE(Exists("SOFTWARE"));
  EXPECT_TRUE(machine().registry.SubkeyNames(HKEY_LOCAL_MACHINE, "SOFTWARE").empty());
}

TEST_F(AgentKeyTest, TheWalkEndsAtAParentWithAnotherSubkey) {
  machine().registry.CreateKey(HKEY_LOCAL_MACHINE,
                               "SOFTWARE\\Velmora\\Varden\\Anti-Virus\\SNMP Agent\\2.0");

  EXPECT_EQ(RegRemoveExtAgentSOFTWARE(kSnmpAgentKeyPath), 1);

  EXPECT_FALSE(Exists(keys::kAgentKey));
  EXPECT_TRUE(Exists("SOFTWARE\\Velmora\\Varden\\Anti-Virus\\SNMP Agent\\2.0"));
}

TEST_F(AgentKeyTest, AMissingAgentKeyLeavesEvenEmptyParents) {
  machine().registry.DeleteTree(HKEY_LOCAL_MACHINE, keys::kAgentKey);

  EXPECT_EQ(RegRemoveExtAgentSOFTWARE(kSnmpAgentKeyPath), 1);

  EXPECT_TRUE(Exists("SOFTWARE\\Velmora\\Varden\\Anti-Virus\\SNMP Agent"));
}

TEST_F(AgentKeyTest, AnAgentKeyWithSubkeysIsAFailureAndNothingGoes) {
  machine().registry.CreateKey(HKEY_LOCAL_MACHINE, std::string(keys::kAgentKey) + "\\Traps");

  EXPECT_EQ(RegRemoveExtAgentSOFTWARE(kSnmpAgentKeyPath), 0);

  EXPECT_STREQ(LastErrorText(), "Access is denied.");
  EXPECT_TRUE(Exists(std::string(keys::kAgentKey) + "\\Traps"));
}

TEST_F(AgentKeyTest, AParentThatCannotBeReadEndsTheWalkWithTheChildGone) {
  machine().registry.DenyAccess(
      HKEY_LOCAL_MACHINE, "SOFTWARE\\Velmora\\Varden\\Anti-Virus\\SNMP Agent", KEY_QUERY_VALUE);

  EXPECT_EQ(RegRemoveExtAgentSOFTWARE(kSnmpAgentKeyPath), 0);

  EXPECT_STREQ(LastErrorText(), "Access is denied.");
  EXPECT_FALSE(Exists(keys::kAgentKey));
  EXPECT_TRUE(Exists("SOFTWARE\\Velmora\\Varden\\Anti-Virus\\SNMP Agent"));
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

}  // namespace
