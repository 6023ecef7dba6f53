#include "common/machine_test.h"
#include "common/product.h"
#include "files/tree_removal.h"
#include "support/full_path.h"
#include "uninstall/sequence.h"

namespace {

struct Spelling {
  const char* windows;  // as the system reports its directory
  const char* registered;
  const char* full;  // the one spelling every later step uses
  int warning;
};

using DirectoryWarning = MachineTest;

TEST(StripTrailingBackslash, RemovesOneBackslashOnly) {
  for (auto [given, stripped] : {std::pair{"C:\\Prod\\\\", "C:\\Prod\\"}, {"", ""}}) {
    std::string path = given;
    StripTrailingBackslash(path.data());
    EXPECT_STREQ(path.c_str(), stripped) << given;
  }
}

TEST_F(DirectoryWarning, EverySpellingThatResolvesToASystemDirectoryOrARootWarns) {
  machine().files.AddDirectory("C:\\WINNT\\system32");
  machine().files.AddDirectory("C:\\Windows NT\\system32");
  machine().files.SetShortName("C:\\Windows NT", "WINDOW~1");
  for (const Spelling& s : {
           Spelling{"C:\\WINNT", "C:\\WINNT", "C:\\WINNT", 1},
           {"C:\\WINNT", "C:\\WINNT\\\\", "C:\\WINNT", 1},
           {"C:\\WINNT", "c:\\winnt\\.", "c:\\winnt", 1},
           {"C:\\WINNT", "C:/WINNT/", "C:\\WINNT", 1},
           {"C:\\WINNT", "C:\\WINNT\\system32\\..", "C:\\WINNT", 1},
           {"C:\\WINNT", "C:\\\\WINNT\\\\system32", "C:\\WINNT\\system32", 1},
           {"C:\\WINNT", "\\\\?\\C:\\WinNT\\System\\", "C:\\WinNT\\System", 1},
           {"C:\\WINNT", "\\\\.\\C:\\WINNT\\SYSTEM32", "C:\\WINNT\\SYSTEM32", 1},
           {"C:\\WINNT", "C:\\WINNT.", "C:\\WINNT", 1},
           {"C:\\WINNT", "C:\\", "C:", 1},  // holds the Windows directory
           {"C:\\WINNT", "D:\\", "D:", 2},
           {"C:\\WINNT", "D:\\\\", "D:", 2},
           {"C:\\WINNT", "D:/", "D:", 2},
           {"C:\\WINNT", "D:\\.", "D:", 2},
           {"C:\\WINNT", "D:\\Varden\\..", "D:", 2},
           {"C:\\WINNT", "\\\\server\\share", "\\\\server\\share", 2},
           {"C:\\WINNT", "\\\\server\\share\\", "\\\\server\\share", 2},
           {"C:\\WINNT", "\\\\?\\UNC\\server\\share", "\\\\server\\share", 2},
           // An ancestor warns as the Windows directory; names that only start alike do not.
           {"C:\\Apps\\WINNT", "C:\\Apps", "C:\\Apps", 1},
           {"C:\\Apps\\WINNT", "C:\\Apps\\", "C:\\Apps", 1},
           {"C:\\Apps\\WINNT", "C:\\Apps\\WINNT\\Fonts", "C:\\Apps\\WINNT\\Fonts", 0},
           {"C:\\Apps\\WINNT", "C:\\Apps\\WINNT\\system3", "C:\\Apps\\WINNT\\system3", 0},
           {"C:\\Apps\\WINNT", "C:\\Apps\\WINN", "C:\\Apps\\WINN", 0},
           {"C:\\Apps\\WINNT", "C:\\Apps\\WINNT2", "C:\\Apps\\WINNT2", 0},
           {"C:\\Apps\\WINNT", "C:\\Program Files\\Varden\\Anti-Virus\\",
            "C:\\Program Files\\Varden\\Anti-Virus", 0},
           // Short names, and a system that reports its directory with a backslash.
           {"C:\\Windows NT\\", "C:\\WINDOW~1", "C:\\WINDOW~1", 1},
           {"C:\\Windows NT\\", "c:\\window~1\\SYSTEM32\\", "c:\\window~1\\SYSTEM32", 1},
           {"C:\\Windows NT\\", "C:\\WINDOW~2", "C:\\WINDOW~2", 0},
       }) {
    machine().system.windowsDirectory = s.windows;
    const std::string full = FullDirectoryPath(s.registered);
    EXPECT_EQ(full, s.full) << s.registered;
    EXPECT_EQ(DirectoryNeedsWarning(full), s.warning) << s.registered;
  }
}

TEST_F(DirectoryWarning, WhatCannotBeResolvedOrDoesNotFitIsNoDirectory) {
  EXPECT_EQ(FullDirectoryPath(""), "");
  EXPECT_EQ(FullDirectoryPath(("C:\\" + std::string(256, 'x')).c_str()), "C:\\" + std::string(256, 'x'));
  EXPECT_EQ(FullDirectoryPath(("C:\\" + std::string(257, 'x')).c_str()), "");
  machine().faults.FailCall("GetFullPathNameA", machine().faults.CallCount("GetFullPathNameA") + 1,
                            ERROR_INVALID_NAME);
  EXPECT_EQ(FullDirectoryPath("C:\\Program Files"), "");
}

// Only a Yes goes on: a warning that could not be shown is no consent.
TEST_F(DirectoryWarning, AWarningThatCannotBeShownDeclinesTheRunBeforeAnyChange) {
  SampleProduct install;
  install.directory = machine().system.windowsDirectory;
  InstallProduct(install);
  const std::string files = machine().files.Dump();
  const std::string keys = machine().registry.Dump();
  machine().faults.FailCall("MessageBoxA", 1, ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_EQ(RunConsentedUninstall(), kExitDeclined);
  EXPECT_EQ(machine().files.Dump(), files);
  EXPECT_EQ(machine().registry.Dump(), keys);
  EXPECT_TRUE(Traced({"Checking if VDAV directory can be removed...\n"}));
}

}  // namespace
