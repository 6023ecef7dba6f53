// The product directory's removal as part of the whole run.
#include <algorithm>
#include <string>
#include <vector>

#include "common/machine_test.h"
#include "common/product.h"
#include "uninstall/sequence.h"

namespace {

class FileRemovalRun : public MachineTest {
 protected:
  int Run() { return RunConsentedUninstall(); }
  winsim::FileSystem& files() { return machine().files; }
};

TEST_F(FileRemovalRun, WholeDirectoryModeComesBackForWhatWasStillInUse) {
  const SampleProduct install;
  InstallProduct(install);
  // The Install Shield uninstaller leaves the main program to a helper that lets go of
  // it 900 ms after the uninstaller has ended: the first pass still finds it in use.
  const std::string program = install.directory + "\\TESSORNT.EXE";
  winsim::ChildScript script;
  script.runtimeMs = 3000;
  script.run = [&](const winsim::Launch&) {
    files().HoldOpenUntil(program, machine().clock.Now() + script.runtimeMs + 900);
  };
  machine().processes.Script(machine().system.windowsDirectory + "\\uninst.exe", script);

  EXPECT_EQ(Run(), IDYES);
  EXPECT_FALSE(files().Exists(install.directory)) << files().Dump();
  EXPECT_TRUE(files().Exists("C:\\Program Files\\Varden"));
  // The first pass found the program in use and scheduled it; the second, 1000 ms
  // later, deleted it and the directory.
  const auto& pending = machine().Pending();
  EXPECT_EQ(std::count_if(pending.begin(), pending.end(),
                          [&](const winsim::PendingMove& move) { return move.from == program; }),
            1);
  EXPECT_TRUE(Traced({"Removing the whole VDAV directory...\n"}));
}

TEST_F(FileRemovalRun, ProductDirectoryStillInUseGoesWithTheRestart) {
  const SampleProduct install;
  InstallProduct(install);
  files().AddFile(install.directory + "\\VDAVLOG.TXT");
  files().HoldOpen(install.directory + "\\VDAVLOG.TXT");  // in use until the restart
  EXPECT_EQ(Run(), IDYES);
  ASSERT_TRUE(files().Exists(install.directory));
  // The directory comes after everything it still holds.
  const auto& pending = machine().Pending();
  auto isDirectory = [&](const winsim::PendingMove& move) { return move.from == install.directory; };
  auto isFile = [&](const winsim::PendingMove& move) { return move.from == install.directory + "\\VDAVLOG.TXT"; };
  auto directory = std::find_if(pending.begin(), pending.end(), isDirectory);
  ASSERT_NE(directory, pending.end());
  EXPECT_EQ(std::find_if(directory, pending.end(), isFile), pending.end());
  machine().Restart();
  EXPECT_FALSE(files().Exists(install.directory)) << files().Dump();
  EXPECT_TRUE(files().Exists("C:\\Program Files\\Varden"));
}

TEST_F(FileRemovalRun, WholeDirectoryModeLeavesAJunctionsTargetAlone) {
  const SampleProduct install;
  InstallProduct(install);
  files().AddFile("D:\\Users\\Anna\\thesis.doc");
  files().AddJunction(install.directory + "\\Reports\\Anna", "D:\\Users\\Anna");
  EXPECT_EQ(Run(), IDYES);
  EXPECT_FALSE(files().Exists(install.directory));
  EXPECT_TRUE(files().Exists("D:\\Users\\Anna\\thesis.doc"));
}

TEST_F(FileRemovalRun, ListModeRemovesOnlyTheListedFilesAndTheDirectoriesLeftEmpty) {
  SampleProduct install;
  install.wholeDirectoryRemoval = false;
  install.listedFiles = {"TESSORNT.EXE", "VAGENT.EXE", "vlalag32.dll", "TESSOR.HLP",
                         "Bases\\daily.avc", "Bases\\main.avc"};
  InstallProduct(install);
  files().AddDirectory(install.directory + "\\Temp");

  EXPECT_EQ(Run(), IDYES);
  EXPECT_EQ(files().List(install.directory), std::vector<std::string>{"Reports"});
  EXPECT_TRUE(files().Exists(install.directory + "\\Reports\\last.log"));
  EXPECT_TRUE(Traced({"Removing listed files...\n", "Phase 1. Removing listed files...\n",
                      "Try to remove the file: ", install.directory + "\\TESSORNT.EXE", "\n",
                      " ...ok\n"}));
  EXPECT_TRUE(Traced({"Try to remove the directory: ", install.directory + "\\Temp", "\n",
                      " ...ok\n", "Try to remove the directory: ", install.directory, "\n",
                      " ...not removed\n", "The directory is not empty.\r\n"}));
  for (const winsim::PendingMove& move : machine().Pending()) {
    EXPECT_NE(move.from.rfind(install.directory, 0), 0u) << move.from;
  }
}

}  // namespace
