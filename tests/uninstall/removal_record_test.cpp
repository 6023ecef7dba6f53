#include "uninstall/removal_record.h"

#include <random>

#include "common/machine_test.h"
#include "common/product.h"
#include "reliability/whole_run.h"
#include "uninstall/profile.h"
#include "uninstall/sequence.h"

namespace {

const char kRecord[] = "C:\\WINNT\\tvuninst.rec";
const std::string kDirectory = SampleProduct().directory;

class RemovalRecordTest : public MachineTest {
 protected:
  bool TracedStart(const std::string& start) {
    return std::any_of(trace().begin(), trace().end(), [&](const std::string& piece) { return piece.rfind(start, 0) == 0; });
  }
};

// The texts the record gives back (read in NT 3.x mode): those the profile reader can
// give back whole; one with a line break is recorded empty.
ProfileTexts Recordable(ProfileTexts texts) {
  const auto clear = [](std::string& text) {
    if (text.find_first_of("\r\n") != std::string::npos) text.clear();
  };
  for (std::string* text : {&texts.caption, &texts.couldNotFindPath, &texts.removePrompt, &texts.noModifyRights,
                            &texts.stopErrors[0], &texts.stopErrors[1], &texts.stopErrors[2], &texts.warnDirPrompt1,
                            &texts.warnDirPrompt2, &texts.warnDirPrompt3, &texts.snmpUninstallPrompt,
                            &texts.snmpCannotUninstall, &texts.snmpUninstalled, &texts.finishPrompt,
                            &texts.programGroupName, &texts.startupGroupName, &texts.logFile}) {
    clear(*text);
  }
  const std::size_t lineBreak = texts.restartText.find('\n');
  std::string parts[] = {texts.restartText.substr(0, lineBreak),
                         lineBreak == std::string::npos ? "" : texts.restartText.substr(lineBreak + 1)};
  for (std::string& part : parts) clear(part);
  texts.restartText = parts[0] + "\n" + parts[1];
  if (texts.startupGroupName.empty()) texts.startupGroupName = "Startup";  // as an empty one reads
  return texts;
}

// Whatever a profile holds, the record is written and gives back the texts, settings and
// list that the run read from it, and the directory; what cannot be given back whole is
// left out and named.
TEST_F(RemovalRecordTest, GivesBackWhatTheRunReadFromAnyProfile) {
  std::mt19937 random(23);
  const std::string alphabet = "ab Z\t\"'=;[]%\\.:";
  auto text = [&](std::size_t longest = 270) {
    std::string value(std::uniform_int_distribution<std::size_t>(0, longest)(random), ' ');
    for (char& c : value) c = alphabet[random() % alphabet.size()];
    if (!value.empty() && random() % 8 == 0) value[random() % value.size()] = '\r';  // a bare carriage return
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
    const ProfileTexts read = LoadProfile(kProfile, kProfile, true);
    FileList files;
    ReadFileList(kProfile, files);
    std::string directory = "C:\\Program Files\\" + text(200);
    std::erase(directory, '\r');
    machine().debug.pieces.clear();

    ASSERT_TRUE(WriteRemovalRecord(kRecord, directory, read, files)) << profile;
    FileList recordedFiles, recordable;
    ReadFileList(kRecord, recordedFiles);
    std::copy_if(files.begin(), files.end(), std::back_inserter(recordable),
                 [](const std::string& file) { return file.find('\r') == std::string::npos; });
    EXPECT_EQ(ReadRemovalRecord(kRecord).directory, directory);
    EXPECT_TRUE(LoadProfile(kRecord, kRecord, true) == Recordable(read)) << profile;
    EXPECT_EQ(recordedFiles, recordable) << profile;
    const bool gaps = !(Recordable(read) == read) || recordable != files;
    EXPECT_EQ(TracedStart("Removal record written with gaps, left out: "), gaps) << profile;
  }
  // A restart text of one line is its first part alone; the gaps are named by their keys.
  ProfileTexts oneLine;
  oneLine.restartText = "Restart now.";
  oneLine.removePrompt = "Remove\r?";
  ASSERT_TRUE(WriteRemovalRecord(kRecord, kDirectory, oneLine, {"a.exe", "b\r.exe", "c.exe"}));
  EXPECT_EQ(LoadProfile(kRecord, kRecord, false).restartText, "Restart now.\n");
  EXPECT_TRUE(Traced({"Removal record written with gaps, left out: ", "RemovePrompt File2", "\n"}));
}

// The record speaks for the run only where the product's own entries no longer can, and
// only for the directory it was written for. A record followed once the App Paths entry
// went is the scenario power-cut-after-application-keys.
TEST_F(RemovalRecordTest, IsFollowedOnlyForItsOwnDirectoryOnceTheProductsEntriesAreGone) {
  struct Case {
    const char* what;
    std::string recorded;
    bool appPaths, profile, whole;
    std::function<void()> after;  // what happens once the record is written
    bool finishes;
    const char* traced;  // why it is not followed
  };
  const auto remove = [this] { machine().files.Remove(*machine().files.Lookup(kDirectory)); };
  const auto userFolder = [this, &remove] {
    remove();
    machine().files.AddFile(kDirectory + "\\letter.txt", "a user's");
  };
  const auto recordWithoutIdentity = [this] {
    const std::string text = *machine().files.ReadFile(kRecord);
    const std::size_t at = text.find("Identity=") + 9;
    machine().files.AddFile(kRecord, text.substr(0, at) + text.substr(text.find('\r', at)));
  };
  const auto garbled = [this] {  // one digit short
    const std::string text = *machine().files.ReadFile(kRecord);
    const std::size_t at = text.find("Identity=") + 9;
    machine().files.AddFile(kRecord, text.substr(0, at) + text.substr(at + 1));
  };
  const char* const another = "Removal record not followed, another directory is at its path: ";
  const char* const untold = "Removal record not followed, the directory at its path cannot be told: ";
  for (const Case& c : {
           Case{"the product as installed", kDirectory, true, true, true, {}, false, nullptr},
           Case{"a record cut short", kDirectory, false, true, false, {}, false, nullptr},
           Case{"the profile gone", "c:\\PROGRA~1\\varden\\anti-virus\\", true, false, true, {}, true, nullptr},
           Case{"an older record", "C:\\Program Files\\Varden", true, false, true, {}, false, nullptr},
           Case{"the entry and the directory gone", kDirectory, false, true, true, remove, true, nullptr},
           Case{"a user's folder made at its path", kDirectory, false, true, true, userFolder, false, another},
           Case{"the profile gone, another folder", kDirectory, true, false, true, userFolder, false, another},
           Case{"a record without the identity", kDirectory, false, true, true, recordWithoutIdentity, false, untold},
           Case{"a garbled identity", kDirectory, false, true, true, garbled, false, untold},
       }) {
    SCOPED_TRACE(c.what);
    winsim::Reset();
    InstallProduct();
    machine().files.SetShortName("C:\\Program Files", "PROGRA~1");
    ASSERT_TRUE(WriteRemovalRecord(kRecord, c.recorded, ProfileTexts(), {}));
    if (!c.whole) machine().files.AddFile(kRecord, machine().files.ReadFile(kRecord)->substr(0, 300));
    if (!c.appPaths) machine().registry.DeleteTree(HKEY_LOCAL_MACHINE, kAppPaths);
    if (!c.profile) machine().files.Remove(*machine().files.Lookup(kProfile));
    if (c.after) c.after();
    EXPECT_EQ(FinishesRecordedRemoval(ReadRemovalRecord(kRecord), kProfile), c.finishes);
    EXPECT_EQ(c.traced != nullptr && Traced({c.traced, kDirectory, "\n"}), c.traced != nullptr);
  }
}

// An old record made read-only is replaced; one that can be neither replaced nor removed
// leaves the run without a record, which the directory's identity keeps harmless.
TEST_F(RemovalRecordTest, AnOldRecordIsReplacedEvenReadOnlyAndOneLockedIsNotFollowed) {
  InstallProduct();
  machine().files.AddFile(kRecord, "[Record]\r\nDirectory=C:\\Users\r\nComplete=1\r\n");
  machine().files.SetAttributes(kRecord, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
  ASSERT_TRUE(WriteRemovalRecord(kRecord, kDirectory, ProfileTexts(), {}));
  EXPECT_EQ(ReadRemovalRecord(kRecord).directory, kDirectory);

  machine().files.HoldOpen(kRecord);
  EXPECT_FALSE(WriteRemovalRecord(kRecord, "C:\\Other", ProfileTexts(), {}));
  EXPECT_TRUE(Traced({"Removal record cannot be written: ", kRecord, "\n"}));
  EXPECT_EQ(ReadRemovalRecord(kRecord).directory, kDirectory);
}

// A completed removal's record stays until the restart, for good when the restart's list
// is lost; a folder that a user then makes at its path is not the product's.
TEST_F(RemovalRecordTest, ACompletedRunsRecordNeverRemovesAUsersFolderMadeAtItsPath) {
  InstallProduct();
  EXPECT_EQ(RunConsentedUninstall(), IDYES);
  machine().registry.SetString(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Session Manager",
                               "PendingFileRenameOperations", "", REG_MULTI_SZ);
  machine().files.AddFile(kDirectory + "\\letter.txt", "a user's");
  machine().debug.pieces.clear();
  machine().ui.boxes.clear();

  machine().ui.Answer(IDOK);
  char tail[] = "";
  EXPECT_EQ(WinMain(nullptr, nullptr, tail, SW_SHOW), kExitNoProductDirectory);
  EXPECT_TRUE(Traced({"Removal record not followed, another directory is at its path: ", kDirectory, "\n"}));
  EXPECT_EQ(machine().files.ReadFile(kDirectory + "\\letter.txt"), "a user's");
  EXPECT_EQ(machine().ui.boxes.size(), 1u);
}

// A deployment's profile put in place over a cut-off removal's record: its texts and
// settings hold, the record gives the directory, the removal mode and the list.
TEST_F(RemovalRecordTest, AProfileInPlaceGivesTheTextsAndSettingsOverTheRecord) {
  InstallProduct({.wholeDirectoryRemoval = false, .listedFiles = {"tessornt.exe"}});
  const std::string installed = *machine().files.ReadFile(kProfile);
  FileList files{"tessornt.exe"};
  ProfileTexts cutOff = LoadProfile(kProfile, kProfile, false);
  cutOff.removePrompt = "The cut-off run's prompt";
  ASSERT_TRUE(WriteRemovalRecord(kRecord, kDirectory, cutOff, files));
  machine().registry.DeleteTree(HKEY_LOCAL_MACHINE, kAppPaths);
  machine().files.AddDirectory("C:\\Logs");
  machine().files.AddFile(kProfile, "[Settings]\r\nUnattended=1\r\nEnableWholeDirRemove=1\r\nLogFile=" +
                                        std::string(kLog) + "\r\n");

  EXPECT_EQ(RunUninstall(""), kExitItemsLeft);  // the unlisted files keep the directory
  EXPECT_TRUE(machine().ui.boxes.empty());
  EXPECT_NE(machine().files.ReadFile(kLog).value_or("").find("Finishing the removal"), std::string::npos);
  EXPECT_TRUE(Traced({"EnableWholeDir= ", "FALSE", "\n"}));  // the list of the run that was cut off
  EXPECT_FALSE(machine().files.Exists(kDirectory + "\\tessornt.exe"));
  EXPECT_TRUE(machine().files.Exists(kDirectory));
}

// Whatever an old record says, a run that cannot read the App Paths entry follows
// nothing.
TEST_F(RemovalRecordTest, AnAppPathsEntryThatCannotBeReadIsNeverTakenForGone) {
  InstallProduct();
  ASSERT_TRUE(WriteRemovalRecord(kRecord, kDirectory, ProfileTexts(), {}));
  machine().registry.DenyAccess(HKEY_LOCAL_MACHINE, kAppPaths, KEY_QUERY_VALUE);
  machine().ui.Answer(IDOK);
  char tail[] = "";
  EXPECT_EQ(WinMain(nullptr, nullptr, tail, SW_SHOW), kExitNoProductDirectory);
  EXPECT_TRUE(Traced({"VDAV Path cannot be read.\n"}));
  EXPECT_FALSE(Traced({"Finishing the removal that a cut-off run recorded in "}));
  EXPECT_TRUE(machine().files.Exists(kDirectory + "\\tessornt.exe"));
}

// A volume whose redirector gives every file index 0 tells no directory from another:
// the product there is warned about, and a record of a directory there is not followed.
TEST_F(RemovalRecordTest, AFileIndexOfZeroTellsNothing) {
  machine().files.AddVolumeWithoutFileIndexes('N');
  InstallProduct({.directory = "N:\\Varden"});
  machine().ui.Answer(IDNO);
  char tail[] = "";
  EXPECT_EQ(WinMain(nullptr, nullptr, tail, SW_SHOW), kExitDeclined);
  EXPECT_TRUE(machine().files.Exists("N:\\Varden\\tessornt.exe"));

  ASSERT_TRUE(WriteRemovalRecord(kRecord, "N:\\Varden", ProfileTexts(), {}));
  machine().registry.DeleteTree(HKEY_LOCAL_MACHINE, kAppPaths);
  EXPECT_FALSE(FinishesRecordedRemoval(ReadRemovalRecord(kRecord), kProfile));
  machine().files.Remove(*machine().files.Lookup("N:\\Varden"));
  EXPECT_TRUE(FinishesRecordedRemoval(ReadRemovalRecord(kRecord), kProfile));
}

}  // namespace
