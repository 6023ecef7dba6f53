// Hostile and broken input met by a whole run, where no subsystem's own tests meet it:
// the run must end as it should, leave no handle open and remove nothing but the product.
#include <random>

#include "common/machine_test.h"
#include "common/product.h"
#include "reliability/whole_run.h"
#include "uninstall/sequence.h"

namespace {

const std::string kDirectory = SampleProduct().directory;

class BadInputTest : public MachineTest {
 protected:
  // A whole run over the product as `install` leaves it, which must leave nothing unsound.
  RunRecord Run(const SampleProduct& product, const std::function<void()>& input) {
    const RunRecord run = RunOverInstall({.install = [&] { InstallProduct(product), input(); }});
    EXPECT_EQ(Lines(RunProblems(run)), "");
    return run;
  }
  std::function<void()> RegisteredDirectory(const std::string& path) {
    return [this, path] { machine().registry.SetString(HKEY_LOCAL_MACHINE, kAppPaths, "Path", path); };
  }
};

TEST_F(BadInputTest, AProfileThatIsNotTextGivesEmptyTextsAndTheWholeDirectoryGoes) {
  std::mt19937 random(8);
  std::string bytes(4096, '\0');
  for (char& byte : bytes) byte = static_cast<char>(random() % 256);
  EXPECT_EQ(Run({}, [&] { machine().files.AddFile(kProfile, bytes); }).exitCode, IDYES);
  for (const winsim::MessageBoxRecord& box : machine().ui.boxes) EXPECT_LT(box.text.size(), 200u);
  EXPECT_FALSE(machine().files.Exists(kDirectory));
}

TEST_F(BadInputTest, TenThousandListedFilesAreAllReadAndTried) {
  SampleProduct product{.wholeDirectoryRemoval = false};
  for (int i = 1; i <= 10000; ++i) product.listedFiles.push_back("Bases\\" + std::to_string(i % 100) + "\\b" + std::to_string(i));
  auto addListed = [&] { for (const std::string& entry : product.listedFiles) machine().files.AddFile(kDirectory + "\\" + entry); };
  EXPECT_EQ(Run(product, addListed).exitCode, kExitItemsLeft);  // the unlisted files keep the directory
  for (const std::string& entry : product.listedFiles) EXPECT_FALSE(machine().files.Exists(kDirectory + "\\" + entry));
}

TEST_F(BadInputTest, AFilesValueThatReadsAsEmptyTextEndsTheList) {
  const std::string list = std::string("[Files]\r\nFile1=TESSORNT.EXE\r\nFile2=") + '\0' + "hidden\r\nFile3=VAGENT.EXE\r\n";
  EXPECT_EQ(Run({.wholeDirectoryRemoval = false},
                [&] { machine().files.AddFile(kProfile, *machine().files.ReadFile(kProfile) + list); }).exitCode,
            kExitItemsLeft);
  EXPECT_FALSE(machine().files.Exists(kDirectory + "\\TESSORNT.EXE"));
  EXPECT_TRUE(machine().files.Exists(kDirectory + "\\VAGENT.EXE"));
}

TEST_F(BadInputTest, AUncProductDirectoryIsTriedAndNothingElseIsTouched) {
  EXPECT_EQ(Run({}, RegisteredDirectory("\\\\server\\share\\Varden")).exitCode, IDYES);
  EXPECT_EQ(machine().ui.boxes.size(), 2u);  // no warning: consent and the last message
  EXPECT_TRUE(machine().files.Exists(kDirectory));  // not the one registered
}

}  // namespace
