// Hostile and broken input met by a whole run, where no subsystem's own tests meet it:
// the run must end as defined, leave no handle open and remove nothing but the product.
#include <winsim/machine.h>

#include <random>

#include "common/machine_test.h"
#include "common/product.h"
#include "files/listed_files.h"
#include "reliability/whole_run.h"
#include "uninstall/profile.h"
#include "uninstall/sequence.h"

namespace {

const char kAppPaths[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\TESSORNT.EXE";

class BadInputTest : public MachineTest {
 protected:
  void SetUp() override {
    MachineTest::SetUp();
    machine().ui.answerer = [](const winsim::MessageBoxRecord& box) { return AnswerForRemoval(box.style); };
  }
  std::string ProfileFile() const { return "C:\\WINNT\\tvuninst.ini"; }
};

TEST_F(BadInputTest, AProfileThatIsNotTextGivesEmptyTextsAndTheWholeDirectoryGoes) {
  SampleProduct install;
  install.withProfile = false;
  InstallProduct(install);
  std::mt19937 random(8);
  std::string bytes(4096, '\0');
  for (char& byte : bytes) byte = static_cast<char>(random() % 256);
  machine().files.AddFile(ProfileFile(), bytes);

  EXPECT_EQ(RunUninstall(""), IDYES);

  for (const winsim::MessageBoxRecord& box : machine().ui.boxes) EXPECT_LT(box.text.size(), 200u);
  EXPECT_FALSE(machine().files.Exists(install.directory));
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(BadInputTest, TenThousandListedFilesAreAllReadAndTried) {
  SampleProduct install;
  install.wholeDirectoryRemoval = false;
  for (int i = 1; i <= 10000; ++i) {
    install.listedFiles.push_back("Bases\\" + std::to_string(i % 100) + "\\b" + std::to_string(i) + ".avc");
  }
  InstallProduct(install);
  for (const std::string& entry : install.listedFiles) machine().files.AddFile(install.directory + "\\" + entry);

  EXPECT_EQ(RunUninstall(""), IDYES);

  for (const std::string& entry : install.listedFiles) {
    EXPECT_FALSE(machine().files.Exists(install.directory + "\\" + entry)) << entry;
  }
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(BadInputTest, AFilesValueThatReadsAsEmptyTextEndsTheList) {
  machine().files.AddFile(ProfileFile(), std::string("[Files]\r\nFile1=TESSORNT.EXE\r\nFile2=\0hidden\r\nFile3=VAGENT.EXE\r\n", 63));
  FileList list;
  ReadFileList(ProfileFile().c_str(), list);
  EXPECT_EQ(list, FileList{"TESSORNT.EXE"});
}

TEST_F(BadInputTest, AProductDirectoryPastAPathsCapacityIsNotFound) {
  InstallProduct();
  machine().registry.SetString(HKEY_LOCAL_MACHINE, kAppPaths, "Path", "C:\\" + std::string(300, 'v'));
  const std::string before = machine().Snapshot();

  EXPECT_EQ(RunUninstall(""), kExitNoProductDirectory);

  EXPECT_EQ(machine().Snapshot(), before);
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(BadInputTest, AUncProductDirectoryIsTriedAndNothingElseIsTouched) {
  InstallProduct();
  machine().registry.SetString(HKEY_LOCAL_MACHINE, kAppPaths, "Path", "\\\\server\\share\\Varden");

  EXPECT_EQ(RunUninstall(""), IDYES);

  EXPECT_EQ(machine().ui.boxes.size(), 2u);  // no warning: consent and the last message
  EXPECT_TRUE(machine().files.Exists(SampleProduct().directory));  // not the one registered
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(BadInputTest, ACommandTailOfTenThousandCharactersIsHandedOnWhole) {
  InstallProduct();
  const std::string tail = " " + std::string(10000, 'x');

  EXPECT_EQ(RunUninstall(tail.c_str()), IDYES);

  ASSERT_EQ(machine().processes.launches.size(), 1u);
  EXPECT_EQ(machine().processes.launches[0].commandLine, "uninst.exe -y -f" + tail);
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

}  // namespace
