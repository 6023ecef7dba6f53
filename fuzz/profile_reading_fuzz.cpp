// The uninstaller profile and its [Files] list read from arbitrary bytes: every text
// within its capacity, every list entry within a path's, no handle left open.
#include <cstdint>
#include <string>

#include "files/listed_files.h"
#include "fuzz/fuzz_machine.h"
#include "uninstall/profile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  winsim::Machine& machine = FreshMachine();
  const bool nt3Mode = size > 0 && (data[0] & 1) != 0;
  machine.files.AddFile(machine.system.windowsDirectory + "\\tvuninst.ini",
                        std::string(reinterpret_cast<const char*>(data), size));

  const std::string path = ProfilePath();
  const ProfileTexts texts = LoadProfile(path, path, nt3Mode);
  for (const std::string* text :
       {&texts.caption, &texts.couldNotFindPath, &texts.removePrompt, &texts.noModifyRights,
        &texts.stopErrors[0], &texts.stopErrors[1], &texts.stopErrors[2], &texts.warnDirPrompt1,
        &texts.warnDirPrompt2, &texts.warnDirPrompt3, &texts.snmpUninstallPrompt,
        &texts.snmpCannotUninstall, &texts.snmpUninstalled, &texts.finishPrompt,
        &texts.programGroupName, &texts.startupGroupName}) {
    FUZZ_CHECK(text->size() < kProfileTextCapacity);
  }
  FUZZ_CHECK(texts.restartText.size() < 2 * kProfileTextCapacity);
  FUZZ_CHECK(!nt3Mode || !texts.startupGroupName.empty());

  FileList list;
  ReadFileList(path.c_str(), list);
  for (const std::string& entry : list) FUZZ_CHECK(!entry.empty() && entry.size() < MAX_PATH);
  FUZZ_CHECK(machine.OpenHandles() == 0);
  return 0;
}
