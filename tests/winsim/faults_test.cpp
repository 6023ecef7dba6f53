// The fault switch's record of a run's calls and the errors the sweep injects.
#include <windows.h>

#include "common/machine_test.h"

namespace {

class FaultsTest : public MachineTest {};

TEST_F(FaultsTest, ListsEveryCallInOrderAndFailsTheChosenOne) {
  machine().faults.FailCall("DeleteFileA", 2, ERROR_SHARING_VIOLATION);
  machine().files.AddFile("C:\\a.txt");
  machine().files.AddFile("C:\\b.txt");

  EXPECT_TRUE(DeleteFileA("C:\\a.txt"));
  OutputDebugStringA("between\n");
  EXPECT_FALSE(DeleteFileA("C:\\b.txt"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));

  EXPECT_EQ(machine().faults.Calls(),
            (std::vector<std::string>{"DeleteFileA", "OutputDebugStringA", "DeleteFileA"}));
  EXPECT_EQ(machine().faults.injectedInto, "DeleteFileA");
  EXPECT_TRUE(machine().files.Exists("C:\\b.txt"));
}

TEST_F(FaultsTest, OnlyCallsThatCanFailHaveAPlausibleError) {
  EXPECT_EQ(winsim::PlausibleError("DeleteFileA"), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_EQ(winsim::PlausibleError("RegOpenKeyExA"), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  for (const char* api : {"OutputDebugStringA", "Sleep", "GetTickCount", "SetCursor", "LocalFree"}) {
    EXPECT_FALSE(winsim::PlausibleError(api)) << api;
  }
  EXPECT_TRUE(winsim::ReleasesHandle("RegCloseKey"));
  EXPECT_FALSE(winsim::ReleasesHandle("RegOpenKeyExA"));
}

}  // namespace
