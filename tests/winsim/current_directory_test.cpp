// Drive-relative paths where the comparison with Wine cannot reach: another drive's
// directory handed down by the command prompt.
#include <windows.h>

#include "common/machine_test.h"

namespace {

class WinsimCurrentDirectoryTest : public MachineTest {};

TEST_F(WinsimCurrentDirectoryTest, AnotherDrivesPathGoesOnFromItsOwnDirectoryOrItsRoot) {
  machine().files.AddDirectory("C:\\work");
  machine().files.driveDirectories['D'] = "D:\\Varden";
  ASSERT_TRUE(SetCurrentDirectoryA("C:\\work"));
  EXPECT_EQ(machine().files.FullPathName("d:..\\WINNT"), "D:\\WINNT");
  EXPECT_EQ(machine().files.FullPathName("D:"), "D:\\Varden\\");
  EXPECT_EQ(machine().files.FullPathName("E:name"), "E:\\name");
  EXPECT_EQ(machine().files.FullPathName("C:name"), "C:\\work\\name");
}

}  // namespace
