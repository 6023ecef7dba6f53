#include "support/registry_path.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "common/machine_test.h"

namespace {

using Keys = std::vector<std::pair<HKEY, std::string>>;

class RegistryPathTest : public MachineTest {
 protected:
  winsim::Registry& registry() { return machine().registry; }
};

TEST_F(RegistryPathTest, DeletesTheNamedSubkeyBelowTheParentItOpensOrCreates) {
  const std::string log = "System\\CurrentControlSet\\Services\\EventLog\\Application";
  const HKEY hklm = HKEY_LOCAL_MACHINE;
  struct Case {
    std::string notation; bool flush; Keys before; int result; Keys gone; Keys stay;
    std::vector<std::string> flushed;  // the parents flushed, with their roots
    unsigned deletes, closes;  // RegDeleteKeyA and RegCloseKey calls: a root key is never closed
  };
  for (const Case& c : std::vector<Case>{
           {"hkey_local_machine\\" + log + "\\\\Tessor Anti-Virus Service|", false,
            {{hklm, log + "\\Tessor Anti-Virus Service"}, {hklm, log + "\\Other"}}, 0,
            {{hklm, log + "\\Tessor Anti-Virus Service"}}, {{hklm, log + "\\Other"}}, {}, 1, 1},
           {"HKEY_CURRENT_USER\\Software\\Varden\\\\Old", true, {{HKEY_CURRENT_USER, "Software\\Varden\\Old"}}, 0,
            {{HKEY_CURRENT_USER, "Software\\Varden\\Old"}}, {{HKEY_CURRENT_USER, "Software\\Varden"}},
            {"HKEY_CURRENT_USER\\Software\\Varden"}, 1, 1},
           // The key path may hold bars and is opened as written.
           {"HKEY_LOCAL_MACHINE\\Software\\A|B\\\\Child|x", false, {{hklm, "Software\\A|B\\Child"}}, 0,
            {{hklm, "Software\\A|B\\Child"}}, {{hklm, "Software\\A|B"}}, {}, 1, 1},
           {"HKEY_USERS\\\\Leftover", true, {{HKEY_USERS, "Leftover"}}, 0, {{HKEY_USERS, "Leftover"}}, {}, {"HKEY_USERS"}, 1, 0},
           // A missing subkey is no failure; its missing parent is created.
           {"HKEY_LOCAL_MACHINE\\Software\\Gone\\Too\\\\Name", true, {}, 0, {}, {{hklm, "Software\\Gone\\Too"}},
            {"HKEY_LOCAL_MACHINE\\Software\\Gone\\Too"}, 1, 1},
           // An empty name deletes and flushes nothing.
           {"HKEY_LOCAL_MACHINE\\Software\\\\|data", true, {{hklm, "Software\\Varden\\Key"}}, 0, {},
            {{hklm, "Software\\Varden\\Key"}}, {}, 0, 1},
           {"HKEY_LOCAL_MACHINE\\Software\\\\   ", true, {{hklm, "Software\\Varden\\Key"}}, 0, {},
            {{hklm, "Software\\Varden\\Key"}}, {}, 0, 1},
           // A subkey with subkeys stays; the parent is flushed all the same.
           {"HKEY_LOCAL_MACHINE\\Software\\Varden\\\\Key", true, {{hklm, "Software\\Varden\\Key\\Inner"}}, 2, {},
            {{hklm, "Software\\Varden\\Key\\Inner"}},
            {"HKEY_LOCAL_MACHINE\\Software\\Varden"}, 1, 1},
       }) {
    SCOPED_TRACE(c.notation);
    winsim::Machine& m = winsim::Reset();
    for (const auto& [root, path] : c.before) m.registry.CreateKey(root, path);
    std::string notation = c.notation;  // the caller's string stays untouched

    EXPECT_EQ(RegPathDeleteKey(notation.data(), c.flush), c.result);

    EXPECT_EQ(notation, c.notation);
    for (const auto& [root, path] : c.gone) EXPECT_FALSE(m.registry.KeyExists(root, path)) << path;
    for (const auto& [root, path] : c.stay) EXPECT_TRUE(m.registry.KeyExists(root, path)) << path;
    EXPECT_EQ(m.registry.flushes, c.flushed);
    EXPECT_EQ(m.faults.CallCount("RegDeleteKeyA"), c.deletes);
    EXPECT_EQ(m.faults.CallCount("RegCloseKey"), c.closes);
  }
}

TEST_F(RegistryPathTest, MalformedStringsGiveFourWithoutTouchingTheRegistry) {
  registry().CreateKey(HKEY_LOCAL_MACHINE, "Software\\Varden\\Key");
  for (const char* malformed : {
           "HKEY_LOCAL_MACHINE",                          // no backslash at all
           "HKEY_LOCAL_MACHINE\\Software\\Varden\\Key",   // no pair of backslashes
           "HKEY_LOCAL_MACHINE\\Software\\Varden\\",      // ends in a single backslash
           "HKEY_LOCAL_MACHINE\\",                        // nothing after the root
           "HKLM\\Software\\Varden\\\\Key",               // abbreviated root
           " HKEY_LOCAL_MACHINE\\Software\\\\Varden",     // leading blank in the root
           "HKEY_LOCAL_MACHINE \\Software\\\\Varden",     // trailing blank in the root
           "HKEY_USER\\\\Leftover",                       // a root's name cut short
           "\\\\Key",                                     // empty root
       }) {
    EXPECT_EQ(RegPathDeleteKey(malformed, true), 4) << malformed;
  }
  EXPECT_EQ(RegPathDeleteKey(nullptr, false), 4);
  for (const char* api : {"RegCreateKeyExA", "RegOpenKeyExA", "RegDeleteKeyA", "RegFlushKey", "RegCloseKey"}) {
    EXPECT_EQ(machine().faults.CallCount(api), 0u) << api;
  }
  EXPECT_TRUE(registry().KeyExists(HKEY_LOCAL_MACHINE, "Software\\Varden\\Key"));
}

TEST_F(RegistryPathTest, OpenSplitsTheFieldsAndTrimsBlanksOnlyFromTheLastField) {
  registry().CreateKey(HKEY_LOCAL_MACHINE, "Software\\A|B");
  struct Case {
    const char* notation; const char* name; bool isRoot;
  };
  for (const Case& c : {
           Case{"HKEY_LOCAL_MACHINE\\Software\\A|B\\\\Name  ", "Name", false},          // no bar: trimmed
           Case{"HKEY_LOCAL_MACHINE\\Software\\A|B\\\\Name  |data  ", "Name  ", false},  // bar: kept
           Case{"HKEY_LOCAL_MACHINE\\Software\\A|B\\\\Name\t", "Name\t", false},        // tabs stay
           Case{"HKEY_LOCAL_MACHINE\\Software\\A|B\\\\  Name", "  Name", false},        // leading blanks stay
           Case{"HKEY_LOCAL_MACHINE\\Software\\A|B\\\\\\Name", "\\Name", false},        // three backslashes
           Case{"HKEY_LOCAL_MACHINE\\Software\\A|B\\\\", "", false},
           Case{"HKEY_USERS\\\\Leftover", "Leftover", true},
       }) {
    HKEY key = nullptr;
    std::string name = "stale";
    bool isRoot = !c.isRoot;
    ASSERT_EQ(RegPathOpen(c.notation, &key, &name, &isRoot), 0) << c.notation;
    EXPECT_EQ(name, c.name) << c.notation;
    EXPECT_EQ(isRoot, c.isRoot);
    if (c.isRoot) {
      EXPECT_EQ(key, HKEY_USERS);
      continue;
    }
    ASSERT_NE(key, nullptr);
    EXPECT_NE(registry().PathOf(*registry().Resolve(key)).find("Software\\A|B"), std::string::npos);
    RegCloseKey(key);
  }

  // A parent that cannot be opened or created.
  machine().faults.FailCall("RegCreateKeyExA", machine().faults.CallCount("RegCreateKeyExA") + 1, ERROR_ACCESS_DENIED);
  HKEY key = reinterpret_cast<HKEY>(1);
  std::string name = "stale";
  bool isRoot = true;
  EXPECT_EQ(RegPathOpen("HKEY_LOCAL_MACHINE\\Software\\\\Name", &key, &name, &isRoot), 1);
  EXPECT_EQ(key, nullptr);
  EXPECT_TRUE(name.empty());
  EXPECT_FALSE(isRoot);
}

}  // namespace
