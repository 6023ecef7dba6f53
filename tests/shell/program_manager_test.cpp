#include "shell/program_manager.h"

#include <windows.h>
#include <ddeml.h>

#include <string>
#include <vector>

#include "common/machine_test.h"
#include "common/product.h"

namespace {

class ProgramManagerTest : public MachineTest {
 protected:
  void SetUp() override {
    MachineTest::SetUp();
    InstallProduct({.withProgramGroups = true});
  }
  winsim::Dde& dde() { return machine().dde; }
  winsim::ProgramManager& programManager() { return machine().dde.programManager; }

  std::vector<std::string> Commands() {
    std::vector<std::string> commands;
    for (const winsim::DdeTransaction& transaction : dde().transactions) {
      commands.push_back(transaction.command);
    }
    return commands;
  }

  // Nothing of the conversation is left, and the program ended it itself rather than
  // leaving its handles to DdeUninitialize.
  void ExpectNothingAllocated() {
    EXPECT_EQ(dde().OpenHandles(), 0u);
    EXPECT_EQ(machine().OpenHandles(), 0u);
    EXPECT_EQ(dde().leftForUninitialize, 0u);
  }
};

TEST_F(ProgramManagerTest, DeletesTheGroupWithOneExecuteCommand) {
  EXPECT_EQ(DeleteProgramGroup(texts::kProgramGroup), 1);

  EXPECT_FALSE(programManager().HasGroup(texts::kProgramGroup));
  EXPECT_TRUE(programManager().HasGroup(texts::kForeignGroup));
  ASSERT_EQ(dde().connections.size(), 1u);
  const winsim::DdeConnection& connection = dde().connections[0];
  EXPECT_EQ(connection.service, "PROGMAN");
  EXPECT_EQ(connection.topic, "PROGMAN");
  EXPECT_TRUE(connection.withContext);
  EXPECT_EQ(connection.contextSize, 36u);
  EXPECT_TRUE(connection.contextOtherwiseZero);
  EXPECT_EQ(dde().initializeFlags, std::vector<DWORD>{APPCMD_CLIENTONLY});

  ASSERT_EQ(dde().transactions.size(), 1u);
  const winsim::DdeTransaction& sent = dde().transactions[0];
  EXPECT_EQ(sent.command, "[DeleteGroup(Varden Anti-Virus)]");
  EXPECT_TRUE(sent.terminated);
  EXPECT_TRUE(sent.dataHandle);
  EXPECT_EQ(sent.format, static_cast<UINT>(CF_TEXT));
  EXPECT_EQ(sent.type, static_cast<UINT>(XTYP_EXECUTE));
  EXPECT_EQ(sent.timeoutMs, 10000u);
  EXPECT_TRUE(sent.accepted);
  ExpectNothingAllocated();
}

TEST_F(ProgramManagerTest, CleansUpInOrderAfterTheCommand) {
  DeleteProgramGroup(texts::kProgramGroup);
  EXPECT_EQ(dde().calls, (std::vector<std::string>{
                             "DdeInitializeA", "DdeCreateStringHandleA", "DdeConnect",
                             "DdeCreateDataHandle", "DdeClientTransaction", "DdeFreeStringHandle",
                             "DdeDisconnect", "DdeUninitialize"}));
}

TEST_F(ProgramManagerTest, DeletesTheItemOfTheNamedGroupOnly) {
  programManager().AddItem(texts::kForeignGroup, texts::kAgentItem);  // active before the call

  EXPECT_EQ(DeleteProgramItem(texts::kStartupGroup, texts::kAgentItem), 1);

  EXPECT_FALSE(programManager().HasItem(texts::kStartupGroup, texts::kAgentItem));
  EXPECT_TRUE(programManager().HasItem(texts::kStartupGroup, texts::kForeignItem));
  EXPECT_TRUE(programManager().HasItem(texts::kForeignGroup, texts::kAgentItem));
  EXPECT_EQ(Commands(), (std::vector<std::string>{"[ShowGroup(Startup,1)]", "[DeleteItem(V-Agent)]"}));
  EXPECT_EQ(dde().connections.size(), 1u);
  for (const winsim::DdeTransaction& transaction : dde().transactions) {
    EXPECT_TRUE(transaction.accepted) << transaction.command;
    EXPECT_EQ(transaction.instance, dde().transactions[0].instance);
  }
  ExpectNothingAllocated();
}

TEST_F(ProgramManagerTest, SendsTheItemCommandEvenWhenTheGroupIsRefused) {
  EXPECT_EQ(DeleteProgramItem("No Such Group", texts::kAgentItem), 1);

  ASSERT_EQ(dde().transactions.size(), 2u);
  EXPECT_EQ(dde().transactions[0].command, "[ShowGroup(No Such Group,1)]");
  EXPECT_FALSE(dde().transactions[0].accepted);
  EXPECT_EQ(dde().transactions[1].command, "[DeleteItem(V-Agent)]");
  EXPECT_TRUE(dde().transactions[1].connected);
  ExpectNothingAllocated();
}

TEST_F(ProgramManagerTest, WithProgramManagerAbsentBothReturnOneAndLeaveNothing) {
  programManager().running = false;

  EXPECT_EQ(DeleteProgramGroup(texts::kProgramGroup), 1);
  EXPECT_EQ(DeleteProgramItem(texts::kStartupGroup, texts::kAgentItem), 1);

  EXPECT_EQ(Commands(), (std::vector<std::string>{"[DeleteGroup(Varden Anti-Virus)]",
                                                  "[ShowGroup(Startup,1)]", "[DeleteItem(V-Agent)]"}));
  for (const winsim::DdeTransaction& transaction : dde().transactions) {
    EXPECT_FALSE(transaction.connected);
    EXPECT_FALSE(transaction.accepted);
  }
  EXPECT_TRUE(programManager().HasGroup(texts::kProgramGroup));
  EXPECT_TRUE(programManager().HasItem(texts::kStartupGroup, texts::kAgentItem));
  ExpectNothingAllocated();
}

TEST_F(ProgramManagerTest, WithoutDdeNothingMoreIsCalled) {
  machine().faults.FailCall("DdeInitializeA", 1, DMLERR_SYS_ERROR);
  EXPECT_EQ(DeleteProgramGroup(texts::kProgramGroup), 0);
  machine().faults.FailCall("DdeInitializeA", 2, DMLERR_SYS_ERROR);
  EXPECT_EQ(DeleteProgramItem(texts::kStartupGroup, texts::kAgentItem), 0);

  EXPECT_EQ(dde().calls, (std::vector<std::string>{"DdeInitializeA", "DdeInitializeA"}));
  EXPECT_TRUE(programManager().HasGroup(texts::kProgramGroup));
  ExpectNothingAllocated();
}

TEST_F(ProgramManagerTest, WithoutTheServiceNameNoConversationIsAttempted) {
  machine().faults.FailCall("DdeCreateStringHandleA", 1, DMLERR_SYS_ERROR);
  EXPECT_EQ(DeleteProgramGroup(texts::kProgramGroup), 1);

  EXPECT_EQ(dde().calls, (std::vector<std::string>{"DdeInitializeA", "DdeCreateStringHandleA",
                                                   "DdeUninitialize"}));
  EXPECT_TRUE(programManager().HasGroup(texts::kProgramGroup));
  ExpectNothingAllocated();
}

TEST_F(ProgramManagerTest, NamesAreSentAsTheyAre) {
  DeleteProgramGroup("Tools, (Old)");
  DeleteProgramGroup("");
  DeleteProgramItem("A(b)", "x,y)");

  EXPECT_EQ(Commands(), (std::vector<std::string>{"[DeleteGroup(Tools, (Old))]", "[DeleteGroup()]",
                                                  "[ShowGroup(A(b),1)]", "[DeleteItem(x,y))]"}));
  for (const winsim::DdeTransaction& transaction : dde().transactions) {
    EXPECT_TRUE(transaction.terminated);
  }
}

TEST_F(ProgramManagerTest, LongNamesAreSentWhole) {
  const std::string group150(150, 'G');
  const std::string group199(199, 'H');
  const std::string item199(199, 'I');
  programManager().AddItem(group150, "item");

  DeleteProgramGroup(group150.c_str());
  DeleteProgramItem(group199.c_str(), item199.c_str());

  EXPECT_EQ(Commands(), (std::vector<std::string>{"[DeleteGroup(" + group150 + ")]",
                                                  "[ShowGroup(" + group199 + ",1)]",
                                                  "[DeleteItem(" + item199 + ")]"}));
  EXPECT_FALSE(programManager().HasGroup(group150));
  ExpectNothingAllocated();
}

}  // namespace
