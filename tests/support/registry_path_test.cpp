#include "support/registry_path.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/machine_test.h"

namespace {

const char kApplicationLog[] = "System\\CurrentControlSet\\Services\\EventLog\\Application";

class RegistryPathTest : public MachineTest {
 protected:
  winsim::Registry& registry() { return machine().registry; }
  unsigned RegistryCalls() {
    unsigned calls = 0;
    for (const char* api : {"RegCreateKeyExA", "RegOpenKeyExA", "RegDeleteKeyA", "RegFlushKey",
                            "RegCloseKey"}) {
      calls += machine().faults.CallCount(api);
    }
    return calls;
  }
};

TEST_F(RegistryPathTest, RootNamesIgnoreLetterCaseButNothingElse) {
  EXPECT_EQ(RegRootFromName("HKEY_CLASSES_ROOT"), HKEY_CLASSES_ROOT);
  EXPECT_EQ(RegRootFromName("hkey_current_user"), HKEY_CURRENT_USER);
  EXPECT_EQ(RegRootFromName("Hkey_Local_Machine"), HKEY_LOCAL_MACHINE);
  EXPECT_EQ(RegRootFromName("HKEY_USERS"), HKEY_USERS);
  for (const char* refused : {"HKLM", "HKEY_LOCAL_MACHINE ", " HKEY_USERS", "HKEY_USER", ""}) {
    EXPECT_EQ(RegRootFromName(refused), nullptr) << refused;
  }
}

TEST_F(RegistryPathTest, DeletesTheNamedSubkeyBelowAKeyPathAndClosesTheParent) {
  registry().CreateKey(HKEY_LOCAL_MACHINE, std::string(kApplicationLog) + "\\Tessor Anti-Virus Service");
  registry().CreateKey(HKEY_LOCAL_MACHINE, std::string(kApplicationLog) + "\\Other");
  const char notation[] =
      "hkey_local_machine\\System\\CurrentControlSet\\Services\\EventLog\\Application\\\\Tessor Anti-Virus Service|";
  char before[sizeof notation];
  std::memcpy(before, notation, sizeof notation);

  EXPECT_EQ(RegPathDeleteKey(notation, false), 0);

  EXPECT_FALSE(registry().KeyExists(HKEY_LOCAL_MACHINE, std::string(kApplicationLog) + "\\Tessor Anti-Virus Service"));
  EXPECT_TRUE(registry().KeyExists(HKEY_LOCAL_MACHINE, std::string(kApplicationLog) + "\\Other"));
  EXPECT_TRUE(registry().flushes.empty());
  EXPECT_EQ(machine().OpenHandles(), 0u);
  EXPECT_STREQ(notation, before);
}

TEST_F(RegistryPathTest, FlushesTheParentWhenAsked) {
  registry().CreateKey(HKEY_CURRENT_USER, "Software\\Varden\\Old");
  EXPECT_EQ(RegPathDeleteKey("HKEY_CURRENT_USER\\Software\\Varden\\\\Old", true), 0);
  EXPECT_FALSE(registry().KeyExists(HKEY_CURRENT_USER, "Software\\Varden\\Old"));
  ASSERT_EQ(registry().flushes.size(), 1u);
  EXPECT_NE(registry().flushes[0].find("Varden"), std::string::npos);
}

TEST_F(RegistryPathTest, MalformedStringsGiveFourWithoutTouchingTheRegistry) {
  registry().CreateKey(HKEY_LOCAL_MACHINE, "Software\\Varden\\Key");
  for (const char* malformed : {
           "HKEY_LOCAL_MACHINE",                      // no backslash at all
           "HKEY_LOCAL_MACHINE\\Software\\Varden\\Key",  // no pair of backslashes
           "HKEY_LOCAL_MACHINE\\Software\\Varden\\",    // ends in a single backslash
           "HKEY_LOCAL_MACHINE\\",                    // nothing after the root
           "HKLM\\Software\\Varden\\\\Key",           // abbreviated root
           " HKEY_LOCAL_MACHINE\\Software\\\\Varden",  // leading blank in the root
           "\\\\Key",                                 // empty root
       }) {
    EXPECT_EQ(RegPathDeleteKey(malformed, true), 4) << malformed;
  }
  EXPECT_EQ(RegPathDeleteKey(nullptr, false), 4);
  EXPECT_EQ(RegistryCalls(), 0u);
  EXPECT_TRUE(registry().KeyExists(HKEY_LOCAL_MACHINE, "Software\\Varden\\Key"));
}

TEST_F(RegistryPathTest, OpenSplitsTheFieldsAndTrimsBlanksOnlyFromTheLastField) {
  registry().CreateKey(HKEY_LOCAL_MACHINE, "Software\\A|B");
  struct Case {
    const char* notation;
    const char* name;
  };
  for (const Case& c : {
           Case{"HKEY_LOCAL_MACHINE\\Software\\A|B\\\\Name  ", "Name"},        // no bar: trimmed
           Case{"HKEY_LOCAL_MACHINE\\Software\\A|B\\\\Name  |data  ", "Name  "},  // bar: kept
           Case{"HKEY_LOCAL_MACHINE\\Software\\A|B\\\\Name\t", "Name\t"},      // tabs stay
           Case{"HKEY_LOCAL_MACHINE\\Software\\A|B\\\\  Name", "  Name"},      // leading blanks stay
           Case{"HKEY_LOCAL_MACHINE\\Software\\A|B\\\\\\Name", "\\Name"},      // three backslashes
           Case{"HKEY_LOCAL_MACHINE\\Software\\A|B\\\\", ""},
       }) {
    HKEY key = nullptr;
    std::string name = "stale";
    bool isRoot = true;
    ASSERT_EQ(RegPathOpen(c.notation, &key, &name, &isRoot), 0) << c.notation;
    EXPECT_EQ(name, c.name) << c.notation;
    EXPECT_FALSE(isRoot);
    ASSERT_NE(key, nullptr);
    EXPECT_NE(registry().PathOf(*registry().Resolve(key)).find("Software\\A|B"), std::string::npos);
    RegCloseKey(key);
  }
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(RegistryPathTest, KeyPathMayHoldBarsAndIsOpenedAsWritten) {
  registry().CreateKey(HKEY_LOCAL_MACHINE, "Software\\A|B\\Child");
  EXPECT_EQ(RegPathDeleteKey("HKEY_LOCAL_MACHINE\\Software\\A|B\\\\Child|x", false), 0);
  EXPECT_FALSE(registry().KeyExists(HKEY_LOCAL_MACHINE, "Software\\A|B\\Child"));
  EXPECT_TRUE(registry().KeyExists(HKEY_LOCAL_MACHINE, "Software\\A|B"));
}

TEST_F(RegistryPathTest, TheRootKeyItselfIsFlushedButNeverClosed) {
  registry().CreateKey(HKEY_USERS, "Leftover");
  HKEY key = nullptr;
  std::string name;
  bool isRoot = false;
  ASSERT_EQ(RegPathOpen("HKEY_USERS\\\\Leftover", &key, &name, &isRoot), 0);
  EXPECT_EQ(key, HKEY_USERS);
  EXPECT_TRUE(isRoot);
  EXPECT_EQ(name, "Leftover");

  EXPECT_EQ(RegPathDeleteKey("HKEY_USERS\\\\Leftover", true), 0);
  EXPECT_FALSE(registry().KeyExists(HKEY_USERS, "Leftover"));
  EXPECT_EQ(registry().flushes.size(), 1u);
  EXPECT_EQ(machine().faults.CallCount("RegCloseKey"), 0u);
  EXPECT_EQ(machine().faults.CallCount("RegCreateKeyExA"), 0u);
}

TEST_F(RegistryPathTest, AMissingSubkeyIsSuccessAndAMissingParentIsCreated) {
  EXPECT_EQ(RegPathDeleteKey("HKEY_LOCAL_MACHINE\\Software\\Gone\\Too\\\\Name", true), 0);
  EXPECT_TRUE(registry().KeyExists(HKEY_LOCAL_MACHINE, "Software\\Gone\\Too"));
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(RegistryPathTest, AnEmptyNameDeletesAndFlushesNothing) {
  registry().CreateKey(HKEY_LOCAL_MACHINE, "Software\\Varden\\Key");
  EXPECT_EQ(RegPathDeleteKey("HKEY_LOCAL_MACHINE\\Software\\\\|data", true), 0);
  EXPECT_EQ(RegPathDeleteKey("HKEY_LOCAL_MACHINE\\Software\\\\   ", true), 0);
  EXPECT_EQ(machine().faults.CallCount("RegDeleteKeyA"), 0u);
  EXPECT_TRUE(registry().flushes.empty());
  EXPECT_TRUE(registry().KeyExists(HKEY_LOCAL_MACHINE, "Software\\Varden\\Key"));
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(RegistryPathTest, ASubkeyWithSubkeysIsNotDeletedAndGivesTwo) {
  registry().CreateKey(HKEY_LOCAL_MACHINE, "Software\\Varden\\Key\\Inner");
  EXPECT_EQ(RegPathDeleteKey("HKEY_LOCAL_MACHINE\\Software\\Varden\\\\Key", true), 2);
  EXPECT_TRUE(registry().KeyExists(HKEY_LOCAL_MACHINE, "Software\\Varden\\Key\\Inner"));
  EXPECT_EQ(registry().flushes.size(), 1u);  // flushed also when the deletion failed
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(RegistryPathTest, AParentThatCannotBeOpenedGivesOne) {
  machine().faults.FailCall("RegCreateKeyExA", 1, ERROR_ACCESS_DENIED);
  HKEY key = reinterpret_cast<HKEY>(1);
  std::string name = "stale";
  bool isRoot = true;
  EXPECT_EQ(RegPathOpen("HKEY_LOCAL_MACHINE\\Software\\\\Name", &key, &name, &isRoot), 1);
  EXPECT_EQ(key, nullptr);
  EXPECT_TRUE(name.empty());
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

}  // namespace
