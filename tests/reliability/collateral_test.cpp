// The collateral check itself: it lets the product's own items go, and sees a foreign
// item removed, changed, scheduled in any letter case, or an item created.
#include <gtest/gtest.h>

#include "reliability/whole_run.h"

TEST(CollateralTest, LetsTheProductGoAndSeesEveryKindOfForeignDamage) {
  const MachineItems before = ItemsOf(
      "[registry]\nHKEY_LOCAL_MACHINE\\SOFTWARE\\Other\nHKEY_LOCAL_MACHINE\\SOFTWARE\\Other : \"Path\" type 1 = C:\\x00\n"
      "[files]\nC:\\WINNT\\ attr 16\nC:\\WINNT\\other.dll attr 32 size 4\n[services]\nSNMP state 4\nOther state 4\n");
  MachineItems installed = before;
  installed.merge(ItemsOf("[registry]\nHKEY_LOCAL_MACHINE\\SOFTWARE\\Product\n[files]\nC:\\WINNT\\product.dll attr 32 "
                          "size 4\n[services]\nProduct state 4\n"));
  MachineItems after = before;
  after.merge(ItemsOf("[pending]\nC:\\WINNT\\product.dll -> (delete)\nC:\\gone.sys -> (delete)\n"));
  after["service SNMP"] = "SNMP state 1";  // left stopped after a failed restart
  Collateral result = CheckCollateral(before, installed, after);
  EXPECT_EQ(Lines(result.touched) + Lines(result.created), "");
  EXPECT_EQ(result.foreignChecked, 6u);

  after = installed;
  after.erase("registry HKEY_LOCAL_MACHINE\\SOFTWARE\\Other : \"Path\"");
  after["service Other"] = "Other state 1 marked for delete";
  after["service SNMP"] = "SNMP state 4 marked for delete";  // a restart never deletes
  after["pending c:\\winnt\\OTHER.dll"] = "c:\\winnt\\OTHER.dll -> (delete)";
  after["pending C:\\WINNT"] = "C:\\WINNT -> (delete)";
  after["registry HKEY_LOCAL_MACHINE\\SOFTWARE\\New"] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\New";
  result = CheckCollateral(before, installed, after);
  EXPECT_EQ(result.touched.size(), 5u) << Lines(result.touched);
  EXPECT_EQ(result.created, std::vector<std::string>{"HKEY_LOCAL_MACHINE\\SOFTWARE\\New"});
}
