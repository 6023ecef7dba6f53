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

RunRecord RunOverInstall(const WholeRun& run) {
  auto snapshot = [&] { return ItemsOf(run.snapshot ? run.snapshot() : winsim::machine().Snapshot()); };
  RunRecord record;
  winsim::Reset();
  if (run.foreign) run.foreign();
  record.beforeInstall = snapshot();
  run.install();
  record.installed = snapshot();
  winsim::machine().ui.answerer = [&run](const winsim::MessageBoxRecord& box) { return run.answer(box.style); };
  if (run.beforeRun) run.beforeRun();
  record.exitCode = RunUninstall("");
  record.afterRun = snapshot();
  record.afterRun.erase("file " + run.log);
  winsim::machine().ui.answerer = nullptr;
  return record;
}

bool IsDefinedExit(int exitCode) {
  for (int defined : {kExitNoProductDirectory, kExitDeclined, kExitNoRights, kExitAborted, IDYES}) {
    if (exitCode == defined) return true;
  }
  return false;
}
