
#include "common/machine_test.h"
#include "files/tree_removal.h"
#include "support/bounded_text.h"

namespace {

struct WarningCase {
  const char* directory;
  int expected;
  const char* normalised;  // the caller's string afterwards
};

class DirectoryWarning : public MachineTest {
 protected:
  void Expect(const WarningCase& c) {
    char directory[MAX_PATH];
    CopyText(directory, c.directory);
    EXPECT_EQ(DirectoryNeedsWarning(directory), c.expected) << c.directory;
    EXPECT_STREQ(directory, c.normalised) << c.directory;
  }
};

TEST(StripTrailingBackslash, RemovesOneBackslashOnly) {
  char twice[] = "C:\\Prod\\\\";
  StripTrailingBackslash(twice);
  EXPECT_STREQ(twice, "C:\\Prod\\");
  char none[] = "C:\\Prod";
  StripTrailingBackslash(none);
  EXPECT_STREQ(none, "C:\\Prod");
  char empty[] = "";
  StripTrailingBackslash(empty);
  EXPECT_STREQ(empty, "");
}

TEST_F(DirectoryWarning, WindowsAndSystemDirectoriesInAnySpellingWarn) {
  for (const WarningCase& c : {WarningCase{"C:\\WINNT", 1, "C:\\WINNT"},
                               WarningCase{"C:\\WINNT\\", 1, "C:\\WINNT"},
                               WarningCase{"c:\\winnt", 1, "c:\\winnt"},
                               WarningCase{"C:\\WinNT\\System\\", 1, "C:\\WinNT\\System"},
                               WarningCase{"C:\\WINNT\\system32", 1, "C:\\WINNT\\system32"}}) {
    Expect(c);
  }
}

TEST_F(DirectoryWarning, DriveRootsWarnAsRoots) {
  Expect({"D:\\", 2, "D:"});
  Expect({"C:", 2, "C:"});
}

TEST_F(DirectoryWarning, OrdinaryParentAndOtherSubdirectoriesDoNot) {
  machine().system.windowsDirectory = "C:\\Apps\\WINNT";
  Expect({"C:\\Program Files\\Varden\\Anti-Virus\\", 0, "C:\\Program Files\\Varden\\Anti-Virus"});
  Expect({"C:\\Apps", 0, "C:\\Apps"});                    // a parent of the Windows directory
  Expect({"C:\\Apps\\WINNT\\Fonts", 0, "C:\\Apps\\WINNT\\Fonts"});
  Expect({"C:\\Apps\\WINNT\\system3", 0, "C:\\Apps\\WINNT\\system3"});
  Expect({"C:\\Apps\\WINNT", 1, "C:\\Apps\\WINNT"});
}

TEST_F(DirectoryWarning, WindowsDirectoryReportedWithBackslashStillMatches) {
  machine().system.windowsDirectory = "C:\\WINNT\\";
  Expect({"C:\\WINNT", 1, "C:\\WINNT"});
  Expect({"C:\\WINNT\\SYSTEM32", 1, "C:\\WINNT\\SYSTEM32"});
}

}  // namespace
