#include "uninstall/profile.h"

#include "common/machine_test.h"
#include "common/product.h"
#include "support/prompts.h"

namespace {

class ProfileTest : public MachineTest {
 protected:
  void WriteProfile(const std::string& text) { machine().files.AddFile(kProfile, text); }
};

TEST_F(ProfileTest, ReadsEveryTextIntoItsField) {
  InstallProduct();
  ProfileTexts profile = LoadProfile(kProfile, false);
  EXPECT_EQ(profile.caption, texts::kCaption);
  EXPECT_EQ(profile.couldNotFindPath, texts::kCouldNotFindPath);
  EXPECT_EQ(profile.noModifyRights, texts::kNoModifyRights);
  EXPECT_EQ(profile.stopErrors[0], texts::kStopErrorMain);
  EXPECT_EQ(profile.stopErrors[1], texts::kStopErrorAgent);
  EXPECT_EQ(profile.stopErrors[2], texts::kStopErrorOnAccess);
  EXPECT_EQ(profile.warnDirPrompt3, texts::kWarnDir3);
  EXPECT_EQ(profile.snmpUninstallPrompt, texts::kSnmpPrompt);
  EXPECT_EQ(profile.snmpCannotUninstall, texts::kSnmpCannot);
  EXPECT_EQ(profile.snmpUninstalled, texts::kSnmpDone);
  EXPECT_EQ(profile.finishPrompt, texts::kFinish);
  EXPECT_EQ(profile.restartText, std::string(texts::kRestart1) + "\n" + texts::kRestart2);
  EXPECT_EQ(profile.programGroupName, texts::kProgramGroup);
}

TEST_F(ProfileTest, WholeDirectorySettingIsOffOnlyForZero) {
  for (auto [value, expected] : std::vector<std::pair<std::string, bool>>{
           {"0", false}, {"1", true}, {"7", true}, {"no", false}, {"0x0", false}, {"", true}}) {
    winsim::Reset();
    WriteProfile("[Settings]\nEnableWholeDirRemove=" + value + "\n");
    ProfileTexts profile = LoadProfile(kProfile, false);
    EXPECT_EQ(profile.wholeDirectoryRemoval, expected) << "value \"" << value << "\"";
    EXPECT_EQ(winsim::machine().debug.pieces.at(2), expected ? "TRUE" : "FALSE");
  }
}

TEST_F(ProfileTest, TextsAreCutTo199Characters) {
  WriteProfile("[Strings]\nRemovePrompt=" + std::string(250, 'r') + "\n");
  EXPECT_EQ(LoadProfile(kProfile, false).removePrompt, std::string(199, 'r'));
}

}  // namespace
