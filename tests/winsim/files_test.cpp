// The simulated machine's files where the comparison with Wine cannot reach: the restart
// list refused and carried out, and what a setup program leaves by copying and writing.
#include <windows.h>

#include "common/machine_test.h"

namespace {

class WinsimFilesTest : public MachineTest {};

TEST_F(WinsimFilesTest, TheRestartListIsKeptInTheRegistryAndCarriedOutAtTheRestart) {
  machine().files.AddFile("C:\\dir\\a.txt", "a");
  machine().files.AddFile("C:\\dir\\b.txt", "b");
  ASSERT_TRUE(MoveFileExA("C:/dir/../dir/a.txt", nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
  ASSERT_TRUE(MoveFileExA("C:\\dir\\b.txt", "C:\\dir\\c.txt", MOVEFILE_DELAY_UNTIL_REBOOT));
  machine().registry.DenyAccess(HKEY_LOCAL_MACHINE, winsim::kSessionManagerKey, KEY_SET_VALUE);
  EXPECT_FALSE(MoveFileExA("C:\\dir", nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(machine().Pending().size(), 2u);

  machine().Restart();
  EXPECT_EQ(machine().files.List("C:\\dir"), std::vector<std::string>{"c.txt"});
  EXPECT_TRUE(machine().Pending().empty());
  EXPECT_FALSE(machine().registry.Value(HKEY_LOCAL_MACHINE, winsim::kSessionManagerKey,
                                        winsim::kPendingMovesValue));
}

TEST_F(WinsimFilesTest, ASetupCopiesContentUnlessTheTargetIsHeldAndWritesProfilesAsRead) {
  machine().files.AddFile("C:\\dist\\a.dat", "content");
  machine().files.AddDirectory("C:\\target");
  EXPECT_TRUE(CopyFileA("C:\\dist\\a.dat", "C:\\target\\b.dat", TRUE));
  EXPECT_EQ(machine().files.ReadFile("C:\\target\\b.dat"), "content");
  machine().files.HoldOpen("C:\\target\\b.dat");
  EXPECT_FALSE(CopyFileA("C:\\dist\\a.dat", "C:\\target\\b.dat", FALSE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_FALSE(CopyFileA("C:\\dist\\a.dat", "C:\\nowhere\\c.dat", FALSE));

  const char kProfile[] = "C:\\WINNT\\test.ini";
  EXPECT_TRUE(WritePrivateProfileStringA("Strings", "Caption", "First", kProfile));
  EXPECT_TRUE(WritePrivateProfileStringA("Settings", "Mode", "1", kProfile));
  EXPECT_TRUE(WritePrivateProfileStringA("strings", "Prompt", "\" spaced \"", kProfile));
  EXPECT_TRUE(WritePrivateProfileStringA("Strings", "CAPTION", "Second", kProfile));
  EXPECT_EQ(machine().files.ReadFile(kProfile),
            "[Strings]\r\nCAPTION=Second\r\nPrompt=\" spaced \"\r\n[Settings]\r\nMode=1\r\n");
  char text[32] = "";
  GetPrivateProfileStringA("Strings", "Prompt", "", text, sizeof text, kProfile);
  EXPECT_STREQ(text, " spaced ");
  EXPECT_FALSE(WritePrivateProfileStringA("Strings", "Key", "x", "C:\\Missing\\test.ini"));
}

}  // namespace
