// The commands a setup sends to winsim's Program Manager: groups made and items added.
#include <gtest/gtest.h>

#include <winsim/dde.h>

namespace {

TEST(ProgramManagerSetup, CreatesGroupsAndAddsItemsToTheActiveGroup) {
  winsim::ProgramManager programManager;
  EXPECT_TRUE(programManager.Execute(
      "[CreateGroup(Tools)][AddItem(\"C:\\Program Files\\A, B\\x.exe\",X Tool)]"
      "[AddItem(C:\\y\\Other.exe)]"));
  EXPECT_EQ(programManager.activeGroup, "Tools");
  EXPECT_TRUE(programManager.HasItem("Tools", "X Tool"));
  EXPECT_TRUE(programManager.HasItem("Tools", "Other"));  // named after its program

  // Making a group that exists keeps its items and makes it active again.
  EXPECT_TRUE(programManager.Execute("[CreateGroup(Startup)][CreateGroup(tools)]"));
  EXPECT_EQ(programManager.activeGroup, "Tools");
  EXPECT_TRUE(programManager.HasItem("Tools", "X Tool"));
  EXPECT_EQ(programManager.GroupNames(), (std::vector<std::string>{"Tools", "Startup"}));
}

TEST(ProgramManagerSetup, RefusesAnItemWithoutAnActiveGroupAndAGroupWithoutAName) {
  winsim::ProgramManager programManager;
  EXPECT_FALSE(programManager.Execute("[AddItem(C:\\y\\Other.exe,Other)]"));
  EXPECT_FALSE(programManager.Execute("[CreateGroup()]"));
  EXPECT_TRUE(programManager.GroupNames().empty());
  EXPECT_TRUE(programManager.Execute("[CreateGroup(Tools)]"));
  EXPECT_FALSE(programManager.Execute("[AddItem()]"));
  EXPECT_FALSE(programManager.HasItem("Tools", ""));
}

}  // namespace
