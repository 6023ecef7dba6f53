#include "shell/manager.h"

#include <windows.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/machine_test.h"
#include "common/product.h"
#include "support/bounded_text.h"

namespace {

using Pieces = std::vector<std::string>;

const char kCommonKey[] = "SOFTWARE\\Velmora\\Common\\Paths";
const char kCommonDirectory[] = "C:\\Velmora\\Common";
const char kNotFound[] = "Common directory not found, VDMGR uninstaller vduninst.exe not found.\n";

class ManagerTest : public MachineTest {
 protected:
  // Raw value data, with no terminator of its own.
  void SetUnterminated(const char* key, const char* name, std::size_t length) {
    machine().registry.SetValue(HKEY_LOCAL_MACHINE, key, name, REG_SZ, std::vector<BYTE>(length, 'd'));
  }
};

TEST_F(ManagerTest, InstalledOnlyWhenVdmgrExeIsFoundThroughAMaskThatFits) {
  const std::string refused = "Can't open Program Dir value. Assuming that VDMGR is not installed...\n";
  const std::string found = "The file VDMGR.EXE was found. VDMGR is assumed installed...\n";
  const std::string notFound = "The file VDMGR.EXE was not found. Assuming that VDMGR is not installed...\n";
  const auto searched = [](const std::string& directory, const std::string& mask, const std::string& verdict) {
    return Pieces{"VDMGR Directory ...\n", directory, "\n", "File mask: ", mask, "\n", verdict};
  };
  const std::string plain = "C:\\Velmora\\Manager";
  const std::string longest = "C:\\" + std::string(246, 'm');  // with "\VDMGR.EXE", 259 characters
  const std::string tooLongByOne = longest + "m";                // 260: no room for the terminator
  struct Case {
    std::optional<std::string> programDir;  // none: the key without the value
    std::size_t unterminated;                // > 0: raw data of this length instead
    bool withExe; int installed; Pieces afterLookingFor;  // the trace after the key was found
  };
  for (const Case& c : std::vector<Case>{
           {std::nullopt, 0, false, 0, {refused}},
           {std::string(300, 'd'), 0, false, 0, {refused}},
           {std::nullopt, 260, false, 0, {refused}},  // would lose its last character
           {plain, 0, false, 0, searched(plain, plain + "\\VDMGR.EXE", notFound)},
           {plain + "\\", 0, true, 1, searched(plain + "\\", plain + "\\\\VDMGR.EXE", found)},
           {longest, 0, true, 1, searched(longest, longest + "\\VDMGR.EXE", found)},
           {tooLongByOne, 0, true, 0,
            {"VDMGR Directory ...\n", tooLongByOne, "\n", "File mask too long, VDMGR is assumed not installed: ",
             tooLongByOne + "\\VDMGR.EXE", "\n"}},
       }) {
    SCOPED_TRACE(c.programDir.value_or("no value").substr(0, 40));
    winsim::Machine& m = winsim::Reset();
    m.registry.CreateKey(HKEY_LOCAL_MACHINE, keys::kManagerKey);
    if (c.programDir) m.registry.SetString(HKEY_LOCAL_MACHINE, keys::kManagerKey, "ProgramDir", *c.programDir);
    if (c.unterminated) SetUnterminated(keys::kManagerKey, "ProgramDir", c.unterminated);
    if (c.withExe) m.files.AddFile((c.programDir == plain + "\\" ? plain : *c.programDir) + "\\VDMGR.EXE");

    EXPECT_EQ(ManagerInstalled(), c.installed);

    Pieces expected{"VDMGR key exists...\n", "Looking for VDMGR.EXE file ...\n"};
    expected.insert(expected.end(), c.afterLookingFor.begin(), c.afterLookingFor.end());
    EXPECT_EQ(trace(), expected);
  }
}

TEST_F(ManagerTest, CommonDirectoryReadOnlyWhenItFits) {
  char buffer[kCommonDirectoryCapacity] = "earlier";
  EXPECT_EQ(ReadCommonDirectory(buffer), 0);  // no key: untouched
  EXPECT_STREQ(buffer, "earlier");

  machine().registry.CreateKey(HKEY_LOCAL_MACHINE, kCommonKey);
  EXPECT_EQ(ReadCommonDirectory(buffer), 1);  // no value: untouched
  EXPECT_STREQ(buffer, "earlier");

  const std::string longest = "C:\\" + std::string(256, 'c');
  for (const auto& [value, read] : {std::pair(longest, longest), std::pair("C:" + std::string(300, 'c'), std::string()),
                                    std::pair(std::string("\\Program Files\\Velmora"), std::string())}) {
    machine().registry.SetString(HKEY_LOCAL_MACHINE, kCommonKey, "Common", value);
    EXPECT_EQ(ReadCommonDirectory(buffer), 1);
    EXPECT_EQ(buffer, read);
  }
  CopyText(buffer, "earlier");
  SetUnterminated(kCommonKey, "Common", 260);
  EXPECT_EQ(ReadCommonDirectory(buffer), 1);
  EXPECT_STREQ(buffer, "");
  EXPECT_TRUE(trace().empty());
}

// Its trace word for word is the scenario manager-uninstall's; on the simulated machine
// the scenario's stand-in is done as soon as it starts, so only here is the wait seen.
TEST_F(ManagerTest, RunsTheUninstallerFromTheCommonDirectoryAndWaits) {
  machine().registry.SetString(HKEY_LOCAL_MACHINE, kCommonKey, "Common", kCommonDirectory);
  const std::string uninstaller = std::string(kCommonDirectory) + "\\vduninst.exe";
  machine().files.AddFile(uninstaller);
  machine().processes.Script(uninstaller, {nullptr, 90000, 0});
  EXPECT_EQ(RemoveManager(), 1);
  ASSERT_EQ(machine().processes.launches.size(), 1u);
  ExpectStartedAndWaitedFor(machine().processes.launches[0], uninstaller, "vduninst.exe UNINSTALL");
  EXPECT_EQ(machine().clock.Now(), 90000u);
}

TEST_F(ManagerTest, NothingIsStartedWithoutACommonDirectoryOrAPathThatFits) {
  const std::string tooLong = "C:\\" + std::string(244, 'c');  // with "\vduninst.exe", 260 characters
  struct Case {
    std::optional<std::string> common;  // none: the key without the value
    bool key;
    Pieces afterGetting;  // the trace after "Getting common dir...\n"
    unsigned creates;
  };
  for (const Case& c : std::vector<Case>{
           {std::nullopt, false, {kNotFound}, 0},
           {std::nullopt, true, {"", "\n", kNotFound}, 0},
           {std::string(kCommonDirectory) + "\\", true,
            {std::string(kCommonDirectory) + "\\", "\n", "C:\\Velmora\\Common\\\\vduninst.exe", "\n",
             "vduninst.exe UNINSTALL", "\n"},
            1},
           {tooLong, true,
            {tooLong, "\n", "Path too long, VDMGR uninstaller not started: ", tooLong + "\\vduninst.exe", "\n"},
            0},
       }) {
    SCOPED_TRACE(c.afterGetting.size());
    winsim::Machine& m = winsim::Reset();
    m.files.AddFile("C:\\vduninst.exe", "whatever sits at the root");
    if (c.key) m.registry.CreateKey(HKEY_LOCAL_MACHINE, kCommonKey);
    if (c.common) m.registry.SetString(HKEY_LOCAL_MACHINE, kCommonKey, "Common", *c.common);

    EXPECT_EQ(RemoveManager(), 1);

    Pieces expected{"Getting common dir...\n"};
    expected.insert(expected.end(), c.afterGetting.begin(), c.afterGetting.end());
    EXPECT_EQ(trace(), expected);
    EXPECT_EQ(m.faults.CallCount("CreateProcessA"), c.creates);
    EXPECT_TRUE(m.processes.launches.empty());
  }
}

}  // namespace
