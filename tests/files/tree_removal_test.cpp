#include <string>
#include <vector>

#include "common/machine_test.h"
#include "files/tree_removal.h"
#include "support/bounded_text.h"

namespace {

using Paths = std::vector<std::string>;

const std::string kProduct = "C:\\Program Files\\Varden\\Anti-Virus";

class TreeRemoval : public MachineTest {
 protected:
  void RemoveTree(const std::string& directory) {
    char buffer[MAX_PATH];
    ASSERT_TRUE(CopyText(buffer, directory));
    RemoveDirectoryTree(buffer);
  }
  Paths Scheduled() {
    Paths paths;
    for (const winsim::PendingMove& move : machine().Pending()) {
      EXPECT_FALSE(move.to.has_value());
      paths.push_back(move.from);
    }
    return paths;
  }
  winsim::FileSystem& files() { return machine().files; }
};

// Nothing left over is scheduled: neither the removed subdirectories nor what another
// program took away meanwhile (the file's directory gone: path not found).
TEST(StripTrailingBackslash, RemovesOneBackslashOnly) {
  for (auto [given, stripped] : {std::pair{"C:\\Prod\\\\", "C:\\Prod\\"}, {"", ""}}) {
    std::string path = given;
    StripTrailingBackslash(path.data());
    EXPECT_STREQ(path.c_str(), stripped) << given;
  }
}

TEST_F(TreeRemoval, WhatIsGoneNowOrWasAlreadyGoneIsNotScheduled) {
  files().AddFile(kProduct + "\\TESSORNT.EXE");
  files().AddFile(kProduct + "\\Bases\\Old\\1998.avc");
  files().AddFile(kProduct + "\\Logs\\a.log");
  files().AddFile(kProduct + "\\Logs\\b.log");
  files().AddDirectory(kProduct + "\\Empty");
  machine().faults.BeforeCall("DeleteFileA", 3, [&] {
    files().Remove(*files().Lookup(kProduct + "\\Logs"));
  });
  RemoveTree(kProduct + "\\");
  EXPECT_FALSE(files().Exists(kProduct));
  EXPECT_TRUE(files().Exists("C:\\Program Files\\Varden"));
  RemoveTree("C:\\Missing\\Product");
  EXPECT_EQ(Scheduled(), Paths{});
}

// Folders the shell customised (desktop.ini) carry the read-only attribute too. A file
// in use is made writable, so that the restart can delete it.
TEST_F(TreeRemoval, WhatIsInUseIsScheduledWithItsDirectoriesAndTheTopLeftForTheSecondPass) {
  const std::string held = kProduct + "\\Agent\\Hooks\\vhook.dll";
  files().AddFile(held);
  files().AddFile(kProduct + "\\Agent\\vagent.cfg");
  files().AddFile(kProduct + "\\Bases\\main.avc");
  files().AddFile(kProduct + "\\TESSOR.HLP");
  files().AddFile(kProduct + "\\Reports\\desktop.ini");
  files().SetAttributes(kProduct + "\\TESSOR.HLP", FILE_ATTRIBUTE_READONLY);
  for (const std::string& path : {kProduct + "\\Reports", held, kProduct + "\\Agent", kProduct}) {
    files().SetAttributes(path, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
  }
  files().HoldOpen(held);

  RemoveTree(kProduct);
  EXPECT_EQ(Scheduled(), (Paths{held, kProduct + "\\Agent\\Hooks", kProduct + "\\Agent"}));
  EXPECT_EQ(files().List(kProduct), Paths{"Agent"});
  EXPECT_EQ(files().List(kProduct + "\\Agent"), Paths{"Hooks"});
  EXPECT_EQ(GetFileAttributesA(held.c_str()), DWORD{FILE_ATTRIBUTE_HIDDEN});
  machine().Restart();
  EXPECT_EQ(files().List(kProduct), Paths{});
  RemoveTree(kProduct);  // the second pass
  EXPECT_FALSE(files().Exists(kProduct)) << files().Dump();
}

// A link goes by itself: a junction is never entered, and a file link's attributes are
// never changed, as that would change its target's. A read-only link stays for good.
TEST_F(TreeRemoval, LinksGoWithoutTouchingWhatTheyPointTo) {
  const std::string documents = "D:\\Users\\Anna\\Documents";
  files().AddFile(documents + "\\thesis.doc", "years of work");
  files().AddFile(documents + "\\Photos\\summer.jpg");
  files().SetAttributes(documents + "\\thesis.doc", FILE_ATTRIBUTE_READONLY);
  files().AddJunction(kProduct + "\\Reports", documents);
  files().AddJunction(kProduct + "\\Bases\\Shared", "D:\\Users\\Anna");
  files().AddFileLink(kProduct + "\\thesis.lnk", documents + "\\thesis.doc");
  files().AddFileLink(kProduct + "\\Keep\\thesis.lnk", documents + "\\thesis.doc");
  files().SetAttributes(kProduct + "\\Keep\\thesis.lnk", FILE_ATTRIBUTE_READONLY);
  ASSERT_EQ(files().List(kProduct + "\\Reports").size(), 2u);  // the link shows its target

  RemoveTree(kProduct);
  EXPECT_EQ(files().List(kProduct), Paths{"Keep"});
  EXPECT_EQ(Scheduled(), (Paths{kProduct + "\\Keep\\thesis.lnk", kProduct + "\\Keep"}));
  EXPECT_EQ(GetFileAttributesA((kProduct + "\\Keep\\thesis.lnk").c_str()),
            DWORD{FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_REPARSE_POINT});
  EXPECT_EQ(files().ReadFile(documents + "\\thesis.doc"), "years of work");
  EXPECT_EQ(GetFileAttributesA((documents + "\\thesis.doc").c_str()), DWORD{FILE_ATTRIBUTE_READONLY});
  EXPECT_TRUE(files().Exists(documents + "\\Photos\\summer.jpg"));
}

TEST_F(TreeRemoval, FirstListedEntryIsTakenForTheDotEntry) {
  // A drive's root lists no "." entry, so its first entry stays.
  files().AddFile("D:\\first.txt");
  files().AddFile("D:\\second.txt");
  files().AddFile("D:\\Sub\\third.txt");
  RemoveTree("D:\\");
  EXPECT_EQ(files().List("D:\\"), Paths{"first.txt"});

  files().AddFile(kProduct + "\\a.txt");
  files().AddFile(kProduct + "\\b.txt");
  files().SetListingOrder(kProduct, {"b.txt", "..", ".", "a.txt"});
  RemoveTree(kProduct);
  EXPECT_EQ(files().List(kProduct), Paths{"b.txt"});
  EXPECT_EQ(Scheduled(), Paths{});
}

// Paths of 259 characters are used; one of 260, or a directory whose search mask would
// be 260, is skipped with a trace line.
TEST_F(TreeRemoval, PathsBeyondTheSystemLimitAreSkippedWithATraceLine) {
  const std::string deep = "C:\\" + std::string(240, 'd');  // 243 characters
  const std::string fits = deep + "\\" + std::string(15, 'f');
  const std::string tooLong = deep + "\\" + std::string(16, 'f');
  const std::string unlisted = deep + "\\" + std::string(12, 'u');
  files().AddFile(fits);
  files().AddFile(tooLong);
  files().AddFile(deep + "\\" + std::string(11, 'a') + "\\x");
  files().AddDirectory(unlisted);
  files().AddDirectory(deep + "\\" + std::string(16, 'b'));
  RemoveTree(deep);
  const char kLeft[] = "Left for good, neither deleted nor scheduled for the restart: ";
  EXPECT_EQ(trace(), (Paths{"Path too long, file skipped: ", tooLong, "\n", kLeft, tooLong, "\n",
                            "Path too long, directory not listed: ", unlisted, "\n",
                            "Path too long, directory skipped: ", deep + "\\" + std::string(16, 'b'), "\n",
                            kLeft, deep + "\\" + std::string(16, 'b'), "\n"}));
  EXPECT_EQ(files().List(deep), (Paths{std::string(16, 'f'), std::string(16, 'b')}));
  EXPECT_EQ(Scheduled(), Paths{});
}

}  // namespace
