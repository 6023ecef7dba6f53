// The calls a setup program makes on the simulated machine.
#include <windows.h>

#include "common/machine_test.h"

namespace {

class SetupApiTest : public MachineTest {};

TEST_F(SetupApiTest, CreateDirectoryAMakesOneLevelAndRefusesWhatExistsOrHasNoParent) {
  EXPECT_TRUE(CreateDirectoryA("C:\\Program Files", nullptr));
  EXPECT_TRUE(machine().files.IsDirectory("C:\\Program Files"));
  EXPECT_FALSE(CreateDirectoryA("C:\\Program Files", nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_FALSE(CreateDirectoryA("C:\\Missing\\Child", nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST_F(SetupApiTest, CopyFileACopiesContentAndHonoursFailIfExists) {
  machine().files.AddFile("C:\\dist\\a.dat", "content");
  machine().files.AddDirectory("C:\\target");
  EXPECT_TRUE(CopyFileA("C:\\dist\\a.dat", "C:\\target\\b.dat", TRUE));
  EXPECT_EQ(machine().files.ReadFile("C:\\target\\b.dat"), "content");
  EXPECT_FALSE(CopyFileA("C:\\dist\\a.dat", "C:\\target\\b.dat", TRUE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
  machine().files.HoldOpen("C:\\target\\b.dat");
  EXPECT_FALSE(CopyFileA("C:\\dist\\a.dat", "C:\\target\\b.dat", FALSE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_FALSE(CopyFileA("C:\\dist\\none.dat", "C:\\target\\c.dat", FALSE));
  EXPECT_FALSE(CopyFileA("C:\\dist\\a.dat", "C:\\nowhere\\c.dat", FALSE));
  EXPECT_FALSE(machine().files.Exists("C:\\target\\c.dat"));
}

TEST_F(SetupApiTest, RegSetValueExAStoresAndReplacesValuesOfAnOpenKey) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Velmora", 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const char first[] = "first", second[] = "2nd";
  EXPECT_EQ(
      RegSetValueExA(key, "Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(first), sizeof first),
      ERROR_SUCCESS);
  EXPECT_EQ(
      RegSetValueExA(key, "path", 0, REG_SZ, reinterpret_cast<const BYTE*>(second), sizeof second),
      ERROR_SUCCESS);
  EXPECT_EQ(machine().registry.Value(HKEY_LOCAL_MACHINE, "SOFTWARE\\Velmora", "Path")->Text(),
            "2nd");
  EXPECT_EQ(machine().registry.ValueNames(HKEY_LOCAL_MACHINE, "SOFTWARE\\Velmora").size(), 1u);
  RegCloseKey(key);
  EXPECT_EQ(
      RegSetValueExA(key, "Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(first), sizeof first),
      ERROR_INVALID_HANDLE);
}

TEST_F(SetupApiTest, WritePrivateProfileStringAWritesWhatGetPrivateProfileStringAReads) {
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
