// The product directory's removal as part of the whole run.
#include <algorithm>
#include <string>

#include "common/machine_test.h"
#include "common/product.h"

namespace {

using FileRemovalRun = MachineTest;

TEST_F(FileRemovalRun, WholeDirectoryModeComesBackForWhatWasStillInUse) {
  const SampleProduct install;
  InstallProduct(install);
  // The Install Shield uninstaller leaves the main program to a helper that lets go of
  // it 900 ms after the uninstaller has ended: the first pass still finds it in use.
  const std::string program = install.directory + "\\TESSORNT.EXE";
  winsim::ChildScript script;
  script.runtimeMs = 3000;
  script.run = [&](const winsim::Launch&) {
    machine().files.HoldOpenUntil(program, machine().clock.Now() + script.runtimeMs + 900);
  };
  machine().processes.Script(machine().system.windowsDirectory + "\\uninst.exe", script);

  EXPECT_EQ(RunConsentedUninstall(), IDYES);
  EXPECT_FALSE(machine().files.Exists(install.directory)) << machine().files.Dump();
  EXPECT_TRUE(machine().files.Exists("C:\\Program Files\\Varden"));
  // The first pass found the program in use and scheduled it; the second, 1000 ms
  // later, deleted it and the directory.
  const auto& pending = machine().Pending();
  EXPECT_EQ(std::count_if(pending.begin(), pending.end(),
                          [&](const winsim::PendingMove& move) { return move.from == program; }),
            1);
  EXPECT_TRUE(Traced({"Removing the whole VDAV directory...\n"}));
}

}  // namespace
