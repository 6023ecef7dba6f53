#include "support/prompts.h"

#include <windows.h>

#include "support/trace.h"

namespace {

const char* const kComponentNames[] = {"main program", "agent program", "on-access component"};

// An answer given for nobody: "Unattended: <question> answered <answer>.\n".
void TraceAnswer(const std::string& question, const char* answer) {
  Trace("Unattended: " + question + " answered " + answer + ".\n");
}

}  // namespace

bool Prompts::ConfirmDirectoryWarning(const char* directory) {
  if (profile_.unattended) {
    TraceAnswer("directory warning", "No");
    return false;
  }
  return Show(DirectoryWarningText(profile_, directory), MB_YESNO) == IDYES;
}

int Prompts::AskForConsent() {
  if (profile_.unattended) {
    TraceAnswer("removal prompt", "Yes");
    return IDYES;
  }
  return Show(profile_.removePrompt, MB_YESNO);
}

int Prompts::PromptStopFailure(int index) {
  if (profile_.unattended) {
    const std::string question = std::string(kComponentNames[index]) + " stop error";
    // One more full wait first: a program or service may only be slow to go.
    if (unattendedStopFailures_.at(index)++ == 0) {
      TraceAnswer(question, "Retry");
      return kPromptRetry;
    }
    const bool abort = profile_.unattendedStopFailure == StopFailureAnswer::kAbort;
    TraceAnswer(question, abort ? "Abort" : "Ignore");
    return abort ? kPromptAbort : kPromptIgnore;
  }
  switch (Show(profile_.stopErrors.at(index), MB_ABORTRETRYIGNORE)) {
    case IDRETRY:
      return kPromptRetry;
    case IDIGNORE:
      return kPromptIgnore;
    default:
      return kPromptAbort;
  }
}

int Prompts::AskSnmpAgentRemoval() {
  if (profile_.unattended) {
    TraceAnswer("SNMP agent prompt", "Yes");
    return IDYES;
  }
  return Show(profile_.snmpUninstallPrompt, MB_YESNOCANCEL);
}

void Prompts::Tell(const std::string& text) {
  if (!profile_.unattended) {
    Show(text, MB_OK);
    return;
  }
  // One trace line per text: the lines of a text (the restart text, a system message
  // with its line end) are joined with blanks.
  std::string line;
  for (char c : text) {
    if (c == '\r') continue;
    line += c == '\n' ? ' ' : c;
  }
  while (!line.empty() && line.back() == ' ') line.pop_back();
  TraceValue("Unattended: message not shown: ", line);
}

void Prompts::TellSnmpAgentNotRemoved(const std::string& reason) {
  Tell(reason);
  Tell(profile_.snmpCannotUninstall);
}

int Prompts::Show(const std::string& text, unsigned style) const {
  return MessageBoxA(nullptr, text.c_str(), profile_.caption.c_str(), style);
}

std::string DirectoryWarningText(const ProfileTexts& profile, const char* directory) {
  return profile.warnDirPrompt1 + " " + directory + "\\\n" + profile.warnDirPrompt2 + "\n" +
         profile.warnDirPrompt3;
}
