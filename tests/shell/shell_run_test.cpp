// The shell and the management product in whole runs of the uninstaller.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/machine_test.h"
#include "common/product.h"

namespace {

class ShellRunTest : public MachineTest {
 protected:
  // Where `piece` stands in the trace; the trace's size when it is not there.
  std::size_t TraceIndex(const std::string& piece) {
    return std::find(trace().begin(), trace().end(), piece) - trace().begin();
  }
  std::vector<std::string> TraceAfter(const std::string& piece, std::size_t count) {
    std::size_t first = TraceIndex(piece) + 1;
    if (first + count > trace().size()) return {};
    return {trace().begin() + first, trace().begin() + first + count};
  }
};

TEST_F(ShellRunTest, ManagerIsDetectedEarlyAndItsUninstallerRunNearTheEnd) {
  ProductInstall install;
  install.withManager = true;
  InstallProduct(machine(), install);
  const std::string uninstaller = install.commonDirectory + "\\vduninst.exe";
  bool driversPresentWhileManagerRan = false;
  machine().processes.Script(uninstaller, {[&](const winsim::Launch&) {
                                             driversPresentWhileManagerRan =
                                                 machine().files.Exists(install.commonDirectory + "\\vdwd.sys");
                                           },
                                           45000, 0});

  EXPECT_EQ(RunConsentedUninstall(), IDYES);

  EXPECT_EQ(TraceAfter("Checking if VD Manager is installed...\n", 9),
            (std::vector<std::string>{
                "VDMGR key exists...\n", "Looking for VDMGR.EXE file ...\n", "VDMGR Directory ...\n",
                install.managerDirectory, "\n", "File mask: ", install.managerDirectory + "\\VDMGR.EXE",
                "\n", "The file VDMGR.EXE was found. VDMGR is assumed installed...\n"}));
  EXPECT_EQ(TraceAfter("Removing Varden Manager...\n", 7),
            (std::vector<std::string>{"Getting common dir...\n", install.commonDirectory, "\n",
                                      uninstaller, "\n", "vduninst.exe UNINSTALL", "\n"}));
  EXPECT_LT(TraceIndex("Checking if VD Manager is installed...\n"),
            TraceIndex("Killing VDAV active parts running...\n"));
  EXPECT_LT(TraceIndex("Removing additional VDAV registry settings...\n"),
            TraceIndex("Removing Varden Manager...\n"));
  EXPECT_LT(TraceIndex("Removing Varden Manager...\n"), TraceIndex("Remove WD driver files...\n"));

  const std::vector<winsim::Launch>& launches = machine().processes.launches;
  ASSERT_EQ(launches.size(), 2u);
  EXPECT_EQ(launches[0].commandLine, "uninst.exe -y -f");
  EXPECT_EQ(launches[1].application, uninstaller);
  EXPECT_EQ(launches[1].commandLine, "vduninst.exe UNINSTALL");
  EXPECT_TRUE(launches[1].waitedFor);
  EXPECT_TRUE(driversPresentWhileManagerRan);
  EXPECT_FALSE(machine().files.Exists(install.commonDirectory + "\\vdwd.sys"));
  EXPECT_FALSE(machine().files.Exists(install.commonDirectory + "\\vdfilter.400"));
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(ShellRunTest, WithoutTheManagerItsUninstallerIsNotLookedFor) {
  InstallProduct(machine());
  EXPECT_EQ(RunConsentedUninstall(), IDYES);
  EXPECT_EQ(TraceAfter("Checking if VD Manager is installed...\n", 1),
            std::vector<std::string>{"VDMGR is not installed...\n"});
  EXPECT_EQ(TraceIndex("Removing Varden Manager...\n"), trace().size());
  EXPECT_EQ(TraceIndex("Getting common dir...\n"), trace().size());
  EXPECT_EQ(machine().processes.launches.size(), 1u);
}

TEST_F(ShellRunTest, OnNt3TheGroupAndTheStartupItemAreDeleted) {
  machine().system.majorVersion = 3;
  machine().system.minorVersion = 51;
  machine().system.buildNumber = 1057;
  ProductInstall install;
  install.withProgramManager = true;
  InstallProduct(machine(), install);

  EXPECT_EQ(RunConsentedUninstall(), IDYES);

  const winsim::ProgramManager& programManager = machine().dde.programManager;
  EXPECT_FALSE(programManager.HasGroup(texts::kProgramGroup));
  EXPECT_FALSE(programManager.HasItem(shell::kStartupGroup, shell::kAgentItem));
  EXPECT_TRUE(programManager.HasItem(shell::kStartupGroup, shell::kForeignStartupItem));
  EXPECT_TRUE(programManager.HasGroup(shell::kForeignGroup));
  std::vector<std::string> commands;
  for (const winsim::DdeTransaction& transaction : machine().dde.transactions) {
    commands.push_back(transaction.command);
  }
  EXPECT_EQ(commands, (std::vector<std::string>{"[DeleteGroup(Varden Anti-Virus)]",
                                                "[ShowGroup(Startup,1)]", "[DeleteItem(V-Agent)]"}));
  EXPECT_TRUE(machine().processes.launches.empty());  // no Install Shield on NT 3.x
  EXPECT_EQ(machine().dde.leftForUninitialize, 0u);
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

}  // namespace
