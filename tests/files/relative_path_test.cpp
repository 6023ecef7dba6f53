#include "files/relative_path.h"

#include <gtest/gtest.h>

TEST(RelativePath, PlainPathsInsideTheProductDirectoryPass) {
  for (const char* entry : {"TESSORNT.EXE", "Bases\\main.avc", "Bases/Old/1998.avc",
                            ".\\readme.txt", "Reports\\..log", "a..b\\c", "Bases\\\\x.avc"}) {
    EXPECT_TRUE(IsPlainRelativePath(entry)) << entry;
  }
}

TEST(RelativePath, EntriesThatCouldLeaveTheProductDirectoryAreRefused) {
  for (const char* entry : {"", "..\\boot.ini", "../boot.ini", "Bases\\..\\..\\x", "Bases\\..",
                            "...\\x", ".. \\x", "C:\\WINNT\\win.ini", "C:boot.ini", "D:\\x",
                            "\\WINNT\\win.ini", "/WINNT/win.ini", "\\\\server\\share\\x.txt",
                            "//server/share/x.txt", "\\\\?\\C:\\x", "\\\\.\\PhysicalDrive0",
                            "readme.txt:stream"}) {
    EXPECT_FALSE(IsPlainRelativePath(entry)) << entry;
  }
}
