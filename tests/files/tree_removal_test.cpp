#include <string>
#include <vector>

#include "common/machine_test.h"
#include "files/tree_removal.h"
#include "support/bounded_text.h"

namespace {

const std::string kProduct = "C:\\Program Files\\Varden\\Anti-Virus";

class TreeRemoval : public MachineTest {
 protected:
  void RemoveTree(const std::string& directory) {
    char buffer[MAX_PATH];
    ASSERT_TRUE(CopyText(buffer, directory));
    RemoveDirectoryTree(buffer);
    EXPECT_EQ(machine().files.OpenHandles(), 0u);
  }
  std::vector<std::string> Scheduled() {
    std::vector<std::string> paths;
    for (const winsim::PendingMove& move : machine().Pending()) {
      EXPECT_FALSE(move.to.has_value());
      paths.push_back(move.from);
    }
    return paths;
  }
  winsim::FileSystem& files() { return machine().files; }
};

TEST_F(TreeRemoval, RemovesAWholeTreeAtOnceAndSchedulesNothing) {
  files().AddFile(kProduct + "\\TESSORNT.EXE");
  files().AddFile(kProduct + "\\Bases\\main.avc");
  files().AddFile(kProduct + "\\Bases\\Old\\1998.avc");
  files().AddDirectory(kProduct + "\\Empty");
  RemoveTree(kProduct + "\\");
  EXPECT_FALSE(files().Exists(kProduct));
  EXPECT_TRUE(files().Exists("C:\\Program Files\\Varden"));
  EXPECT_TRUE(Scheduled().empty()) << "removed subdirectories must not be scheduled";
}

TEST_F(TreeRemoval, EmptyDirectoryGoesAndMissingOneIsLeftAlone) {
  files().AddDirectory(kProduct);
  RemoveTree(kProduct);
  EXPECT_FALSE(files().Exists(kProduct));
  RemoveTree("C:\\Missing\\Product");
  EXPECT_TRUE(Scheduled().empty());
}

TEST_F(TreeRemoval, FileInUseIsScheduledWithItsDirectoriesAndTheTopLeftForTheSecondPass) {
  files().AddFile(kProduct + "\\readme.txt");
  files().AddFile(kProduct + "\\Agent\\Hooks\\vhook.dll");
  files().AddFile(kProduct + "\\Agent\\vagent.cfg");
  files().AddFile(kProduct + "\\Bases\\main.avc");
  files().HoldOpen(kProduct + "\\Agent\\Hooks\\vhook.dll");

  RemoveTree(kProduct);
  EXPECT_EQ(Scheduled(), (std::vector<std::string>{kProduct + "\\Agent\\Hooks\\vhook.dll",
                                                    kProduct + "\\Agent\\Hooks",
                                                    kProduct + "\\Agent"}));
  EXPECT_EQ(files().List(kProduct), std::vector<std::string>{"Agent"});
  EXPECT_EQ(files().List(kProduct + "\\Agent"), std::vector<std::string>{"Hooks"});

  machine().Restart();
  EXPECT_TRUE(files().Exists(kProduct));
  EXPECT_TRUE(files().List(kProduct).empty());
  RemoveTree(kProduct);
  EXPECT_FALSE(files().Exists(kProduct));
  EXPECT_TRUE(Scheduled().empty());
}

// Folders the shell customised (desktop.ini) carry the read-only attribute too.
TEST_F(TreeRemoval, ReadOnlyFilesAndDirectoriesAreRemovedAtOnce) {
  files().AddFile(kProduct + "\\TESSOR.HLP");
  files().AddFile(kProduct + "\\Bases\\main.avc");
  files().AddFile(kProduct + "\\Reports\\desktop.ini");
  files().SetAttributes(kProduct + "\\TESSOR.HLP", FILE_ATTRIBUTE_READONLY);
  files().SetAttributes(kProduct + "\\Bases\\main.avc", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
  files().SetAttributes(kProduct + "\\Reports", FILE_ATTRIBUTE_READONLY);
  files().SetAttributes(kProduct, FILE_ATTRIBUTE_READONLY);
  RemoveTree(kProduct);
  EXPECT_FALSE(files().Exists(kProduct));
  EXPECT_TRUE(Scheduled().empty());
}

TEST_F(TreeRemoval, ReadOnlyFileInUseIsMadeWritableSoThatTheRestartDeletesIt) {
  const std::string held = kProduct + "\\Bases\\main.avc";
  files().AddFile(held);
  files().SetAttributes(held, FILE_ATTRIBUTE_READONLY);
  files().SetAttributes(kProduct + "\\Bases", FILE_ATTRIBUTE_READONLY);
  files().HoldOpen(held);
  RemoveTree(kProduct);
  EXPECT_EQ(Scheduled(), (std::vector<std::string>{held, kProduct + "\\Bases"}));
  EXPECT_EQ(GetFileAttributesA(held.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
  machine().Restart();
  EXPECT_FALSE(files().Exists(kProduct + "\\Bases"));
}

TEST_F(TreeRemoval, JunctionToTheUsersFolderIsRemovedWithoutTouchingTheFolder) {
  const std::string documents = "D:\\Users\\Anna\\Documents";
  files().AddFile(documents + "\\thesis.doc", "years of work");
  files().AddFile(documents + "\\Photos\\summer.jpg");
  files().AddFile(kProduct + "\\TESSORNT.EXE");
  files().AddJunction(kProduct + "\\Reports", documents);
  files().AddJunction(kProduct + "\\Bases\\Shared", "D:\\Users\\Anna");
  ASSERT_EQ(files().List(kProduct + "\\Reports").size(), 2u);  // the link shows its target

  RemoveTree(kProduct);
  EXPECT_FALSE(files().Exists(kProduct));
  EXPECT_EQ(files().ReadFile(documents + "\\thesis.doc"), "years of work");
  EXPECT_TRUE(files().Exists(documents + "\\Photos\\summer.jpg"));
  EXPECT_TRUE(Scheduled().empty());
}

TEST_F(TreeRemoval, FirstListedEntryIsTakenForTheDotEntry) {
  // A drive's root lists no "." entry, so its first entry stays.
  files().AddFile("D:\\first.txt");
  files().AddFile("D:\\second.txt");
  files().AddFile("D:\\Sub\\third.txt");
  RemoveTree("D:\\");
  EXPECT_EQ(files().List("D:\\"), std::vector<std::string>{"first.txt"});

  files().AddFile(kProduct + "\\a.txt");
  files().AddFile(kProduct + "\\b.txt");
  files().SetListingOrder(kProduct, {"b.txt", "..", ".", "a.txt"});
  RemoveTree(kProduct);
  EXPECT_EQ(files().List(kProduct), std::vector<std::string>{"b.txt"});
  EXPECT_TRUE(Scheduled().empty());
}

TEST_F(TreeRemoval, OverLongPathsAreSkippedWithATraceLine) {
  const std::string deep = "C:\\" + std::string(240, 'd');
  const std::string longName(30, 'n');
  files().AddFile(deep + "\\short.txt");
  files().AddFile(deep + "\\" + longName + ".txt");
  files().AddDirectory(deep + "\\" + longName);
  RemoveTree(deep);
  EXPECT_EQ(trace(), (std::vector<std::string>{
                         "Path too long, file skipped: ", deep + "\\" + longName + ".txt", "\n",
                         "Path too long, directory skipped: ", deep + "\\" + longName, "\n"}));
  EXPECT_EQ(files().List(deep), (std::vector<std::string>{longName + ".txt", longName}));
  EXPECT_TRUE(Scheduled().empty());
}

TEST_F(TreeRemoval, DirectoryWhoseSearchPatternDoesNotFitIsNotListed) {
  const std::string deep = "C:\\" + std::string(254, 'd');  // 257 characters
  files().AddFile(deep + "\\x");
  RemoveTree(deep);
  EXPECT_EQ(trace(), (std::vector<std::string>{"Path too long, directory not listed: ", deep, "\n"}));
  EXPECT_TRUE(files().Exists(deep + "\\x"));
}

}  // namespace
