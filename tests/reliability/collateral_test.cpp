// The collateral check itself: it must see a foreign item removed, changed, scheduled or
// an item created, and let the product's own items go.
#include "reliability/collateral.h"

#include <gtest/gtest.h>

namespace {

const char kBefore[] =
    "[registry]\nHKEY_LOCAL_MACHINE\\SOFTWARE\\Other\n"
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Other : \"Path\" type 1 = C:\\x00\n"
    "[files]\nC:\\WINNT\\ attr 16\nC:\\WINNT\\other.dll attr 32 size 4\n"
    "[services]\nSNMP state 4\nOther state 4\n[pending]\n";
const char kProductLines[] =
    "[registry]\nHKEY_LOCAL_MACHINE\\SOFTWARE\\Product\n"
    "[files]\nC:\\WINNT\\product.dll attr 32 size 4\n"
    "[services]\nProduct state 4\n[pending]\n";

MachineItems Installed() {
  MachineItems items = ItemsOf(kBefore);
  for (const auto& item : ItemsOf(kProductLines)) items.insert(item);
  return items;
}

TEST(CollateralTest, RemovingAndSchedulingTheProductTouchesNothingForeign) {
  MachineItems after = ItemsOf(kBefore);
  for (const auto& item : ItemsOf("[pending]\nC:\\WINNT\\product.dll -> (delete)\nC:\\gone.sys -> (delete)\n")) {
    after.insert(item);
  }
  after["service SNMP"] = "SNMP state 1";  // left stopped after a failed restart

  Collateral result = CheckCollateral(ItemsOf(kBefore), Installed(), after, {"SNMP"});
  EXPECT_TRUE(result.touched.empty()) << Lines(result.touched);
  EXPECT_TRUE(result.created.empty()) << Lines(result.created);
  EXPECT_EQ(result.foreignChecked, 6u);
}

TEST(CollateralTest, SeesEveryKindOfForeignDamage) {
  MachineItems after = Installed();
  after.erase("registry HKEY_LOCAL_MACHINE\\SOFTWARE\\Other : \"Path\"");
  after["service Other"] = "Other state 1 marked for delete";
  after["service SNMP"] = "SNMP state 4 marked for delete";  // a restart never deletes
  after["pending c:\\winnt\\OTHER.dll"] = "c:\\winnt\\OTHER.dll -> (delete)";  // any case
  after["pending C:\\WINNT"] = "C:\\WINNT -> (delete)";
  after["registry HKEY_LOCAL_MACHINE\\SOFTWARE\\New"] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\New";

  Collateral result = CheckCollateral(ItemsOf(kBefore), Installed(), after, {"SNMP"});
  EXPECT_EQ(result.touched.size(), 5u) << Lines(result.touched);
  EXPECT_EQ(result.created, std::vector<std::string>{"HKEY_LOCAL_MACHINE\\SOFTWARE\\New"});
}

}  // namespace
