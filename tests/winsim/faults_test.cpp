// The simulated machine's switches that tests and sweeps rely on and no real system
// offers: a chosen call failed, access to a key refused, open handles counted.
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

TEST_F(FaultsTest, OnlyCallsThatCanFailHaveAPlausibleErrorAndOnlyClosingReleasesAHandle) {
  // The call, its plausible error (0: it cannot fail), whether it releases a handle.
  const std::tuple<const char*, DWORD, bool> cases[] = {
      {"DeleteFileA", ERROR_SHARING_VIOLATION, false},
      {"RegOpenKeyExA", ERROR_ACCESS_DENIED, false},
      {"RegCloseKey", ERROR_INVALID_HANDLE, true},
      {"OutputDebugStringA", 0, false},
      {"Sleep", 0, false},
      {"GetTickCount", 0, false},
      {"SetCursor", 0, false},
      {"LocalFree", 0, false}};
  for (const auto& [api, error, releases] : cases) {
    EXPECT_EQ(winsim::PlausibleError(api).value_or(0), error) << api;
    EXPECT_EQ(winsim::ReleasesHandle(api), releases) << api;
  }
}

TEST_F(FaultsTest, RefusesOnlyTheDeniedRightsAndCountsEveryOpenKey) {
  machine().registry.CreateKey(HKEY_LOCAL_MACHINE, "A\\B");
  machine().registry.DenyAccess(HKEY_LOCAL_MACHINE, "A", KEY_SET_VALUE);
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "A", 0, KEY_ALL_ACCESS, &key), ERROR_ACCESS_DENIED);
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "a", 0, KEY_READ, &key), ERROR_SUCCESS);
  EXPECT_EQ(machine().OpenHandles(), 1u);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(machine().OpenHandles(), 0u);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
}

}  // namespace
