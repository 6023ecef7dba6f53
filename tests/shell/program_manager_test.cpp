#include "shell/program_manager.h"

#include <windows.h>
#include <ddeml.h>

#include <utility>
#include <string>
#include <vector>

#include "common/machine_test.h"
#include "common/product.h"

namespace {

using Names = std::vector<std::string>;

class ProgramManagerTest : public MachineTest {
 protected:
  void SetUp() override {
    MachineTest::SetUp();
    InstallProduct({.withProgramGroups = true});
    programManager().activeGroup = texts::kForeignGroup;
  }
  winsim::Dde& dde() { return machine().dde; }
  winsim::ProgramManager& programManager() { return machine().dde.programManager; }

  // Nothing of the conversation is left, and the program ended it itself rather than
  // leaving its handles to DdeUninitialize.
  void ExpectNothingAllocated() {
    EXPECT_EQ(dde().leftForUninitialize, 0u);
  }
};

TEST_F(ProgramManagerTest, DeletesTheGroupWithOneExecuteCommandAndCleansUpInOrder) {
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
  EXPECT_TRUE(sent.dataHandle);
  EXPECT_EQ(sent.format, static_cast<UINT>(CF_TEXT));
  EXPECT_EQ(sent.type, static_cast<UINT>(XTYP_EXECUTE));
  EXPECT_EQ(sent.timeoutMs, 10000u);
  EXPECT_EQ(dde().calls, (Names{"DdeInitializeA", "DdeCreateStringHandleA", "DdeConnect", "DdeCreateDataHandle",
                                "DdeClientTransaction", "DdeFreeStringHandle", "DdeDisconnect", "DdeUninitialize"}));
  ExpectNothingAllocated();
}

TEST_F(ProgramManagerTest, CommandsCarryTheNamesWholeAndAsTheyAre) {
  const std::string g150(150, 'G'), g199(199, 'H'), i199(199, 'I');
  // "group" names a group, "group/item" an item of it: the calls made, and what is there afterwards.
  const auto split = [](const std::string& what) {
    const std::size_t slash = what.find('/');
    return std::pair(what.substr(0, slash), slash == std::string::npos ? "" : what.substr(slash + 1));
  };
  struct Case {
    Names extra, calls, commands;
    std::vector<bool> accepted;  // empty: not looked at
    bool running; Names gone, stay;
  };
  for (const Case& c : std::vector<Case>{
           // The item of the named group goes, also when another group is active.
           {{"Other Tools/V-Agent"}, {"Startup/V-Agent"}, {"[ShowGroup(Startup,1)]", "[DeleteItem(V-Agent)]"}, {true, true},
            true, {"Startup/V-Agent"}, {"Startup/Other Tool", "Other Tools/V-Agent"}},
           // With no active group Program Manager refuses the item as well, but it is asked.
           {{}, {"No Such Group/V-Agent"}, {"[ShowGroup(No Such Group,1)]", "[DeleteItem(V-Agent)]"}, {false, false},
            true, {}, {}},
           {{}, {texts::kProgramGroup, "Startup/V-Agent"},
            {"[DeleteGroup(Varden Anti-Virus)]", "[ShowGroup(Startup,1)]", "[DeleteItem(V-Agent)]"},
            {false, false, false}, false, {}, {texts::kProgramGroup, "Startup/V-Agent"}},
           {{}, {"Tools, (Old)", "", "A(b)/x,y)"},
            {"[DeleteGroup(Tools, (Old))]", "[DeleteGroup()]", "[ShowGroup(A(b),1)]", "[DeleteItem(x,y))]"}, {},
            true, {}, {}},
           {{g150 + "/item"}, {g150, g199 + "/" + i199},
            {"[DeleteGroup(" + g150 + ")]", "[ShowGroup(" + g199 + ",1)]", "[DeleteItem(" + i199 + ")]"}, {}, true,
            {g150}, {}},
       }) {
    SCOPED_TRACE(c.commands[0].substr(0, 40));
    winsim::Reset();
    InstallProduct({.withProgramGroups = true});
    programManager().activeGroup = texts::kForeignGroup;
    for (const std::string& item : c.extra) programManager().AddItem(split(item).first, split(item).second);
    programManager().running = c.running;

    for (const std::string& call : c.calls) {
      const auto [group, item] = split(call);
      EXPECT_EQ(call.find('/') == std::string::npos ? DeleteProgramGroup(group.c_str())
                                                     : DeleteProgramItem(group.c_str(), item.c_str()), 1);
    }

    Names commands;
    std::vector<bool> accepted;
    for (const winsim::DdeTransaction& transaction : dde().transactions) {
      commands.push_back(transaction.command);
      accepted.push_back(transaction.accepted);
      EXPECT_TRUE(transaction.terminated) << transaction.command;
      EXPECT_EQ(transaction.connected, c.running) << transaction.command;
      if (c.calls.size() == 1) { EXPECT_EQ(transaction.instance, dde().transactions[0].instance); }
    }
    EXPECT_EQ(commands, c.commands);
    if (!c.accepted.empty()) { EXPECT_EQ(accepted, c.accepted); }
    if (c.running) { EXPECT_EQ(dde().connections.size(), c.calls.size()); }  // one conversation a call
    const auto present = [&](const std::string& what) {
      const auto [group, item] = split(what);
      return what.find('/') == std::string::npos ? programManager().HasGroup(group) : programManager().HasItem(group, item);
    };
    for (const std::string& what : c.gone) EXPECT_FALSE(present(what)) << what;
    for (const std::string& what : c.stay) EXPECT_TRUE(present(what)) << what;
    ExpectNothingAllocated();
  }
}

TEST_F(ProgramManagerTest, WithoutDdeOrTheServiceNameNothingIsSent) {
  machine().faults.FailCall("DdeInitializeA", 1, DMLERR_SYS_ERROR);
  EXPECT_EQ(DeleteProgramGroup(texts::kProgramGroup), 0);
  machine().faults.FailCall("DdeInitializeA", 2, DMLERR_SYS_ERROR);
  EXPECT_EQ(DeleteProgramItem(texts::kStartupGroup, texts::kAgentItem), 0);
  EXPECT_EQ(dde().calls, (Names{"DdeInitializeA", "DdeInitializeA"}));

  // Without the service name no conversation is attempted.
  machine().faults.FailCall("DdeCreateStringHandleA", 1, DMLERR_SYS_ERROR);
  EXPECT_EQ(DeleteProgramGroup(texts::kProgramGroup), 1);
  EXPECT_EQ(dde().calls, (Names{"DdeInitializeA", "DdeInitializeA", "DdeInitializeA", "DdeCreateStringHandleA",
                                "DdeUninitialize"}));
  EXPECT_TRUE(programManager().HasGroup(texts::kProgramGroup));
  ExpectNothingAllocated();
}

}  // namespace
