#include "uninstall/removal_record.h"

#include <random>

#include "common/machine_test.h"
#include "common/product.h"
#include "reliability/whole_run.h"
#include "uninstall/profile.h"

namespace {

const char kRecord[] = "C:\\WINNT\\tvuninst.rec";

class RemovalRecordTest : public MachineTest {};

// Whatever a profile holds, the record gives back the texts, settings and list that the
// run read from it, and the directory.
TEST_F(RemovalRecordTest, GivesBackWhatTheRunReadFromAnyProfile) {
  std::mt19937 random(23);
  const std::string alphabet = "ab Z\t\"'=;[]%\\.:";
  auto text = [&](std::size_t longest = 270) {
    std::string value(std::uniform_int_distribution<std::size_t>(0, longest)(random), ' ');
    for (char& c : value) c = alphabet[random() % alphabet.size()];
    return value;
  };
  for (int seed = 0; seed < 60; ++seed) {
    winsim::Reset();
    std::string profile = "[Strings]\r\n";
    for (const char* key : {"MessageBoxCaption", "CouldNotFindPath", "RemovePrompt", "NoModifyRights",
                            "StopErrorMsgVDAV", "StopErrorMsgVAgent", "StopErrorMsgWD", "WarnDirPrompt1",
                            "WarnDirPrompt2", "WarnDirPrompt3", "SNMPUninstallPrompt", "SNMPCannotUninstall",
                            "SNMPUninstalled", "FinishPrompt", "RestartPromptPart1", "RestartPromptPart2"}) {
      profile += std::string(key) + "=" + text() + "\r\n";
    }
    profile += "[Settings]\r\nEnableWholeDirRemove=" + std::to_string(random() % 2) +
               "\r\nUnattended=" + std::to_string(random() % 2) + "\r\nUnattendedStopFailure=" +
               (random() % 2 ? "abort" : "x") + "\r\nLogFile=C:\\" + text(200) + "\r\nStartupGroupName=" + text() +
               "\r\nProgramGroupName=" + text() + "\r\n[Files]\r\n";
    for (unsigned i = 1, n = random() % 6; i <= n; ++i) profile += "File" + std::to_string(i) + "=" + text() + "\r\n";
    machine().files.AddFile(kProfile, profile);
    const ProfileTexts read = LoadProfile(kProfile, true);
    FileList files;
    ReadFileList(kProfile, files);
    const std::string directory = "C:\\Program Files\\" + text(200);

    ASSERT_TRUE(WriteRemovalRecord(kRecord, directory, read, files)) << profile;
    FileList recordedFiles;
    ReadFileList(kRecord, recordedFiles);
    EXPECT_EQ(RecordedDirectory(kRecord), directory);
    EXPECT_TRUE(LoadProfile(kRecord, true) == read) << profile;
    EXPECT_EQ(recordedFiles, files) << profile;
  }
}

// The record speaks for the run only where the product's own entries no longer can. A
// record followed once the App Paths entry went is the scenario
// power-cut-after-application-keys.
TEST_F(RemovalRecordTest, IsFollowedOnceTheAppPathsEntryOrTheProfileOfItsDirectoryIsGone) {
  struct Case {
    const char* what;
    std::string recorded;
    bool appPaths, profile, whole, finishes;
  };
  const std::string installed = "C:\\Program Files\\Varden\\Anti-Virus";
  for (const Case& c : {Case{"the product as installed", installed, true, true, true, false},
                        Case{"a record cut short", installed, false, true, false, false},
                        Case{"the profile gone", "c:\\PROGRA~1\\varden\\anti-virus\\", true, false, true, true},
                        Case{"an older record", "C:\\Program Files\\Varden", true, false, true, false}}) {
    SCOPED_TRACE(c.what);
    winsim::Reset();
    InstallProduct();
    machine().files.SetShortName("C:\\Program Files", "PROGRA~1");
    ASSERT_TRUE(WriteRemovalRecord(kRecord, c.recorded, ProfileTexts(), {}));
    if (!c.whole) machine().files.AddFile(kRecord, machine().files.ReadFile(kRecord)->substr(0, 300));
    if (!c.appPaths) machine().registry.DeleteTree(HKEY_LOCAL_MACHINE, kAppPaths);
    if (!c.profile) machine().files.Remove(*machine().files.Lookup(kProfile));
    EXPECT_EQ(FinishesRecordedRemoval(RecordedDirectory(kRecord), kProfile), c.finishes);
  }
}

}  // namespace
