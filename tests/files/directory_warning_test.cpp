#include "common/machine_test.h"
#include "files/tree_removal.h"
#include "support/full_path.h"

namespace {

struct Spelling {
  const char* registered;
  const char* full;  // the one spelling every later step uses
  int warning;
};

class DirectoryWarning : public MachineTest {
 protected:
  void SetUp() override {
    MachineTest::SetUp();
    machine().files.AddDirectory("C:\\WINNT\\system32");
    machine().files.AddDirectory("C:\\Windows NT");
    machine().files.SetShortName("C:\\Windows NT", "WINDOW~1");
  }
  void Expect(const Spelling& s) {
    const std::string full = FullDirectoryPath(s.registered);
    EXPECT_EQ(full, s.full) << s.registered;
    EXPECT_EQ(DirectoryNeedsWarning(full), s.warning) << s.registered;
  }
};

TEST(StripTrailingBackslash, RemovesOneBackslashOnly) {
  char twice[] = "C:\\Prod\\\\";
  StripTrailingBackslash(twice);
  EXPECT_STREQ(twice, "C:\\Prod\\");
  char empty[] = "";
  StripTrailingBackslash(empty);
  EXPECT_STREQ(empty, "");
}

TEST_F(DirectoryWarning, EverySpellingThatResolvesToASystemDirectoryOrARootWarns) {
  for (const Spelling& s : {
           Spelling{"C:\\WINNT", "C:\\WINNT", 1},
           {"C:\\WINNT\\\\", "C:\\WINNT", 1},
           {"c:\\winnt\\.", "c:\\winnt", 1},
           {"C:/WINNT/", "C:\\WINNT", 1},
           {"C:\\WINNT\\system32\\..", "C:\\WINNT", 1},
           {"C:\\\\WINNT\\\\system32", "C:\\WINNT\\system32", 1},
           {"\\\\?\\C:\\WinNT\\System\\", "C:\\WinNT\\System", 1},
           {"\\\\.\\C:\\WINNT\\SYSTEM32", "C:\\WINNT\\SYSTEM32", 1},
           {"C:\\WINNT.", "C:\\WINNT", 1},
           {"C:\\", "C:", 1},  // holds the Windows directory
           {"D:\\", "D:", 2},
           {"D:\\\\", "D:", 2},
           {"D:/", "D:", 2},
           {"D:\\.", "D:", 2},
           {"D:\\Varden\\..", "D:", 2},
           {"\\\\server\\share", "\\\\server\\share", 2},
           {"\\\\server\\share\\", "\\\\server\\share", 2},
           {"\\\\?\\UNC\\server\\share", "\\\\server\\share", 2},
       }) {
    Expect(s);
  }
}

TEST_F(DirectoryWarning, AnAncestorOfTheWindowsDirectoryWarnsAsTheWindowsDirectory) {
  machine().system.windowsDirectory = "C:\\Apps\\WINNT";
  Expect({"C:\\Apps", "C:\\Apps", 1});
  Expect({"C:\\Apps\\", "C:\\Apps", 1});
  Expect({"C:\\Apps\\WINNT\\Fonts", "C:\\Apps\\WINNT\\Fonts", 0});
  Expect({"C:\\Apps\\WINNT\\system3", "C:\\Apps\\WINNT\\system3", 0});
  Expect({"C:\\Apps\\WINN", "C:\\Apps\\WINN", 0});     // a name that only starts alike
  Expect({"C:\\Apps\\WINNT2", "C:\\Apps\\WINNT2", 0});
  Expect({"C:\\Program Files\\Varden\\Anti-Virus\\", "C:\\Program Files\\Varden\\Anti-Virus", 0});
}

TEST_F(DirectoryWarning, ShortNamesAndASystemThatReportsItsDirectoryOddlyStillMatch) {
  machine().system.windowsDirectory = "C:\\Windows NT\\";
  Expect({"C:\\WINDOW~1", "C:\\WINDOW~1", 1});
  machine().files.AddDirectory("C:\\Windows NT\\system32");
  Expect({"c:\\window~1\\SYSTEM32\\", "c:\\window~1\\SYSTEM32", 1});
  Expect({"C:\\WINDOW~2", "C:\\WINDOW~2", 0});
}

TEST_F(DirectoryWarning, WhatCannotBeResolvedOrDoesNotFitIsNoDirectory) {
  EXPECT_EQ(FullDirectoryPath(""), "");
  EXPECT_EQ(FullDirectoryPath(("C:\\" + std::string(256, 'x')).c_str()), "C:\\" + std::string(256, 'x'));
  EXPECT_EQ(FullDirectoryPath(("C:\\" + std::string(257, 'x')).c_str()), "");
  machine().faults.FailCall("GetFullPathNameA", machine().faults.CallCount("GetFullPathNameA") + 1,
                            ERROR_INVALID_NAME);
  EXPECT_EQ(FullDirectoryPath("C:\\Program Files"), "");
}

}  // namespace
