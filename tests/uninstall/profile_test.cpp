#include "uninstall/profile.h"

#include "common/machine_test.h"
#include "common/product.h"
#include "support/prompts.h"

namespace {

class ProfileTest : public MachineTest {
 protected:
  void WriteProfile(const std::string& text) { machine().files.AddFile(kProfile, text); }
};

// The other texts are each in a scenario's boxes or trace word for word (the caption in
// all, the rights text in UnattendedTest's); the stop errors of the agent program and
// the on-access component are in none.
TEST_F(ProfileTest, ReadsTheStopErrorTextsOfTheAgentAndTheOnAccessComponent) {
  InstallProduct();
  ProfileTexts profile = LoadProfile(kProfile, kProfile, false);
  EXPECT_EQ(profile.stopErrors[1], texts::kStopErrorAgent);
  EXPECT_EQ(profile.stopErrors[2], texts::kStopErrorOnAccess);
}

TEST_F(ProfileTest, WholeDirectorySettingIsOffOnlyForZero) {
  for (auto [value, expected] : std::vector<std::pair<std::string, bool>>{
           {"0", false}, {"1", true}, {"7", true}, {"no", false}, {"0x0", false}, {"", true}}) {
    winsim::Reset();
    WriteProfile("[Settings]\nEnableWholeDirRemove=" + value + "\n");
    ProfileTexts profile = LoadProfile(kProfile, kProfile, false);
    EXPECT_EQ(profile.wholeDirectoryRemoval, expected) << "value \"" << value << "\"";
    EXPECT_EQ(winsim::machine().debug.pieces.at(2), expected ? "TRUE" : "FALSE");
  }
}

TEST_F(ProfileTest, TextsAreCutTo199Characters) {
  WriteProfile("[Strings]\nRemovePrompt=" + std::string(250, 'r') + "\n");
  EXPECT_EQ(LoadProfile(kProfile, kProfile, false).removePrompt, std::string(199, 'r'));
}

}  // namespace
