// winsim's DDE: the commands a setup sends to Program Manager, and the string handles.
#include <gtest/gtest.h>
#include <winsim/dde.h>

namespace {

TEST(ProgramManagerSetup, AddsItemsToTheActiveGroupOnlyAndRefusesWhatNamesNothing) {
  winsim::ProgramManager programManager;
  for (const auto& [commands, accepted] :
       {std::pair{"[AddItem(C:\\y\\Other.exe,Other)]", false},  // no group is active yet
        std::pair{"[CreateGroup()]", false},
        std::pair{"[CreateGroup(Tools)][AddItem(\"C:\\Program Files\\A, B\\x.exe\",X Tool)]"
                  "[AddItem(C:\\y\\Other.exe)]",
                  true},
        std::pair{"[AddItem()]", false},
        // Making a group that exists keeps its items and makes it active again.
        std::pair{"[CreateGroup(Startup)][CreateGroup(tools)]", true}}) {
    EXPECT_EQ(programManager.Execute(commands), accepted) << commands;
  }
  EXPECT_EQ(programManager.GroupNames(), (std::vector<std::string>{"Tools", "Startup"}));
  EXPECT_EQ(programManager.activeGroup, "Tools");
  EXPECT_TRUE(programManager.HasItem("Tools", "X Tool"));
  EXPECT_TRUE(programManager.HasItem("Tools", "Other"));  // named after its program
  EXPECT_FALSE(programManager.HasItem("Tools", ""));
}

// A string handle is freed once, and only by the instance that made it.
TEST(DdeStrings, AreFreedOnceAndOnlyByTheirOwnInstance) {
  winsim::Dde dde;
  const DWORD owner = dde.Initialize(APPCMD_CLIENTONLY), other = dde.Initialize(APPCMD_CLIENTONLY);
  const HSZ name = dde.CreateString(owner, "PROGMAN");
  EXPECT_FALSE(dde.FreeString(other, name));
  EXPECT_TRUE(dde.FreeString(owner, name));
  EXPECT_FALSE(dde.FreeString(owner, name));
}

}  // namespace
