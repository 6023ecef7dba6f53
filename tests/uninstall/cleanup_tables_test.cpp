#include "uninstall/cleanup_tables.h"

#include <windows.h>

#include "common/machine_test.h"
#include "common/product.h"

namespace {

const char kClassKey[] = "CLSID\\{6F3A9C10-4E21-11d0-A7B2-0060B0C4D2E1}";
const char kServices[] = "SYSTEM\\CurrentControlSet\\Services\\";

class CleanupTablesTest : public MachineTest {};

// Only the entries the tables name go: subkeys no table names keep their parents, and
// other programs' entries beside the product's stay.
TEST_F(CleanupTablesTest, OnlyTheNamedEntriesGo) {
  InstallProduct();
  winsim::Registry& registry = machine().registry;
  const char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  const char kForeignClass[] = "CLSID\\{00000000-1111-2222-3333-444444444444}\\InprocServer32";
  registry.CreateKey(HKEY_CLASSES_ROOT, std::string(kClassKey) + "\\ProgID");
  registry.CreateKey(HKEY_LOCAL_MACHINE, std::string(kServices) + "Varden Mirel\\Linkage");
  registry.SetString(HKEY_LOCAL_MACHINE, kRun, "Other Tool", "C:\\Other\\tool.exe");
  registry.CreateKey(HKEY_CLASSES_ROOT, "*\\shellex\\ContextMenuHandlers\\Other");
  registry.CreateKey(HKEY_CLASSES_ROOT, kForeignClass);

  RemoveScannerServiceKeys();
  RemoveShellIntegration();
  RemoveStartupValues();

  EXPECT_EQ(registry.SubkeyNames(HKEY_CLASSES_ROOT, kClassKey), (std::vector<std::string>{"ProgID"}));
  EXPECT_EQ(registry.SubkeyNames(HKEY_LOCAL_MACHINE, std::string(kServices) + "Varden Mirel"),
            (std::vector<std::string>{"Linkage"}));
  EXPECT_FALSE(registry.KeyExists(HKEY_LOCAL_MACHINE, std::string(kServices) + "Varden Tessor"));
  EXPECT_FALSE(registry.KeyExists(HKEY_CLASSES_ROOT, "TESSOR"));
  EXPECT_EQ(registry.ValueNames(HKEY_LOCAL_MACHINE, kRun), (std::vector<std::string>{"Other Tool"}));
  EXPECT_EQ(registry.SubkeyNames(HKEY_CLASSES_ROOT, "*\\shellex\\ContextMenuHandlers"),
            (std::vector<std::string>{"Other"}));
  EXPECT_TRUE(registry.KeyExists(HKEY_CLASSES_ROOT, kForeignClass));
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
