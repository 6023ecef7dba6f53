// Removing the agent's registration: its entries in the SNMP service's list of extension
// agents, and its key with the parents it leaves empty.
#include "snmp/registry_cleanup.h"

#include <windows.h>

#include <utility>

#include "common/machine_test.h"
#include "common/product.h"
#include "snmp/snmp_agent.h"
#include "support/failure_text.h"

namespace {

using Names = std::vector<std::string>;
using Values = std::vector<std::pair<std::string, std::string>>;  // name, data

const char kEarlier[] = "The handle is invalid.";  // the failure text before each call
const char kDenied[] = "Access is denied.";

class SnmpRegistryCleanupTest : public MachineTest {};

// The agent listed between two others is the scenarios snmp-agent-*.
TEST_F(SnmpRegistryCleanupTest, EveryListEntryOfTheAgentGoesAndTheOthersKeepNameAndData) {
  const std::string agent = keys::kAgentKey, foreign = keys::kForeignAgentKey1;
  struct Case {
    Names list;  // the data of the values named 1, 2, ...; empty: no list key at all
    const char* failingCall; DWORD error;
    std::string kept;  // the names of the values left
    int result; const char* text;
  };
  for (const Case& c : std::vector<Case>{
           {{agent, foreign, agent}, nullptr, 0, "2", 1, kEarlier},
           // The match is exact and case-sensitive; neighbours go one after the other.
           {{"software\\velmora\\varden\\anti-virus\\snmp agent\\currentversion", agent + "2", agent, agent},
            nullptr, 0, "12", 1, kEarlier},
           {{foreign}, nullptr, 0, "1", 1, kEarlier},
           {{}, nullptr, 0, "", 0, "The system cannot find the file specified."},
           {{agent}, "RegQueryInfoKeyA", ERROR_ACCESS_DENIED, "1", 0, kDenied},
           {{agent}, "RegEnumValueA", ERROR_MORE_DATA, "1", 0, "More data is available."},
           {{agent}, "RegDeleteValueA", ERROR_KEY_DELETED, "1", 0,
            "Illegal operation attempted on a registry key that has been marked for deletion."},
       }) {
    SCOPED_TRACE(std::to_string(c.list.size()) + " values, " + (c.failingCall ? c.failingCall : "no failure"));
    winsim::Machine& m = winsim::Reset();
    FormatSystemError("earlier", ERROR_INVALID_HANDLE);
    Values expected;
    for (std::size_t i = 0; i < c.list.size(); ++i) {
      const std::string name = std::to_string(i + 1);
      m.registry.SetString(HKEY_LOCAL_MACHINE, keys::kExtensionAgents, name, c.list[i]);
      if (c.kept.find(name) != std::string::npos) expected.emplace_back(name, c.list[i]);
    }
    if (c.failingCall) m.faults.FailCall(c.failingCall, 1, c.error);

    EXPECT_EQ(RegRemoveExtAgentParameters(kSnmpAgentKeyPath), c.result);

    Values left;
    for (const std::string& name : m.registry.ValueNames(HKEY_LOCAL_MACHINE, keys::kExtensionAgents)) {
      left.emplace_back(name, m.registry.Value(HKEY_LOCAL_MACHINE, keys::kExtensionAgents, name)->Text());
    }
    EXPECT_EQ(left, expected);
    EXPECT_STREQ(LastErrorText(), c.text);
  }
}

TEST_F(SnmpRegistryCleanupTest, DataIsComparedAsTextWhateverItsType) {
  const std::string target = keys::kAgentKey;  // binary, without a terminator
  machine().registry.SetValue(HKEY_LOCAL_MACHINE, keys::kExtensionAgents, "1", REG_BINARY,
                              std::vector<BYTE>(target.begin(), target.end()));
  machine().registry.SetString(HKEY_LOCAL_MACHINE, keys::kExtensionAgents, "2", keys::kForeignAgentKey1);

  EXPECT_EQ(RegRemoveExtAgentParameters(kSnmpAgentKeyPath), 1);

  EXPECT_EQ(machine().registry.ValueNames(HKEY_LOCAL_MACHINE, keys::kExtensionAgents), Names{"2"});
}

TEST_F(SnmpRegistryCleanupTest, TheAgentKeyGoesWithEachParentLeftWithoutSubkeysButNeverSoftware) {
  const std::string agent = keys::kAgentKey, snmpAgent = "SOFTWARE\\Velmora\\Varden\\Anti-Virus\\SNMP Agent";
  struct Case {
    const char* what;
    std::string create, remove, unreadable;  // keys to create, delete or deny the query on beforehand
    int result; const char* text;
    Names gone, stay, software;  // keys gone and kept; the subkeys of SOFTWARE afterwards
  };
  for (const Case& c : std::vector<Case>{
           {"values do not keep a parent", "", "", "", 1, kEarlier, {"SOFTWARE\\Velmora"}, {"SOFTWARE\\Microsoft"},
            {"Microsoft"}},
           {"SOFTWARE stays when its last subkey goes", "", "SOFTWARE\\Microsoft", "", 1, kEarlier,
            {"SOFTWARE\\Velmora"}, {"SOFTWARE"}, {}},
           {"the walk ends at a parent with another subkey", snmpAgent + "\\2.0", "", "", 1, kEarlier, {agent},
            {snmpAgent + "\\2.0"}, {"Microsoft", "Velmora"}},
           {"past a missing agent key, the parents left without subkeys go", "", agent, "", 1, kEarlier,
            {snmpAgent, "SOFTWARE\\Velmora"}, {}, {"Microsoft"}},
           {"an agent key with subkeys is a failure and nothing goes", agent + "\\Traps", "", "", 0, kDenied, {},
            {agent + "\\Traps"}, {"Microsoft", "Velmora"}},
           {"a parent that cannot be read ends the walk with the child gone", "", "", snmpAgent, 0, kDenied, {agent},
            {snmpAgent}, {"Microsoft", "Velmora"}},
       }) {
    SCOPED_TRACE(c.what);
    winsim::Machine& m = winsim::Reset();
    FormatSystemError("earlier", ERROR_INVALID_HANDLE);
    m.registry.SetString(HKEY_LOCAL_MACHINE, agent, "Pathname", "vlalag32.dll");
    m.registry.SetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Velmora\\Varden\\Anti-Virus", "Version", "3.0");
    m.registry.CreateKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft");
    if (!c.create.empty()) m.registry.CreateKey(HKEY_LOCAL_MACHINE, c.create);
    if (!c.remove.empty()) m.registry.DeleteTree(HKEY_LOCAL_MACHINE, c.remove);
    if (!c.unreadable.empty()) m.registry.DenyAccess(HKEY_LOCAL_MACHINE, c.unreadable, KEY_QUERY_VALUE);

    EXPECT_EQ(RegRemoveExtAgentSOFTWARE(kSnmpAgentKeyPath), c.result);

    EXPECT_STREQ(LastErrorText(), c.text);
    for (const std::string& key : c.gone) EXPECT_FALSE(m.registry.KeyExists(HKEY_LOCAL_MACHINE, key)) << key;
    for (const std::string& key : c.stay) EXPECT_TRUE(m.registry.KeyExists(HKEY_LOCAL_MACHINE, key)) << key;
    EXPECT_EQ(m.registry.SubkeyNames(HKEY_LOCAL_MACHINE, "SOFTWARE"), c.software);
  }
}

}  // namespace
