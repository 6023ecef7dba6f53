#include "shell/manager.h"

#include <windows.h>

#include <string>
#include <vector>

#include "common/machine_test.h"
#include "common/product.h"
#include "support/bounded_text.h"

namespace {

using Pieces = std::vector<std::string>;

const char kCommonKey[] = "SOFTWARE\\Velmora\\Common\\Paths";
const char kManagerDirectory[] = "C:\\Velmora\\Manager";
const char kCommonDirectory[] = "C:\\Velmora\\Common";

class ManagerTest : public MachineTest {
 protected:
  void SetProgramDir(const std::string& directory) {
    machine().registry.SetString(HKEY_LOCAL_MACHINE, keys::kManagerKey, "ProgramDir", directory);
  }
  void SetCommon(const std::string& directory) {
    machine().registry.SetString(HKEY_LOCAL_MACHINE, kCommonKey, "Common", directory);
  }
  // Raw value data, with no terminator of its own.
  void SetUnterminated(const char* key, const char* name, std::size_t length) {
    machine().registry.SetValue(HKEY_LOCAL_MACHINE, key, name, REG_SZ,
                                std::vector<BYTE>(length, 'd'));
  }
};

TEST_F(ManagerTest, NotInstalledWithoutItsKey) {
  EXPECT_EQ(ManagerInstalled(), 0);
  EXPECT_EQ(trace(), Pieces{"VDMGR is not installed...\n"});
}

TEST_F(ManagerTest, NotInstalledWithoutItsProgramDir) {
  machine().registry.CreateKey(HKEY_LOCAL_MACHINE, keys::kManagerKey);
  EXPECT_EQ(ManagerInstalled(), 0);
  EXPECT_EQ(trace(), (Pieces{"VDMGR key exists...\n", "Looking for VDMGR.EXE file ...\n",
                             "Can't open Program Dir value. Assuming that VDMGR is not installed...\n"}));
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(ManagerTest, ProgramDirsThatDoNotFitItsBufferAreNotUsed) {
  SetProgramDir(std::string(300, 'd'));
  EXPECT_EQ(ManagerInstalled(), 0);
  SetUnterminated(keys::kManagerKey, "ProgramDir", 260);  // would lose its last character
  EXPECT_EQ(ManagerInstalled(), 0);

  const std::string refused = "Can't open Program Dir value. Assuming that VDMGR is not installed...\n";
  EXPECT_EQ(trace()[2], refused);
  EXPECT_EQ(trace()[5], refused);
  EXPECT_EQ(machine().faults.CallCount("FindFirstFileA"), 0u);
}

TEST_F(ManagerTest, NotInstalledWithoutVdmgrExe) {
  SetProgramDir(kManagerDirectory);
  machine().files.AddDirectory(kManagerDirectory);
  EXPECT_EQ(ManagerInstalled(), 0);
  EXPECT_EQ(trace(), (Pieces{"VDMGR key exists...\n", "Looking for VDMGR.EXE file ...\n",
                             "VDMGR Directory ...\n", kManagerDirectory, "\n", "File mask: ",
                             "C:\\Velmora\\Manager\\VDMGR.EXE", "\n",
                             "The file VDMGR.EXE was not found. Assuming that VDMGR is not installed...\n"}));
}

TEST_F(ManagerTest, InstalledWhenVdmgrExeIsInItsDirectory) {
  SetProgramDir(kManagerDirectory);
  machine().files.AddFile(std::string(kManagerDirectory) + "\\VDMGR.EXE");
  EXPECT_EQ(ManagerInstalled(), 1);
  EXPECT_EQ(trace().back(), "The file VDMGR.EXE was found. VDMGR is assumed installed...\n");
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(ManagerTest, DirectoryEndingInBackslashIsUsedAsRead) {
  SetProgramDir(std::string(kManagerDirectory) + "\\");
  machine().files.AddFile(std::string(kManagerDirectory) + "\\VDMGR.EXE");
  EXPECT_EQ(ManagerInstalled(), 1);
  EXPECT_EQ(trace()[6], "C:\\Velmora\\Manager\\\\VDMGR.EXE");
}

TEST_F(ManagerTest, MaskTooLongForAPathIsNotSearched) {
  const std::string directory = "C:\\" + std::string(250, 'm');  // fits the value, not the mask
  SetProgramDir(directory);
  EXPECT_EQ(ManagerInstalled(), 0);
  EXPECT_EQ(Pieces(trace().end() - 3, trace().end()),
            (Pieces{"File mask too long, VDMGR is assumed not installed: ", directory + "\\VDMGR.EXE", "\n"}));
  EXPECT_EQ(machine().faults.CallCount("FindFirstFileA"), 0u);
}

TEST_F(ManagerTest, CommonDirectoryReadOnlyWhenItFits) {
  char buffer[kCommonDirectoryCapacity] = "earlier";
  EXPECT_EQ(ReadCommonDirectory(buffer), 0);  // no key: untouched
  EXPECT_STREQ(buffer, "earlier");

  machine().registry.CreateKey(HKEY_LOCAL_MACHINE, kCommonKey);
  EXPECT_EQ(ReadCommonDirectory(buffer), 1);  // no value: untouched
  EXPECT_STREQ(buffer, "earlier");

  const std::string longest(259, 'c');
  SetCommon(longest);
  EXPECT_EQ(ReadCommonDirectory(buffer), 1);
  EXPECT_EQ(std::string(buffer), longest);

  SetCommon(std::string(300, 'c'));
  EXPECT_EQ(ReadCommonDirectory(buffer), 1);
  EXPECT_STREQ(buffer, "");

  CopyText(buffer, "earlier");
  SetUnterminated(kCommonKey, "Common", 260);
  EXPECT_EQ(ReadCommonDirectory(buffer), 1);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(machine().OpenHandles(), 0u);
  EXPECT_TRUE(trace().empty());
}

TEST_F(ManagerTest, RunsTheUninstallerFromTheCommonDirectoryAndWaits) {
  SetCommon(kCommonDirectory);
  const std::string uninstaller = std::string(kCommonDirectory) + "\\vduninst.exe";
  machine().files.AddFile(uninstaller);
  machine().processes.Script(uninstaller, {nullptr, 90000, 0});
  const auto started = machine().clock.Now();

  EXPECT_EQ(RemoveManager(), 1);

  EXPECT_EQ(trace(), (Pieces{"Getting common dir...\n", kCommonDirectory, "\n", uninstaller, "\n",
                             "vduninst.exe UNINSTALL", "\n"}));
  ASSERT_EQ(machine().processes.launches.size(), 1u);
  const winsim::Launch& launch = machine().processes.launches[0];
  EXPECT_EQ(launch.application, uninstaller);
  EXPECT_EQ(launch.commandLine, "vduninst.exe UNINSTALL");
  EXPECT_EQ(launch.inheritHandles, FALSE);
  EXPECT_EQ(launch.creationFlags, static_cast<DWORD>(NORMAL_PRIORITY_CLASS));
  EXPECT_TRUE(launch.ownEnvironment);
  EXPECT_TRUE(launch.ownCurrentDirectory);
  EXPECT_EQ(launch.startupSize, sizeof(STARTUPINFOA));
  EXPECT_EQ(launch.startupFlags, static_cast<DWORD>(STARTF_USESHOWWINDOW));
  EXPECT_EQ(launch.showWindow, SW_SHOW);
  EXPECT_TRUE(launch.waitedFor);
  EXPECT_EQ(machine().clock.Now() - started, 90000u);
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(ManagerTest, WithoutACommonDirectoryNothingIsStarted) {
  machine().files.AddFile("C:\\vduninst.exe", "whatever sits at the root");

  EXPECT_EQ(RemoveManager(), 1);  // no common key
  machine().registry.CreateKey(HKEY_LOCAL_MACHINE, kCommonKey);
  EXPECT_EQ(RemoveManager(), 1);  // the key without its value: an empty directory line

  const char notFound[] = "Common directory not found, VDMGR uninstaller vduninst.exe not found.\n";
  EXPECT_EQ(trace(), (Pieces{"Getting common dir...\n", notFound, "Getting common dir...\n", "", "\n", notFound}));
  EXPECT_TRUE(machine().processes.launches.empty());
  EXPECT_EQ(machine().faults.CallCount("CreateProcessA"), 0u);
}

TEST_F(ManagerTest, AMissingUninstallerLeavesOnlyTheTrace) {
  SetCommon(std::string(kCommonDirectory) + "\\");
  EXPECT_EQ(RemoveManager(), 1);
  EXPECT_EQ(trace()[3], "C:\\Velmora\\Common\\\\vduninst.exe");
  EXPECT_EQ(trace().size(), 7u);
  EXPECT_EQ(machine().faults.CallCount("CreateProcessA"), 1u);
  EXPECT_TRUE(machine().processes.launches.empty());
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(ManagerTest, UninstallerPathTooLongIsNotStarted) {
  const std::string directory = "C:\\" + std::string(250, 'c');
  SetCommon(directory);
  EXPECT_EQ(RemoveManager(), 1);
  EXPECT_EQ(Pieces(trace().end() - 3, trace().end()),
            (Pieces{"Path too long, VDMGR uninstaller not started: ", directory + "\\vduninst.exe", "\n"}));
  EXPECT_EQ(machine().faults.CallCount("CreateProcessA"), 0u);
}

}  // namespace
