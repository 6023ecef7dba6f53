// The simulated registry behaves as NT's does where the program relies on it.
#include <windows.h>

#include "common/machine_test.h"

namespace {

class WinsimRegistryTest : public MachineTest {};

TEST_F(WinsimRegistryTest, NamesCompareWithoutCaseAndDeletionNeedsALeaf) {
  machine().registry.SetString(HKEY_LOCAL_MACHINE, "Software\\Vendor\\Product", "Path", "C:\\P");
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\VENDOR", 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "software\\vendor"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteKeyA(key, "PRODUCT"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyA(key, "Product"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(machine().OpenHandles(), 1u);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(machine().OpenHandles(), 0u);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
}

TEST_F(WinsimRegistryTest, ValuesEnumerateInCreationOrderWithRawBytes) {
  machine().registry.SetValue(HKEY_CURRENT_USER, "K", "z", REG_SZ, {'a', 'b'});  // no terminator
  machine().registry.SetDword(HKEY_CURRENT_USER, "K", "a", 7);
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "K", 0, KEY_READ, &key), ERROR_SUCCESS);
  char name[8];
  BYTE data[8] = {9, 9, 9, 9};
  DWORD nameLength = sizeof name, size = sizeof data, type = 0;
  ASSERT_EQ(RegEnumValueA(key, 0, name, &nameLength, nullptr, &type, data, &size), ERROR_SUCCESS);
  EXPECT_STREQ(name, "z");
  EXPECT_EQ(size, 2u);
  EXPECT_EQ(data[2], 9);  // nothing added after the stored bytes
  size = 1;
  nameLength = sizeof name;
  EXPECT_EQ(RegEnumValueA(key, 1, name, &nameLength, nullptr, &type, data, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 4u);
  nameLength = sizeof name;
  EXPECT_EQ(RegEnumValueA(key, 2, name, &nameLength, nullptr, &type, data, &size), ERROR_NO_MORE_ITEMS);
  RegCloseKey(key);
}

TEST_F(WinsimRegistryTest, RefusedAccessAndDeletedKeys) {
  machine().registry.CreateKey(HKEY_LOCAL_MACHINE, "A\\B");
  machine().registry.DenyAccess(HKEY_LOCAL_MACHINE, "A", KEY_SET_VALUE);
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "A", 0, KEY_ALL_ACCESS, &key), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "A", 0, KEY_READ, &key), ERROR_SUCCESS);
  HKEY child = nullptr;
  ASSERT_EQ(RegOpenKeyExA(key, "B", 0, KEY_READ, &child), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyA(key, "B"), ERROR_SUCCESS);
  EXPECT_EQ(RegFlushKey(child), ERROR_KEY_DELETED);
  RegCloseKey(child);
  RegCloseKey(key);
}

TEST_F(WinsimRegistryTest, ProfileReadingFollowsWindowsRules) {
  machine().files.AddFile("C:\\p.ini",
                          "[strings]\r\n  Key =  \"quoted value\"  \r\nNum=42x\r\n"
                          "[Strings]\r\nSecond=only the first section is read\r\n");
  char text[8];
  EXPECT_EQ(GetPrivateProfileStringA("STRINGS", "key", "d", text, sizeof text, "C:\\P.INI"), 7u);
  EXPECT_STREQ(text, "quoted ");
  for (const char* key : {"Missing", "Second"}) {
    EXPECT_EQ(GetPrivateProfileStringA("Strings", key, "dflt", text, sizeof text, "C:\\p.ini"), 4u);
    EXPECT_STREQ(text, "dflt");
  }
  EXPECT_EQ(GetPrivateProfileIntA("Strings", "Num", 5, "C:\\p.ini"), 42u);
  EXPECT_EQ(GetPrivateProfileIntA("Strings", "Key", 5, "C:\\p.ini"), 0u);
  EXPECT_EQ(GetPrivateProfileIntA("Strings", "None", 5, "C:\\missing.ini"), 5u);
}

}  // namespace
