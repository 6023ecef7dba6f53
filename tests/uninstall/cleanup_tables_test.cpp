#include "uninstall/cleanup_tables.h"

#include <windows.h>

#include "common/machine_test.h"
#include "common/product.h"

namespace {

const char kClassKey[] = "CLSID\\{6F3A9C10-4E21-11d0-A7B2-0060B0C4D2E1}";
const char kServices[] = "SYSTEM\\CurrentControlSet\\Services\\";

class CleanupTablesTest : public MachineTest {};

// Only the entries the tables name go: subkeys no table names keep their parents. Other
// programs' entries beside the product's (start-up values, context-menu handlers, class
// identifiers) are the collateral audit's.
TEST_F(CleanupTablesTest, OnlyTheNamedEntriesGo) {
  InstallProduct();
  winsim::Registry& registry = machine().registry;
  registry.CreateKey(HKEY_CLASSES_ROOT, std::string(kClassKey) + "\\ProgID");
  registry.CreateKey(HKEY_LOCAL_MACHINE, std::string(kServices) + "Varden Mirel\\Linkage");

  RemoveScannerServiceKeys();
  RemoveShellIntegration();

  EXPECT_EQ(registry.SubkeyNames(HKEY_CLASSES_ROOT, kClassKey), (std::vector<std::string>{"ProgID"}));
  EXPECT_EQ(registry.SubkeyNames(HKEY_LOCAL_MACHINE, std::string(kServices) + "Varden Mirel"),
            (std::vector<std::string>{"Linkage"}));
  EXPECT_FALSE(registry.KeyExists(HKEY_LOCAL_MACHINE, std::string(kServices) + "Varden Tessor"));
  EXPECT_FALSE(registry.KeyExists(HKEY_CLASSES_ROOT, "TESSOR"));
}

TEST_F(CleanupTablesTest, NeverInstalledProductChangesNothing) {
  std::string before = machine().Snapshot();
  RemoveScannerServiceKeys();
  RemoveOnAccessDriverKeys();
  RemoveApplicationKeys("C:\\Varden");
  RemoveShellIntegration();
  RemoveStartupValues();
  EXPECT_EQ(machine().Snapshot(), before);
}

}  // namespace
