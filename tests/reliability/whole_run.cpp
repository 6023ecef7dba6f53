#include "reliability/whole_run.h"

#include <winsim/machine.h>

#include "uninstall/sequence.h"

int AnswerForRemoval(UINT style) {
  switch (style & MB_TYPEMASK) {
    case MB_ABORTRETRYIGNORE: return IDIGNORE;
    case MB_YESNO:
    case MB_YESNOCANCEL: return IDYES;
    default: return IDOK;
  }
}

RunRecord RunOverInstall(const std::function<void()>& setUp, const std::function<int(UINT)>& answer,
                         const std::function<void()>& beforeRun) {
  RunRecord record;
  winsim::Machine& machine = winsim::Reset();
  record.beforeInstall = ItemsOf(machine.Snapshot());
  setUp();
  record.installed = ItemsOf(winsim::machine().Snapshot());
  winsim::machine().ui.answerer = [answer](const winsim::MessageBoxRecord& box) { return answer(box.style); };
  if (beforeRun) beforeRun();
  record.exitCode = RunUninstall("");
  record.afterRun = ItemsOf(winsim::machine().Snapshot());
  return record;
}

bool IsDefinedExit(int exitCode) {
  for (int defined : {kExitNoProductDirectory, kExitDeclined, kExitNoRights, kExitAborted, IDYES}) {
    if (exitCode == defined) return true;
  }
  return false;
}
