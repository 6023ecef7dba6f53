// The simulated machine's subkey listing, environment, KERNEL32 exports and final path
// names: what the program relies on to find keys, expand paths and tell where a
// directory really is.
#include <windows.h>

#include <string>

#include "common/machine_test.h"

namespace {

class SystemCallsTest : public MachineTest {
 protected:
  // What GetFinalPathNameByHandleA gives for the directory at `path`, or "FAILED".
  std::string FinalPath(const char* path) {
    HANDLE handle = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return "FAILED";
    char buffer[MAX_PATH] = "";
    const DWORD length = GetFinalPathNameByHandleA(handle, buffer, sizeof buffer, FILE_NAME_NORMALIZED);
    CloseHandle(handle);
    return length > 0 && length < sizeof buffer ? buffer : "FAILED";
  }
};

TEST_F(SystemCallsTest, ListsSubkeysInOrderAndAsksForRoomForTheNameAndItsTerminator) {
  machine().registry.CreateKey(HKEY_LOCAL_MACHINE, "Soft\\beta");
  machine().registry.CreateKey(HKEY_LOCAL_MACHINE, "Soft\\Alpha");
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Soft", 0, KEY_READ, &key), ERROR_SUCCESS);
  char name[8];
  DWORD length = sizeof name;
  ASSERT_EQ(RegEnumKeyExA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_STREQ(name, "Alpha");
  EXPECT_EQ(length, 5u);
  length = 4;  // "beta" without room for its terminator
  EXPECT_EQ(RegEnumKeyExA(key, 1, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
  length = 5;
  EXPECT_EQ(RegEnumKeyExA(key, 1, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_STREQ(name, "beta");
  length = sizeof name;
  EXPECT_EQ(RegEnumKeyExA(key, 2, name, &length, nullptr, nullptr, nullptr, nullptr),
            ERROR_NO_MORE_ITEMS);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);

  // A key that refuses enumeration refuses it through the root handle too.
  machine().registry.DenyAccess(HKEY_LOCAL_MACHINE, "", KEY_ENUMERATE_SUB_KEYS);
  EXPECT_EQ(RegEnumKeyExA(HKEY_LOCAL_MACHINE, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
            ERROR_ACCESS_DENIED);
}

TEST_F(SystemCallsTest, ExpandsTheWindowsVariablesAndLeavesUnknownOnesAsWritten) {
  machine().system.windowsDirectory = "D:\\WIN";
  machine().system.environment["TEMP"] = "D:\\TMP";
  char text[64] = "";
  const char kSource[] = "%systemroot%\\x;%SystemDrive%;%Temp%;%NOPE%;100%";
  const DWORD needed = ExpandEnvironmentStringsA(kSource, text, sizeof text);
  EXPECT_STREQ(text, "D:\\WIN\\x;D:;D:\\TMP;%NOPE%;100%");
  EXPECT_EQ(needed, std::string(text).size() + 1);
  EXPECT_EQ(ExpandEnvironmentStringsA(kSource, text, 4), needed);

  machine().system.environment["windir"] = "E:\\OTHER";
  EXPECT_EQ(ExpandEnvironmentStringsA("%WINDIR%", text, sizeof text), 9u);
  EXPECT_STREQ(text, "E:\\OTHER");
}

TEST_F(SystemCallsTest, FindsTheFinalPathFunctionOnlyWhereKernel32ExportsIt) {
  const HMODULE kernel32 = GetModuleHandleA("KERNEL32.dll");
  ASSERT_NE(kernel32, nullptr);
  EXPECT_EQ(GetModuleHandleA("kernel32"), kernel32);
  EXPECT_EQ(GetModuleHandleA("shell32.dll"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));

  EXPECT_EQ(reinterpret_cast<void (*)()>(GetProcAddress(kernel32, "GetFinalPathNameByHandleA")),
            reinterpret_cast<void (*)()>(&GetFinalPathNameByHandleA));
  EXPECT_EQ(GetProcAddress(kernel32, "GetNothingA"), nullptr);
  machine().system.finalPathNameAvailable = false;
  EXPECT_EQ(GetProcAddress(kernel32, "GetFinalPathNameByHandleA"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
}

TEST_F(SystemCallsTest, TheFinalPathIsWhereTheDirectoryReallyIsWithItsLongNames) {
  machine().files.AddDirectory("C:\\Program Files\\Real");
  machine().files.SetShortName("C:\\Program Files", "PROGRA~1");
  machine().files.AddJunction("C:\\Link", "C:\\Program Files");
  machine().files.AddSubstDrive('S', "C:\\Program Files");
  machine().files.AddShare("HOST", "C$", "C:\\");

  EXPECT_EQ(FinalPath("C:\\Link\\Real"), "\\\\?\\C:\\Program Files\\Real");
  EXPECT_EQ(FinalPath("s:\\real"), "\\\\?\\C:\\Program Files\\Real");
  EXPECT_EQ(FinalPath("c:\\progra~1"), "\\\\?\\C:\\Program Files");
  EXPECT_EQ(FinalPath("S:\\"), "\\\\?\\C:\\Program Files");
  EXPECT_EQ(FinalPath("\\\\HOST\\C$\\PROGRA~1\\Real"), "\\\\?\\UNC\\HOST\\C$\\Program Files\\Real");
  EXPECT_EQ(FinalPath("C:\\"), "\\\\?\\C:\\");

  HANDLE handle = CreateFileA("C:\\Link", 0, 0, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  char small[8];
  EXPECT_EQ(GetFinalPathNameByHandleA(handle, small, sizeof small, 0), sizeof "\\\\?\\C:\\Program Files");
  CloseHandle(handle);
  EXPECT_EQ(GetFinalPathNameByHandleA(handle, small, sizeof small, 0), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

}  // namespace
